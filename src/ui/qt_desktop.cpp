#include "ui/qt_desktop.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "ui/text_bytes.h"

namespace celestra {
namespace {

void ShowBox(QWidget* window, const std::string& title, const std::string& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, DisplayText(title), DisplayText(text), QMessageBox::NoButton, window);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace

QtDesktop::QtDesktop(std::string title) : title_(std::move(title)) {}

QtDesktop::~QtDesktop() = default;

void QtDesktop::Show(const std::string& text) { ShowBox(window_, title_, text, QMessageBox::NoIcon); }

void QtDesktop::ShowError(const std::string& text) { ShowBox(window_, title_, text, QMessageBox::Critical); }

std::optional<std::string> QtDesktop::ChooseFile(OpenDialog& dialog) {
    auto& fileDialog = fileDialogs_[&dialog];
    if (!fileDialog) {
        fileDialog = new QFileDialog(window_);
        fileDialog->setAcceptMode(QFileDialog::AcceptOpen);
        fileDialog->setFileMode(QFileDialog::AnyFile);  // a name that does not exist yet is accepted
        fileDialog->setOption(QFileDialog::HideNameFilterDetails);
        fileDialog->setNameFilter(FromBytes(dialog.typeName + " (" + dialog.pattern + ")"));
        fileDialog->setDefaultSuffix(FromBytes(dialog.defaultExtension));
        fileDialog->setSizeGripEnabled(true);
    }
    if (!dialog.fileName.empty()) fileDialog->selectFile(FromBytes(dialog.fileName));
    if (fileDialog->exec() != QDialog::Accepted || fileDialog->selectedFiles().isEmpty()) return std::nullopt;
    dialog.fileName = ToBytes(QFileInfo(fileDialog->selectedFiles().front()).absoluteFilePath());
    return dialog.fileName;
}

void QtDesktop::Beep() { QApplication::beep(); }

}  // namespace celestra
