// AboutBox, the About box: the product's name, emblem and version, and two links, one to the
// product's web page and one that starts a mail to the author. Created hidden at start-up and
// shown modally from the main window's Help menu.
#pragma once

#include <QDialog>
#include <QLabel>

class QPushButton;

namespace pellum {

class DesktopLinks;

// A label that reports mouse presses and releases of any button, and a click: a left press
// released over the label.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void mouseDown();
    void mouseUp();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool leftPressed_ = false;
};

class AboutBox : public QDialog {
    Q_OBJECT
public:
    // `links` opens the two addresses and must outlive the dialog.
    explicit AboutBox(DesktopLinks& links, QWidget* parent = nullptr);

    static constexpr const char* kWebAddress = "https://pellum.example/";
    // The mail link shows one address and writes to another: the shown one is for reading, the
    // other sorts the mail on arrival.
    static constexpr const char* kShownMailAddress = "dev@pellum.example";
    static constexpr const char* kMailAddress = "about@pellum.example";

    void showVersion();
    void openWebPage();
    void webLinkPressed();
    void webLinkReleased();
    void writeMail();
    void mailLinkPressed();
    void mailLinkReleased();

    QWidget* header;
    QLabel* emblem;
    QLabel* productName;
    QLabel* versionLabel;
    QLabel* credit;
    LinkLabel* webLink;
    LinkLabel* mailLink;
    QPushButton* okButton;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void setVersionText(const QString& text);

    DesktopLinks& links_;
};

}  // namespace pellum
