// The About box: opened from the Help menu as a user does, its version and faces on first show,
// Enter closing it, and the two links, which go red while pressed and open their address.
#include <QApplication>
#include <QFontInfo>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QUrlQuery>

#include "app/AboutBox.h"
#include "app/Appearance.h"
#include "tests/app/WindowFixture.h"

namespace pellum::test {
namespace {

std::string textColour(const QWidget* w) {
    return w->palette().color(QPalette::WindowText).name().toStdString();
}

std::string addresses(const QList<QUrl>& urls) {
    QStringList texts;
    for (const QUrl& url : urls) texts << url.toString(QUrl::FullyEncoded);
    return texts.join(" ").toStdString();
}

class AboutTest : public WindowTest {
protected:
    AboutTest() { installAppearance(); }
    RecordingLinks links;
};

TEST_F(AboutTest, HelpAboutShowsTheVersionModallyAndEnterClosesIt) {
    AboutBox about(links);
    start().aboutBox = &about;
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_FALSE(about.isVisible());

    struct Seen {
        bool modal = false;
        QString version;
        QStringList faces;
        bool defaultOk = false;
    } seen;
    bool shown = false;
    bool entered = false;
    int ticks = 0;
    // Runs inside the box's own modal loop: looks at it as first shown, then, once it is the
    // active window, presses Enter where the keyboard focus is.
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() != &about) return;
        ++ticks;
        if (!shown) {
            shown = true;
            seen.modal = about.isVisible() && about.isModal();
            seen.version = about.versionLabel->text();
            for (const QWidget* w :
                 {static_cast<QWidget*>(about.productName),
                  static_cast<QWidget*>(about.versionLabel), static_cast<QWidget*>(about.credit),
                  static_cast<QWidget*>(about.webLink)})
                seen.faces << QFontInfo(w->font()).family();
            seen.defaultOk = about.okButton->isDefault();
        }
        if (!entered && (QApplication::activeWindow() == &about || ticks > 400)) {
            entered = true;
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus != nullptr ? focus : static_cast<QWidget*>(&about),
                            Qt::Key_Return);
        } else if (ticks > 800) {
            about.done(-1);  // Enter did not close the box: close it otherwise, and fail
        }
    });
    poll.start();

    // Help(&H), then About(&A), with the mouse.
    QMenuBar* bar = form->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->actionGeometry(ui(*form).helpMenu->menuAction()).center());
    ASSERT_TRUE(pumpUntil([&] { return ui(*form).helpMenu->isVisible(); }));
    QTest::mouseClick(ui(*form).helpMenu, Qt::LeftButton, {},
                      ui(*form).helpMenu->actionGeometry(ui(*form).aboutAction).center());
    ASSERT_TRUE(pumpUntil([&] { return shown && !about.isVisible(); }));

    EXPECT_TRUE(seen.modal);
    EXPECT_EQ(seen.version.toStdString(), "version 1.10 [2001-08-13]");
    // The right edge stays where the layout put it, whatever the text's length.
    EXPECT_EQ(about.versionLabel->geometry().right() + 1, 253);
    EXPECT_EQ(seen.faces.join(", ").toStdString(),
              "Comic Neue, Liberation Sans, Liberation Mono, IPAPGothic");
    EXPECT_TRUE(seen.defaultOk);
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(AboutTest, LinksGoRedWhilePressedByEitherButtonAndOpenTheirAddressOnLeftClick) {
    AboutBox about(links);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    const std::string red = "#ff0000", blue = "#0000ff";
    const QUrl web("https://pellum.example/");
    const QUrl mail(QStringLiteral("mailto:about@pellum.example?subject=Pellumについて&cc=&bcc="));

    struct Case {
        LinkLabel* link;
        Qt::MouseButton button;
        QList<QUrl> opened;
    };
    const Case cases[] = {
        {about.webLink, Qt::RightButton, {}},  {about.webLink, Qt::LeftButton, {web}},
        {about.mailLink, Qt::RightButton, {}}, {about.mailLink, Qt::LeftButton, {mail}},
        {about.webLink, Qt::MiddleButton, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link->text().toStdString() + " button " + std::to_string(c.button));
        links.opened.clear();
        EXPECT_EQ(textColour(c.link), blue);
        QTest::mousePress(c.link, c.button, {}, c.link->rect().center());
        EXPECT_EQ(textColour(c.link), red);
        EXPECT_TRUE(links.opened.isEmpty());  // only the release opens
        QTest::mouseRelease(c.link, c.button, {}, c.link->rect().center());
        EXPECT_EQ(textColour(c.link), blue);
        EXPECT_EQ(addresses(links.opened), addresses(c.opened));
    }

    // The mail program gets the subject as text, and empty copies.
    QTest::mouseClick(about.mailLink, Qt::LeftButton, {}, about.mailLink->rect().center());
    ASSERT_EQ(links.opened.size(), 1);
    const QUrlQuery query(links.opened[0]);
    EXPECT_EQ(links.opened[0].scheme(), "mailto");
    EXPECT_EQ(links.opened[0].path(), "about@pellum.example");
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded), "Pellumについて");
    EXPECT_TRUE(query.hasQueryItem("cc") && query.queryItemValue("cc").isEmpty());
    EXPECT_TRUE(query.hasQueryItem("bcc") && query.queryItemValue("bcc").isEmpty());

    // A press dragged off the link and released elsewhere opens nothing, and leaves it blue.
    links.opened.clear();
    QTest::mousePress(about.webLink, Qt::LeftButton, {}, about.webLink->rect().center());
    QTest::mouseRelease(about.webLink, Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_EQ(textColour(about.webLink), blue);
    EXPECT_TRUE(links.opened.isEmpty());
}

}  // namespace
}  // namespace pellum::test
