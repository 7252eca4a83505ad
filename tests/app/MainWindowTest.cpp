#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "app/ElidedLabel.h"
#include "app/MainWindow.h"
#include "app/UpDown.h"
#include "core/list/MessageList.h"
#include "tests/app/WindowFixture.h"
#include "tests/support/TempFiles.h"

using namespace pellum;
using namespace pellum::test;

namespace {

const Bytes kRoland{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
const Bytes kYamaha{0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
const Bytes kCasio{0xF0, 0x44, 0x10, 0x01, 0xF7};

class Window : public WindowTest {
protected:
    Window() { start(); }

    void selectLine(int row) { clickLine(ui(*form).messageList, row); }
};

}  // namespace

TEST_F(Window, StartsInItsInitialState) {
    form->show();
    EXPECT_EQ(form->windowTitle(), "Pellum");
    EXPECT_EQ(form->centralWidget()->size(), QSize(241, 194));
    EXPECT_TRUE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    const QSize first = form->size();
    form->resize(100, 100);  // the first size is also the smallest
    EXPECT_EQ(form->size(), first);

    // Tool bar: places, hints and enabled states.
    struct Button {
        QToolButton* button;
        int left;
        const char* hint;
        bool enabled;
    };
    const Button buttons[] = {
        {ui(*form).clearListButton, 0, "Clear List (Ctrl+L)", true},
        {ui(*form).openButton, 23, "Open Syx File (Ctrl+O)", true},
        {ui(*form).saveButton, 46, "Save Syx File (Ctrl+S)", true},
        {ui(*form).deleteButton, 69, "List Delete (Del)", false},
        {ui(*form).sendAllButton, 92, "Auto Sending (F5)", false},
        {ui(*form).stopButton, 115, "Send Stop (Esc)", false},
        {ui(*form).exitButton, 217, "Exit (F10)", true},
    };
    for (const Button& b : buttons) {
        EXPECT_EQ(b.button->geometry(), QRect(b.left, 2, 23, 23)) << b.hint;
        EXPECT_EQ(b.button->toolTip(), b.hint);
        EXPECT_EQ(b.button->isEnabled(), b.enabled) << b.hint;
        EXPECT_FALSE(b.button->icon().isNull()) << b.hint;
        // Two states: the disabled image is drawn, not derived.
        EXPECT_NE(b.button->icon().pixmap(16, QIcon::Normal).toImage(),
                  b.button->icon().pixmap(16, QIcon::Disabled).toImage());
    }

    // Every glyph is drawn again for twice the scale, in both states, not blown up.
    for (const QAbstractButton* b : std::initializer_list<const QAbstractButton*>{
             ui(*form).clearListButton, ui(*form).openButton, ui(*form).saveButton,
             ui(*form).deleteButton, ui(*form).sendAllButton, ui(*form).stopButton,
             ui(*form).exitButton, ui(*form).openRequestButton, ui(*form).sendRequestButton})
        for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
            const QImage twice = b->icon().pixmap(QSize(16, 16), 2, mode).toImage();
            EXPECT_TRUE(twice.size() == QSize(32, 32) &&
                        twice != b->icon().pixmap(QSize(16, 16), 1, mode).toImage().scaled(32, 32));
        }

    // Menu captions and shortcuts.
    EXPECT_EQ(ui(*form).fileMenu->title(), "File(&F)");
    EXPECT_EQ(ui(*form).helpMenu->title(), "Help(&H)");
    EXPECT_EQ(ui(*form).newAction->text(), "New(&N)");
    EXPECT_EQ(ui(*form).newAction->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(ui(*form).openAction->text(), "Open(&O)");
    EXPECT_EQ(ui(*form).openAction->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_TRUE(ui(*form).saveMenuItem->text().startsWith("Save(&S)"));
    EXPECT_EQ(ui(*form).saveAction->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_TRUE(ui(*form).fileMenuSeparator->isSeparator());
    EXPECT_EQ(ui(*form).exitAction->text(), "Exit(&X)");
    EXPECT_EQ(ui(*form).exitAction->shortcut(), QKeySequence(Qt::Key_F10));
    EXPECT_EQ(ui(*form).aboutAction->text(), "About(&A)");

    // Tabs and their controls.
    ASSERT_EQ(ui(*form).tabs->count(), 4);
    const QStringList tabs{"SysEx", "USER", "Receive", "Config"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ui(*form).tabs->tabText(i), tabs[i]);
    EXPECT_EQ(ui(*form).tabs->currentIndex(), 0);
    EXPECT_EQ(ui(*form).messageList->count(), 0);
    EXPECT_EQ(ui(*form).listFill->value(), 0);
    EXPECT_EQ(ui(*form).listFill->maximum(), 100);
    EXPECT_FALSE(ui(*form).requestList->isEnabled());
    EXPECT_FALSE(ui(*form).sendRequestButton->isEnabled());
    EXPECT_EQ(ui(*form).sendRequestButton->toolTip(), "Action! (Ctrl+Return)");
    EXPECT_EQ(ui(*form).openRequestButton->toolTip(), "Open Config Files (Ctrl+R)");
    EXPECT_TRUE(ui(*form).requestBytes->isReadOnly());
    EXPECT_EQ(ui(*form).requestVendor->text(), "unknown");
    EXPECT_EQ(ui(*form).requestType->text(), "unknown");
    // Start-up has reset the System Information to its empty texts.
    EXPECT_EQ(identityShown(), (QStringList{"--", "unknown", "--", "unknown", "--", "--", "--"}));

    EXPECT_TRUE(ui(*form).captureOn->isChecked());
    EXPECT_FALSE(ui(*form).captureOn->isEnabled());
    EXPECT_TRUE(ui(*form).sendOn->isChecked());
    EXPECT_FALSE(ui(*form).sendOn->isEnabled());
    EXPECT_EQ(ui(*form).overrideBox->text(), "SysEx  Send");
    EXPECT_FALSE(ui(*form).overrideBox->isChecked());
    EXPECT_EQ(ui(*form).channelStepper->position(), 1);
    EXPECT_EQ(ui(*form).channelStepper->min(), 1);
    EXPECT_EQ(ui(*form).channelStepper->max(), 16);
    EXPECT_EQ(ui(*form).overrideChannel->text(), "1");
    EXPECT_TRUE(ui(*form).manualSpeed->isChecked());
    EXPECT_FALSE(ui(*form).autoSpeed->isChecked());
    EXPECT_EQ(ui(*form).sendSpeed->value(), 5);
    EXPECT_EQ(ui(*form).sendSpeed->minimum(), 1);
    EXPECT_EQ(ui(*form).sendSpeed->maximum(), 9);
    EXPECT_FALSE(ui(*form).sendTimer->isActive());
    EXPECT_EQ(ui(*form).sendTimer->interval(), 100);
    EXPECT_EQ(ui(*form).sendTimer->timerType(), Qt::PreciseTimer);

    // The dialogs' titles, filters and extensions.
    EXPECT_EQ(form->openSyxDialog.title, "Open Syx File");
    EXPECT_EQ(form->openSyxDialog.filter,
              "System Exclusive Message(*.syx)|*.ex;*.syx|"
              "スタンダード MIDI ファイル(*.mid;*.midi)|*.mid;*.midi");
    EXPECT_TRUE(form->openSyxDialog.defaultExtension.isEmpty());
    EXPECT_EQ(form->saveSyxDialog.title, "Syx File Save");
    EXPECT_EQ(form->saveSyxDialog.filter,
              "System Exclusive Message(*.syx)|*.syx|"
              "スタンダード MIDI ファイル(*.mid)|*.mid");
    EXPECT_EQ(form->saveSyxDialog.defaultExtension, "syx");
    EXPECT_EQ(form->openRequestDialog.title, "Open CFG File");
    EXPECT_EQ(form->openRequestDialog.filter, "USER DUMP FILE(*.CFG)|*.cfg");
    EXPECT_EQ(form->openRequestDialog.defaultExtension, "cfg");
    EXPECT_EQ(qtFilter(form->openSyxDialog.filter),
              "System Exclusive Message(*.syx) (*.ex *.syx);;"
              "スタンダード MIDI ファイル(*.mid *.midi)");
}

TEST_F(Window, OpeningAFileFillsTheListWithLoadedLabels) {
    openThroughToolBar(joined({{0x00, 0xF7}, kRoland, kCasio, {0x7F}, kYamaha}));
    EXPECT_EQ(dialogs.asked.back().title, "Open Syx File");
    EXPECT_EQ(lines(ui(*form).messageList),
              (QStringList{"0001 Roland(41H) 11Byte", "0002 Casio(44H) 5Byte",
                           "0003 YAMAHA(43H) 9Byte"}));
    EXPECT_EQ(form->list().count(), 3);
    EXPECT_TRUE(ui(*form).sendAllButton->isEnabled());
    EXPECT_TRUE(ui(*form).deleteButton->isEnabled());

    // Cancelling the dialog changes nothing.
    QTest::mouseClick(ui(*form).openButton, Qt::LeftButton);
    EXPECT_EQ(ui(*form).messageList->count(), 3);

    // An empty file empties the list, and the buttons follow it.
    openThroughToolBar({}, "empty.syx");
    EXPECT_EQ(ui(*form).messageList->count(), 0);
    EXPECT_EQ(form->list().count(), 0);
    EXPECT_FALSE(ui(*form).sendAllButton->isEnabled());
    EXPECT_FALSE(ui(*form).deleteButton->isEnabled());
    EXPECT_TRUE(dialogs.errors.isEmpty());

    // A file with no message, and one cut inside its second, are told once per load.
    openThroughToolBar(joined({kRoland, {0xF0, 0x43, 0x10}}), "cut.syx");
    EXPECT_EQ(ui(*form).messageList->lineText(1), "0002 YAMAHA(43H) 4Byte");
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[0].endsWith("empty.syx に SysEx メッセージがありません"));
    EXPECT_TRUE(
        dialogs.messages[1].endsWith("cut.syx の 2 番目のメッセージは F7 で終わって"
                                     "いません。F7 を補って閉じました"));
}

TEST_F(Window, NewAndClearListEmptyTheListAndTheButtonsFollow) {
    for (const bool initList : {false, true}) {
        SCOPED_TRACE(initList ? "Clear List" : "New");
        openThroughToolBar(joined({kRoland, kYamaha}));
        if (initList) QTest::mouseClick(ui(*form).clearListButton, Qt::LeftButton);
        if (!initList) ui(*form).newAction->trigger();
        EXPECT_EQ(ui(*form).messageList->count(), 0);
        EXPECT_EQ(form->list().count(), 0);
        EXPECT_FALSE(ui(*form).sendAllButton->isEnabled());
        EXPECT_FALSE(ui(*form).deleteButton->isEnabled());
    }
}

TEST_F(Window, CtrlSSavesFromAnyTabWithTheOverride) {
    openThroughToolBar(joined({kRoland, kYamaha}));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));

    // Override on, channel 3, set with the Config tab's own controls.
    ui(*form).tabs->setCurrentIndex(3);
    ui(*form).overrideBox->setChecked(true);
    for (const auto button :
         {UpDown::Button::Up, UpDown::Button::Up, UpDown::Button::Up, UpDown::Button::Down})
        ui(*form).channelStepper->click(button);
    EXPECT_EQ(ui(*form).channelStepper->position(), 3);

    ui(*form).tabs->setCurrentIndex(1);
    ui(*form).requestBytes->setFocus();
    // Into the file the list came from, without asking.
    const std::string path = dir.file("in.syx");
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(dialogs.asked.size(), 1u);

    Bytes expected = joined({kRoland, kYamaha});
    expected[2] = 0x12;
    expected[kRoland.size() + 2] = 0x12;
    EXPECT_EQ(readBytes(path), expected);
    EXPECT_EQ(readBytes(path).size(), 20u);
    EXPECT_EQ(form->list().message(0)[2], 0x12);  // the store keeps the new channel

    // The up-down stops at its ends.
    for (int i = 0; i < 20; ++i) ui(*form).channelStepper->click(UpDown::Button::Up);
    EXPECT_EQ(ui(*form).channelStepper->position(), 16);
}

TEST_F(Window, FileErrorsShowTheirTextAndLoseNothing) {
    openThroughToolBar(joined({kRoland, kYamaha}));

    const QString missing = QString::fromStdString(dir.file("missing.syx"));
    dialogs.answers.push_back(missing);
    QTest::mouseClick(ui(*form).openButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "ファイル " + missing + " は開けません.");
    EXPECT_EQ(ui(*form).messageList->count(), 2);
    EXPECT_EQ(form->windowTitle(), "in.syx - Pellum");

    const std::string target = dir.file("keep.syx");
    writeBytes(target, kCasio);
    const QString nowhere = QString::fromStdString(dir.file("no/such/x.syx"));
    dialogs.answers.push_back(nowhere);
    ui(*form).saveAsAction->trigger();
    ASSERT_EQ(dialogs.errors.size(), 2);
    EXPECT_EQ(dialogs.errors[1], "ファイル " + nowhere + " を作成できません.");
    EXPECT_EQ(readBytes(target), kCasio);
}

TEST_F(Window, DroppingFilesOpensOnlyTheFirst) {
    form->show();
    const std::string first = dir.file("first.dump");  // any extension is tried
    const std::string second = dir.file("second.syx");
    writeBytes(first, kCasio);
    writeBytes(second, joined({kRoland, kYamaha}));

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                  QUrl::fromLocalFile(QString::fromStdString(second))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    EXPECT_EQ(lines(ui(*form).messageList), QStringList{"0001 Casio(44H) 5Byte"});
}

TEST_F(Window, AFileBeyondCapacityLoadsTheFirst9999AndSaysSo) {
    Bytes file;
    for (int i = 0; i < MessageList::kCapacity + 1; ++i)
        file.insert(file.end(), kCasio.begin(), kCasio.end());
    openThroughToolBar(file);
    EXPECT_EQ(ui(*form).messageList->count(), 9999);
    EXPECT_EQ(form->list().count(), 9999);
    EXPECT_EQ(ui(*form).messageList->lineText(9998), "9999 Casio(44H) 5Byte");
    EXPECT_EQ(dialogs.messages, QStringList{"これ以上記録できません"});
}

TEST_F(Window, GivesTheRoomToWhatShowsContentAndKeepsItsSizeAndPlace) {
    Bytes file;
    for (int i = 0; i < 300; ++i) file.insert(file.end(), kCasio.begin(), kCasio.end());
    openThroughToolBar(file);
    form->show();
    QWidget* client = form->centralWidget();
    const int smallest = client->width();
    const QPoint exitAt = ui(*form).exitButton->pos(), switchAt = ui(*form).sendOn->pos();
    form->resize(800, 600);
    for (int tab = 0; tab < 4; ++tab) {
        ui(*form).tabs->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        for (const QWidget* w : ui(*form).toolBar->findChildren<QWidget*>() +
                                    ui(*form).tabs->currentWidget()->findChildren<QWidget*>())
            EXPECT_TRUE(!w->isVisible() ||
                        client->rect().contains(QRect(w->mapTo(client, QPoint()), w->size())))
                << "tab " << tab << " " << w->metaObject()->className();
    }
    // What sits at the right ends of the content moves with them.
    EXPECT_EQ(ui(*form).exitButton->pos(), exitAt + QPoint(client->width() - smallest, 0));
    EXPECT_EQ(ui(*form).sendOn->pos(), switchAt + QPoint(client->width() - smallest, 0));
    ui(*form).tabs->setCurrentIndex(0);  // only the tab in front follows the window
    int linesShown = 0;
    for (int row = 0; row < ui(*form).messageList->count(); ++row)
        linesShown += ui(*form).messageList->viewport()->rect().contains(
            ui(*form).messageList->lineRect(row));
    EXPECT_GE(linesShown, 30);

    const QRect place(40, 50, 500, 400);
    form->setGeometry(place);
    form->close();
    start();
    EXPECT_EQ(form->geometry(), place);
    form->showMaximized();
    form->close();
    start();
    EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
    setSetting("WINDOW_MAXIMIZED", RegistryValue::dword(0));
    // A size is raised to the smallest; a value of the wrong type or a place off every screen
    // is passed over: the first size, or the centre.
    const std::tuple<const char*, RegistryValue, QSize, bool> cases[] = {
        {"WINDOW_WIDTH", RegistryValue::dword(10), QSize(form->minimumWidth(), 400), true},
        {"WINDOW_HEIGHT", RegistryValue::binary({0x90, 1, 0, 0}), form->minimumSize(), true},
        {"WINDOW_LEFT", RegistryValue::dword(0xFFFFEC78), place.size(), false},  // -5000
    };
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    for (const auto& [name, value, size, placed] : cases) {
        SCOPED_TRACE(name);
        const auto saved = setting(name);
        setSetting(name, value);
        start();
        form->show();
        EXPECT_EQ(form->size(), size);
        EXPECT_EQ(form->geometry().topLeft() == place.topLeft(), placed);
        EXPECT_TRUE(placed || (form->frameGeometry().center() - centre).manhattanLength() < 5);
        setSetting(name, *saved);
    }
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

// Names come from other programs, files and request files: "<b>" in one is three characters.
TEST_F(WindowTest, NamesThatLookLikeMarkupAreShownCharacterForCharacter) {
    const QString port = "<b>Synth</b> <img src=x>", file = "<h1>dump<img src=y>.syx";
    midi.addInput(port.toStdString());
    midi.addOutput(port.toStdString());
    setSetting("MIDI_IN", RegistryValue::binary({1}));
    setSetting("MIDI_OUT", RegistryValue::binary({1}));
    start();
    openThroughToolBar(kRoland, file.toStdString());
    QCoreApplication::processEvents();  // the status line follows
    EXPECT_EQ(entries(ui(*form).inputList)[1], port);
    EXPECT_EQ(ui(*form).deviceStatus->fullText(), "入力: " + port + "  出力: " + port);
    EXPECT_EQ(ui(*form).deviceStatus->toolTip(),
              Qt::convertFromPlainText(ui(*form).deviceStatus->fullText(), Qt::WhiteSpaceNoWrap));
    for (const QLabel* label : form->findChildren<QLabel*>())
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
    EXPECT_EQ(form->windowTitle(), file + " - Pellum");

    // The boxes that tell of them, as the program shows them.
    for (const bool error : {false, true}) {
        std::pair<QString, Qt::TextFormat> shown;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = {box->text(), box->textFormat()};
                box->accept();
            }
        });
        QtDialogs boxes;
        error ? boxes.error(port) : boxes.message(port);
        EXPECT_EQ(shown, std::pair(port, Qt::PlainText)) << error;
    }
}
