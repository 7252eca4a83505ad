#include "app/ElidedLabel.h"

#include <QFontMetrics>
#include <QTextDocument>

namespace pellum {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::setFullText(const QString& text) {
    if (text == fullText_ && !this->text().isEmpty()) return;
    fullText_ = text;
    // A hint takes text that looks like markup as markup: this one is always written out.
    setToolTip(text.isEmpty() ? text : Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap));
    elide();
}

QSize ElidedLabel::minimumSizeHint() const {
    // Any width will do: the text gives way instead of pushing the window wider.
    return {0, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide() {
    setText(fontMetrics().elidedText(fullText_, Qt::ElideMiddle, contentsRect().width()));
}

}  // namespace pellum
