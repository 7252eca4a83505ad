#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "app/Midimonp.h"
#include "app/PellumApplication.h"
#include "app/UpDown.h"
#include "core/CaptureStore.h"
#include "tests/app/WindowFixture.h"
#include "tests/support/TempFiles.h"

using namespace pellum;
using namespace pellum::test;

namespace {

Bytes stored(const CaptureStore& store, int i) {
    const auto m = store.message(i);
    return Bytes(m.begin(), m.end());
}

const Bytes kRoland{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
const Bytes kYamaha{0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
const Bytes kCasio{0xF0, 0x44, 0x10, 0x01, 0xF7};

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

class MainWindow : public WindowTest {
protected:
    MainWindow() { start(); }

    // A .syx file in the temporary folder, opened through the tool bar as a user would.
    void openThroughToolBar(const Bytes& content, const std::string& name = "in.syx") {
        const std::string path = dir.file(name);
        writeBytes(path, content);
        dialogs.answers.push_back(QString::fromStdString(path));
        QTest::mouseClick(form->SpeedButton4, Qt::LeftButton);
    }

    void selectLine(int row) { clickLine(form->SysEx, row); }
};

}  // namespace

TEST_F(MainWindow, StartsInItsInitialState) {
    form->show();
    EXPECT_EQ(form->windowTitle(), "Pellum");
    EXPECT_EQ(form->centralWidget()->size(), QSize(241, 194));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());  // not resizable
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);

    // Tool bar: places, hints and enabled states.
    struct Button {
        QToolButton* button;
        int left;
        const char* hint;
        bool enabled;
    };
    const Button buttons[] = {
        {form->SpeedButton3, 0, "Clear List (Ctrl+L)", true},
        {form->SpeedButton4, 23, "Open Syx File (Ctrl+O)", true},
        {form->SpeedButton6, 46, "Save Syx File (Ctrl+S)", true},
        {form->BtnCut, 69, "List Delete (Del)", false},
        {form->BtnStart, 92, "Auto Sending (F5)", false},
        {form->BtnStop, 115, "Send Stop (Esc)", false},
        {form->SpeedButton7, 217, "Exit (F10)", true},
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

    // Menu captions and shortcuts.
    EXPECT_EQ(form->File1->title(), "File(&F)");
    EXPECT_EQ(form->Help1->title(), "Help(&H)");
    EXPECT_EQ(form->New1->text(), "New(&N)");
    EXPECT_EQ(form->New1->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(form->SysexI1->text(), "Open(&O)");
    EXPECT_EQ(form->SysexI1->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_TRUE(form->SysexE1->text().startsWith("Save(&S)"));
    EXPECT_EQ(form->FileSave->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_TRUE(form->N1->isSeparator());
    EXPECT_EQ(form->mnuExit->text(), "Exit(&X)");
    EXPECT_EQ(form->mnuExit->shortcut(), QKeySequence(Qt::Key_F10));
    EXPECT_EQ(form->About1->text(), "About(&A)");

    // Tabs and their controls.
    ASSERT_EQ(form->TabMenu->count(), 4);
    const QStringList tabs{"SysEx", "USER", "Receive", "Config"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(form->TabMenu->tabText(i), tabs[i]);
    EXPECT_EQ(form->TabMenu->currentIndex(), 0);
    EXPECT_EQ(form->SysEx->count(), 0);
    EXPECT_EQ(form->Meter->value(), 0);
    EXPECT_EQ(form->Meter->maximum(), 100);
    EXPECT_FALSE(form->LsUser->isEnabled());
    EXPECT_FALSE(form->SendBTN->isEnabled());
    EXPECT_EQ(form->SendBTN->toolTip(), "Action!");
    EXPECT_EQ(form->SpeedButton2->toolTip(), "Open Config Files");
    EXPECT_TRUE(form->ShowSyx->isReadOnly());
    EXPECT_EQ(form->VendorID->text(), "unknown");
    EXPECT_EQ(form->TYPE_NAME->text(), "unknown");
    // Start-up has reset the System Information to its empty texts.
    const std::pair<QLabel*, const char*> info[] = {
        {form->G_CH, "--"},           {form->N_Vendor, "unknown"}, {form->G_Vendor, "--"},
        {form->N_Machine, "unknown"}, {form->G_Family, "--"},      {form->G_ROM, "--"},
        {form->G_SOFT, "--"},
    };
    for (const auto& [value, text] : info) EXPECT_EQ(value->text(), text);

    EXPECT_TRUE(form->In_chk->isChecked());
    EXPECT_FALSE(form->In_chk->isEnabled());
    EXPECT_TRUE(form->Out_chk->isChecked());
    EXPECT_FALSE(form->Out_chk->isEnabled());
    EXPECT_EQ(form->ForceMIDICH->text(), "SysEx  Send");
    EXPECT_FALSE(form->ForceMIDICH->isChecked());
    EXPECT_EQ(form->SysExCH->position(), 1);
    EXPECT_EQ(form->SysExCH->min(), 1);
    EXPECT_EQ(form->SysExCH->max(), 16);
    EXPECT_EQ(form->CH->text(), "1");
    EXPECT_TRUE(form->S_Man->isChecked());
    EXPECT_FALSE(form->S_Auto->isChecked());
    EXPECT_EQ(form->SendSpeed->value(), 5);
    EXPECT_EQ(form->SendSpeed->minimum(), 1);
    EXPECT_EQ(form->SendSpeed->maximum(), 9);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 100);
    EXPECT_EQ(form->Timer1->timerType(), Qt::PreciseTimer);

    // The dialogs' titles, filters and extensions.
    EXPECT_EQ(form->OpenDialog1.title, "Open Syx File");
    EXPECT_EQ(form->OpenDialog1.filter, "System Exclusive Message(*.syx)|*.ex;*.syx");
    EXPECT_TRUE(form->OpenDialog1.defaultExtension.isEmpty());
    EXPECT_EQ(form->SaveDialog1.title, "Syx File Save");
    EXPECT_EQ(form->SaveDialog1.filter, "System Exclusive Message(*.syx)|*.syx");
    EXPECT_EQ(form->SaveDialog1.defaultExtension, "syx");
    EXPECT_FALSE(form->SaveDialog1.confirmOverwrite);
    EXPECT_EQ(form->OpenDialog2.title, "Open CFG File");
    EXPECT_EQ(form->OpenDialog2.filter, "USER DUMP FILE(*.CFG)|*.cfg");
    EXPECT_EQ(form->OpenDialog2.defaultExtension, "cfg");
    EXPECT_EQ(qtFilter(form->OpenDialog1.filter), "System Exclusive Message(*.syx) (*.ex *.syx)");
}

TEST_F(MainWindow, OpeningAFileFillsTheListWithLoadedLabels) {
    openThroughToolBar(concat({{0x00, 0xF7}, kRoland, kCasio, {0x7F}, kYamaha}));
    EXPECT_EQ(dialogs.asked.back().title, "Open Syx File");
    EXPECT_EQ(lines(form->SysEx), (QStringList{"0001 Roland(41H) 11Byte", "0002 Unknown(44H) 5Byte",
                                               "0003 YAMAHA(43H) 9Byte"}));
    EXPECT_EQ(form->store().count(), 3);
    EXPECT_TRUE(form->BtnStart->isEnabled());
    EXPECT_FALSE(form->BtnCut->isEnabled());  // loading leaves "List Delete" alone

    // Cancelling the dialog changes nothing.
    QTest::mouseClick(form->SpeedButton4, Qt::LeftButton);
    EXPECT_EQ(form->SysEx->count(), 3);

    // An empty file empties the list and the store, and "Auto Sending" stays as it was.
    openThroughToolBar({}, "empty.syx");
    EXPECT_EQ(form->SysEx->count(), 0);
    EXPECT_EQ(form->store().count(), 0);
    EXPECT_TRUE(form->BtnStart->isEnabled());
    EXPECT_TRUE(dialogs.errors.isEmpty());

    // A file with no message, and one cut inside its second, are told once per load.
    openThroughToolBar(concat({kRoland, {0xF0, 0x43, 0x10}}), "cut.syx");
    EXPECT_EQ(form->SysEx->item(1)->text(), "0002 YAMAHA(43H) 4Byte");
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[0].endsWith("empty.syx に SysEx メッセージがありません"));
    EXPECT_TRUE(
        dialogs.messages[1].endsWith("cut.syx の 2 番目のメッセージは F7 で終わって"
                                     "いません。F7 を補って閉じました"));
}

TEST_F(MainWindow, ListDeleteRemovesTheLineAndItsMessage) {
    openThroughToolBar(concat({kRoland, kCasio, kYamaha}));
    form->BtnCut->setEnabled(true);  // as after a capture

    // Nothing selected: nothing deleted.
    QTest::mouseClick(form->BtnCut, Qt::LeftButton);
    EXPECT_EQ(form->SysEx->count(), 3);

    selectLine(1);
    QTest::mouseClick(form->BtnCut, Qt::LeftButton);
    EXPECT_EQ(lines(form->SysEx),
              (QStringList{"0001 Roland(41H) 11Byte", "0003 YAMAHA(43H) 9Byte"}));
    EXPECT_EQ(form->store().count(), 2);
    // Line 1 shows the third message, and slot 1 holds it.
    EXPECT_EQ(stored(form->store(), 1), kYamaha);

    // Saving writes what the list shows.
    dialogs.answers.push_back(QString::fromStdString(dir.file("all.syx")));
    form->FileSave->trigger();
    EXPECT_EQ(readBytes(dir.file("all.syx")), concat({kRoland, kYamaha}));

    for (int i = 0; i < 2; ++i) {
        selectLine(0);
        QTest::mouseClick(form->BtnCut, Qt::LeftButton);
    }
    EXPECT_EQ(form->SysEx->count(), 0);
    EXPECT_EQ(form->store().count(), 0);
    EXPECT_FALSE(form->BtnCut->isEnabled());
    EXPECT_FALSE(form->BtnStart->isEnabled());
}

TEST_F(MainWindow, NewKeepsTheButtonsAndInitListDisablesThem) {
    openThroughToolBar(concat({kRoland, kYamaha}));
    form->BtnCut->setEnabled(true);
    form->New1->trigger();
    EXPECT_EQ(form->SysEx->count(), 0);
    EXPECT_EQ(form->store().count(), 0);
    EXPECT_TRUE(form->BtnStart->isEnabled());
    EXPECT_TRUE(form->BtnCut->isEnabled());

    openThroughToolBar(concat({kRoland, kYamaha}));
    QTest::mouseClick(form->SpeedButton3, Qt::LeftButton);
    EXPECT_EQ(form->SysEx->count(), 0);
    EXPECT_EQ(form->store().count(), 0);
    EXPECT_FALSE(form->BtnStart->isEnabled());
    EXPECT_FALSE(form->BtnCut->isEnabled());
}

TEST_F(MainWindow, CtrlSSavesFromAnyTabWithTheOverride) {
    openThroughToolBar(concat({kRoland, kYamaha}));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));

    // Override on, channel 3, set with the Config tab's own controls.
    form->TabMenu->setCurrentIndex(3);
    form->ForceMIDICH->setChecked(true);
    form->SysExCH->click(UpDown::Button::Up);
    form->SysExCH->click(UpDown::Button::Up);
    form->SysExCH->click(UpDown::Button::Up);
    form->SysExCH->click(UpDown::Button::Down);
    EXPECT_EQ(form->SysExCH->position(), 3);

    form->TabMenu->setCurrentIndex(1);
    form->ShowSyx->setFocus();
    const std::string path = dir.file("out.syx");
    dialogs.answers.push_back(QString::fromStdString(path));
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(dialogs.asked.back().title, "Syx File Save");

    Bytes expected = concat({kRoland, kYamaha});
    expected[2] = 0x12;
    expected[kRoland.size() + 2] = 0x12;
    EXPECT_EQ(readBytes(path), expected);
    EXPECT_EQ(readBytes(path).size(), 20u);
    EXPECT_EQ(form->store().message(0)[2], 0x12);  // the store keeps the new channel

    // The up-down stops at its ends.
    for (int i = 0; i < 20; ++i) form->SysExCH->click(UpDown::Button::Up);
    EXPECT_EQ(form->SysExCH->position(), 16);
}

TEST_F(MainWindow, FileErrorsShowTheirTextAndLoseNothing) {
    openThroughToolBar(concat({kRoland, kYamaha}));

    const QString missing = QString::fromStdString(dir.file("missing.syx"));
    dialogs.answers.push_back(missing);
    QTest::mouseClick(form->SpeedButton4, Qt::LeftButton);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "ファイル " + missing + " は開けません.");
    EXPECT_EQ(form->SysEx->count(), 0);   // the list was already cleared
    EXPECT_EQ(form->store().count(), 2);  // the store keeps its content

    const std::string target = dir.file("keep.syx");
    writeBytes(target, kCasio);
    const QString nowhere = QString::fromStdString(dir.file("no/such/x.syx"));
    dialogs.answers.push_back(nowhere);
    QTest::mouseClick(form->SpeedButton6, Qt::LeftButton);
    ASSERT_EQ(dialogs.errors.size(), 2);
    EXPECT_EQ(dialogs.errors[1], "ファイル " + nowhere + " を作成できません.");
    EXPECT_EQ(readBytes(target), kCasio);
}

TEST_F(MainWindow, DroppingFilesOpensOnlyTheFirst) {
    form->show();
    const std::string first = dir.file("first.dump");  // any extension is tried
    const std::string second = dir.file("second.syx");
    writeBytes(first, kCasio);
    writeBytes(second, concat({kRoland, kYamaha}));

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                  QUrl::fromLocalFile(QString::fromStdString(second))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    EXPECT_EQ(lines(form->SysEx), QStringList{"0001 Unknown(44H) 5Byte"});
}

TEST_F(MainWindow, AFileBeyondCapacityLoadsTheFirst9999AndSaysSo) {
    Bytes file;
    for (int i = 0; i < CaptureStore::kCapacity + 1; ++i)
        file.insert(file.end(), kCasio.begin(), kCasio.end());
    openThroughToolBar(file);
    EXPECT_EQ(form->SysEx->count(), 9999);
    EXPECT_EQ(form->store().count(), 9999);
    EXPECT_EQ(form->SysEx->item(9998)->text(), "9999 Unknown(44H) 5Byte");
    EXPECT_EQ(dialogs.messages, QStringList{"これ以上記録できません"});
}
