// A one-line label that gives way in the middle when its text is wider than it is, so that a
// long device or file name keeps both ends in sight; the whole text is its hint.
#pragma once

#include <QLabel>

namespace pellum {

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);
    void setFullText(const QString& text);
    const QString& fullText() const { return fullText_; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();
    QString fullText_;
};

}  // namespace pellum
