#include "ui/qt/qt_font_fit.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

#include "ui/font_fit.h"

namespace celestra {
namespace {

// A line edit keeps this many pixels free at each side of its text, and one
// more for the cursor after the last character; with less room it scrolls.
constexpr int kLineEditInnerMargin = 2;
constexpr int kCursorWidth = 1;

int LineEditRoom(const QLineEdit& edit) {
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth = edit.hasFrame() ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QRect contents = edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit);
    const QMargins margins = edit.textMargins();
    return contents.width() - margins.left() - margins.right() - 2 * kLineEditInnerMargin - kCursorWidth;
}

int ButtonRoom(const QPushButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    return button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button).width();
}

// A check box's caption stands right of its box and the gap after it.
int CheckBoxRoom(const QCheckBox& box) {
    QStyleOptionButton option;
    option.initFrom(&box);
    return box.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &box).width();
}

}  // namespace

QStringList WindowFontFamilies() {
    return {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
            QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")};
}

int TextRoom(const QWidget& control) {
    if (const auto* box = qobject_cast<const QCheckBox*>(&control)) return CheckBoxRoom(*box);
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control)) return LineEditRoom(*edit);
    if (const auto* button = qobject_cast<const QPushButton*>(&control)) return ButtonRoom(*button);
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        return label->contentsRect().width() - 2 * qMax(label->margin(), 0);
    }
    return control.contentsRect().width();
}

QFont FittedFont(QFont design, int designPixelSize, int roomPixels, const QStringList& texts) {
    const int size = FittingPixelSize(designPixelSize, roomPixels, [&](int pixelSize) {
        design.setPixelSize(pixelSize);
        const QFontMetrics metrics(design);
        int widest = 0;
        for (const QString& text : texts) widest = qMax(widest, metrics.horizontalAdvance(text));
        return widest;
    });
    design.setPixelSize(size);
    return design;
}

}  // namespace celestra
