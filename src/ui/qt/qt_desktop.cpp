#include "ui/qt/qt_desktop.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>

#include "text/fixed_texts.h"
#include "ui/qt/text_bytes.h"

namespace celestra {
namespace {

// Room for the file list's size, type and date columns beside the names.
constexpr int kFileDialogWidth = 760;
constexpr int kFileDialogHeight = 460;

// A message box centred on the screen, wherever its window stands: Qt
// centres a dialog over its parent.
class ScreenCentredBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);  // sizes the box to its text and places it over the parent
        CentreOnScreen(*this);
    }
};

void ShowBox(QWidget* window, const std::string& title, const std::string& text, QMessageBox::Icon icon) {
    ScreenCentredBox box(icon, DisplayText(title), DisplayText(text), QMessageBox::NoButton, window);
    QPushButton* ok = box.addButton(QString::fromLatin1(kOkCaption), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

// Qt's own dialog lists files in columns of a fixed width, which cut the
// dates; sized to their texts, the dialog wide enough for them, they show
// whole. A dialog of the platform's has no such list and is left as it is.
void ShowWholeColumns(QFileDialog& dialog) {
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (list == nullptr) return;
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);  // the names take what is left
    for (int column = 1; column < header->count(); ++column) {
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    dialog.resize(dialog.sizeHint().expandedTo(QSize(kFileDialogWidth, kFileDialogHeight)));
}

}  // namespace

void CentreOnScreen(QWidget& window) {
    // move() places the frame, so the frame is what is centred (its size is
    // the client area's until the window manager has framed the window).
    const QRect frame = window.frameGeometry();
    if (const QScreen* screen = window.screen()) {
        window.move(screen->availableGeometry().center() - (frame.center() - frame.topLeft()));
    }
}

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
        fileDialog->setOption(QFileDialog::HideNameFilterDetails, !dialog.patternsShown);
        fileDialog->setNameFilter(FromBytes(QtFilterList(dialog)));  // the first type selected
        fileDialog->setDefaultSuffix(FromBytes(dialog.defaultExtension));
        fileDialog->setSizeGripEnabled(true);
        ShowWholeColumns(*fileDialog);
    }
    if (!dialog.fileName.empty()) fileDialog->selectFile(FromBytes(dialog.fileName));
    if (fileDialog->exec() != QDialog::Accepted || fileDialog->selectedFiles().isEmpty()) return std::nullopt;
    dialog.fileName = FilePathBytes(fileDialog->selectedFiles().front());
    return dialog.fileName;
}

void QtDesktop::Beep() { QApplication::beep(); }

}  // namespace celestra
