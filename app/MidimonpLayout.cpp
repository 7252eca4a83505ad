// The main window's layout: every control at its place with its caption and initial state.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStringList>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include "app/Appearance.h"
#include "app/Glyphs.h"
#include "app/Midimonp.h"
#include "app/UpDown.h"

namespace pellum {

namespace {

constexpr int kClientWidth = 241;
constexpr int kClientHeight = 194;

// "ＭＳ ゴシック" is asked for by name; where it is missing the IPA face stands in for it.
const QStringList kGothic{QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")};

QFont face(const QStringList& families, int pixels, bool bold = false) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont arial(int pixels, bool bold = false) {
    return face({"Arial"}, pixels, bold);
}

template <typename W>
W* place(W* w, int left, int top, int width, int height) {
    w->setGeometry(left, top, width, height);
    return w;
}

QFrame* frameBevel(QWidget* parent, int left, int top, int width, int height) {
    auto* bevel = place(new QFrame(parent), left, top, width, height);
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->lower();
    return bevel;
}

QToolButton* speedButton(QWidget* parent, const QString& glyph, const QString& hint, int left,
                         int top, int size) {
    auto* b = place(new QToolButton(parent), left, top, size, size);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setIcon(twoStateGlyph(glyph));
    b->setIconSize(QSize(16, 16));
    b->setToolTip(hint);
    return b;
}

// A hint that names the command's key, so the keyboard way is learnt with the mouse.
QString hintWithKey(const QString& hint, const QKeySequence& key) {
    return hint + " (" + key.toString(QKeySequence::NativeText) + ")";
}

// A tool bar button's command as a keyboard shortcut and a menu item: triggering clicks the
// button, and the action is enabled exactly while the button is, whoever switches the button.
class ButtonCommand : public QObject {
public:
    ButtonCommand(QToolButton* button, QAction* action) : QObject(button), action_(action) {
        connect(action, &QAction::triggered, button, &QToolButton::click);
        action->setEnabled(button->isEnabled());
        button->installEventFilter(this);
        button->setToolTip(hintWithKey(button->toolTip(), action->shortcut()));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange)
            action_->setEnabled(static_cast<QWidget*>(watched)->isEnabled());
        return false;
    }

private:
    QAction* action_;
};

QComboBox* dropDownList(QWidget* parent, int left, int top, int width, int height) {
    auto* combo = place(new QComboBox(parent), left, top, width, height);
    combo->setEditable(false);
    combo->setFont(face(kGothic, 11));
    return combo;
}

}  // namespace

void TForm1::buildLayout() {
    OpenDialog1 = {tr("Open SysEx File"), tr("SysEx Files(*.syx)|*.ex;*.syx"), "", "", false};
    SaveDialog1 = {tr("Save SysEx File", "dialog title"), tr("SysEx Files(*.syx)|*.syx"), "syx", "",
                   false};
    OpenDialog2 = {tr("Open Request File", "dialog title"), tr("Request Files(*.cfg)|*.cfg"), "cfg",
                   "", false};
    openDialog2_ = OpenDialog2;
    setWindowTitle("Pellum");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(face({"System", "Liberation Sans"}, 13));

    auto* client = new QWidget(this);
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    buildMenu();
    buildToolBar(client);

    TabMenu = place(new QTabWidget(client), 0, 28, kClientWidth, 165);
    TabMenu->setFont(arial(12));
    TabMenu->setUsesScrollButtons(false);
    buildSysExTab();
    buildUserTab();
    buildReceiveTab();
    buildConfigTab();
    TabMenu->setCurrentIndex(0);

    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(100);

    // The window keeps its size: fixed client, no maximize, no sizing borders.
    setFixedSize(sizeHint());
}

void TForm1::buildMenu() {
    FileSave = new QAction(this);
    FileSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    FileSave->setShortcutContext(Qt::WindowShortcut);
    FileSave->setIcon(twoStateGlyph("save"));
    addAction(FileSave);  // Ctrl+S works whichever control has the focus

    FileSave->setToolTip(hintWithKey(tr("Save SysEx File"), FileSave->shortcut()));

    InitList = new QAction(tr("&Clear List"), this);
    InitList->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    InitList->setIcon(twoStateGlyph("initlist"));
    InitList->setToolTip(hintWithKey(tr("Clear List"), InitList->shortcut()));

    File1 = menuBar()->addMenu(tr("&File"));
    New1 = File1->addAction(tr("&New"));
    New1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    SysexI1 = File1->addAction(tr("&Open..."));
    SysexI1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    // The item only shows the action's shortcut: a second Ctrl+S would make both ambiguous;
    // it triggers the action instead (see connectHandlers).
    SysexE1 = File1->addAction(tr("&Save\tCtrl+S"));
    N1 = File1->addSeparator();
    mnuExit = File1->addAction(tr("E&xit"));
    mnuExit->setShortcut(QKeySequence(Qt::Key_F10));

    // The tool bar's list and sending commands, where the keyboard finds them and their keys.
    List1 = menuBar()->addMenu(tr("&List"));
    List1->addAction(InitList);
    ListDelete = List1->addAction(tr("&Delete Message"));
    ListDelete->setShortcut(QKeySequence(Qt::Key_Delete));
    List1->addSeparator();
    AutoSending = List1->addAction(tr("Send &All"));
    AutoSending->setShortcut(QKeySequence(Qt::Key_F5));
    SendStop = List1->addAction(tr("S&top Sending"));
    SendStop->setShortcut(QKeySequence(Qt::Key_Escape));

    Help1 = menuBar()->addMenu(tr("&Help"));
    About1 = Help1->addAction(tr("&About"));
}

void TForm1::buildToolBar(QWidget* client) {
    ToolBar1 = place(new QFrame(client), 0, 0, kClientWidth, 28);

    SpeedButton3 = speedButton(ToolBar1, "initlist", "", 0, 2, 23);
    SpeedButton3->setDefaultAction(InitList);
    SpeedButton4 = speedButton(ToolBar1, "opensyx",
                               hintWithKey(tr("Open SysEx File"), SysexI1->shortcut()), 23, 2, 23);
    SpeedButton6 = speedButton(ToolBar1, "save", "", 46, 2, 23);
    SpeedButton6->setDefaultAction(FileSave);
    BtnCut = speedButton(ToolBar1, "cut", tr("Delete Message"), 69, 2, 23);
    BtnStart = speedButton(ToolBar1, "start", tr("Send All"), 92, 2, 23);
    BtnStop = speedButton(ToolBar1, "stop", tr("Stop Sending"), 115, 2, 23);
    ToolButton1 = place(new QFrame(ToolBar1), 138, 2, 79, 23);  // separator
    SpeedButton7 =
        speedButton(ToolBar1, "exit", hintWithKey(tr("Exit"), mnuExit->shortcut()), 217, 2, 23);

    BtnCut->setEnabled(false);
    BtnStart->setEnabled(false);
    BtnStop->setEnabled(false);
    new ButtonCommand(BtnCut, ListDelete);
    new ButtonCommand(BtnStart, AutoSending);
    new ButtonCommand(BtnStop, SendStop);
}

void TForm1::buildSysExTab() {
    MnSysEx = new QWidget;
    MnSysEx->setFont(arial(13));
    TabMenu->addTab(MnSysEx, tr("SysEx"));

    Label5 = label(MnSysEx, tr("SysEx List"), 4, 0, arial(13, true));
    Meter = place(new QProgressBar(MnSysEx), 70, 0, 163, 17);
    Meter->setRange(0, 100);
    Meter->setValue(0);
    Meter->setTextVisible(false);
    OverrideState = label(MnSysEx, QString(), 150, 0, arial(12, true));
    OverrideState->setStyleSheet("color: #c00000;");
    OverrideState->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    OverrideState->setGeometry(150, 0, 83, 17);
    OverrideState->hide();

    SysEx = place(new ListBox(MnSysEx), 0, 17, 233, 118);
    SysEx->setFont(arial(13, true));
    SysEx->setUniformItemSizes(true);
    SysEx->setStyleSheet("QListWidget::item { height: 16px; padding: 0; }");
    SysEx->setAttribute(Qt::WA_InputMethodEnabled, false);
}

void TForm1::buildUserTab() {
    MnUSER = new QWidget;
    TabMenu->addTab(MnUSER, tr("USER"));

    Label6 = label(MnUSER, tr("Dump Request"), 5, 0, arial(12, true));
    LsUser = dropDownList(MnUSER, 4, 16, 197, 19);
    LsUser->setEnabled(false);
    SendBTN = place(new QPushButton(MnUSER), 208, 16, 24, 24);
    SendBTN->setIcon(twoStateGlyph("action"));
    SendBTN->setToolTip(tr("Send Request"));
    SendBTN->setEnabled(false);

    Information = label(MnUSER, tr("Information"), 10, 42, arial(11, true));
    Bevel1 = frameBevel(MnUSER, 4, 48, 197, 41);
    Label2 = label(MnUSER, tr("Vendor"), 12, 55, arial(11, true));
    VendorID = label(MnUSER, "unknown", 59, 55, arial(11, true));
    Label1 = label(MnUSER, tr("Type"), 12, 70, arial(11, true));
    TYPE_NAME = label(MnUSER, "unknown", 59, 70, arial(11, true));
    SpeedButton2 = speedButton(MnUSER, "opencfg", tr("Open Request File"), 208, 56, 24);
    Information->raise();

    Label4 = label(MnUSER, tr("Send"), 5, 92, arial(11, true));
    ShowSyx = place(new QLineEdit(MnUSER), 4, 108, 229, 21);
    ShowSyx->setReadOnly(true);
    ShowSyx->setFocusPolicy(Qt::ClickFocus);
    ShowSyx->setFrame(false);
    ShowSyx->setFont(arial(12, true));
    ShowSyx->setAttribute(Qt::WA_InputMethodEnabled, false);
    ShowSyx->setStyleSheet("QLineEdit { background: #b4b4b4; }");  // the active border colour
}

void TForm1::buildReceiveTab() {
    Receive = new QWidget;
    TabMenu->addTab(Receive, tr("Receive"));

    Label7 = label(Receive, tr("System Information"), 5, 0, arial(12, true));
    struct Row {
        const char* caption;
        QLabel** value;
        int left;
        const char* initial;
    };
    const Row rows[] = {
        {QT_TRANSLATE_NOOP("pellum::TForm1", "Global Channel"), &G_CH, 120, "--"},
        {QT_TRANSLATE_NOOP("pellum::TForm1", "Vendor Name"), &N_Vendor, 104, "unknown"},
        {QT_TRANSLATE_NOOP("pellum::TForm1", "Vendor ID"), &G_Vendor, 80, "00H"},
        {QT_TRANSLATE_NOOP("pellum::TForm1", "Machine Name"), &N_Machine, 112, "unknown"},
        {QT_TRANSLATE_NOOP("pellum::TForm1", "Machine ID"), &G_Family, 88, "00H"},
        {QT_TRANSLATE_NOOP("pellum::TForm1", "System Version"), &G_ROM, 120, "00"},
        {QT_TRANSLATE_NOOP("pellum::TForm1", "Software Version"), &G_SOFT, 128, "00"},
    };
    int top = 16;
    for (const Row& row : rows) {
        label(Receive, tr(row.caption), 12, top, arial(13, true));
        *row.value = label(Receive, row.initial, row.left, top, arial(13));
        top += 16;
    }
    Bevel3 = frameBevel(Receive, 0, 137 - 126, 233, 126);
}

void TForm1::buildConfigTab() {
    TabSheet1 = new QWidget;
    TabMenu->addTab(TabSheet1, tr("Config"));

    Panel1 = place(new QFrame(TabSheet1), 0, 0, 233, 137);
    Panel1->setFrameShape(QFrame::NoFrame);

    label(Panel1, tr("In"), 8, 1, arial(12, true));
    cmbInput = dropDownList(Panel1, 32, 3, 193, 19);
    In_chk = place(new QCheckBox(Panel1), 183, 7, 13, 16);
    label(Panel1, tr("Out"), 8, 25, arial(12, true));
    cmbOutput = dropDownList(Panel1, 32, 27, 193, 19);
    Out_chk = place(new QCheckBox(Panel1), 175, 31, 13, 16);
    for (QCheckBox* sw : {In_chk, Out_chk}) {
        sw->setFont(arial(11));
        sw->setChecked(true);
        sw->setEnabled(false);  // switches the program sets, never the user
    }

    label(Panel1, tr("SysEx Channel"), 8, 57, arial(12, true));
    ForceMIDICH = place(new QCheckBox(tr("Override"), Panel1), 28, 74, 89, 15);
    ForceMIDICH->setFont(arial(12));
    label(Panel1, tr("Channel"), 126, 74, arial(12, true));
    CH = label(Panel1, "1", 187, 74, arial(12, true));
    // Sized for one digit it would show channels 10 to 16 as "1": it ends where the selector
    // begins and grows to the left.
    CH->setAlignment(Qt::AlignRight | Qt::AlignTop);
    CH->setGeometry(180, 74, 200 - 180, CH->height());
    SysExCH = place(new UpDown(Panel1), 200, 73, 25, 13);
    SysExCH->setRange(1, 16);
    SysExCH->setPosition(1);

    label(Panel1, tr("Send Speed"), 8, 97, arial(12, true));
    S_Auto = place(new QRadioButton(tr("Auto"), Panel1), 88, 97, 49, 17);
    S_Man = place(new QRadioButton(tr("Manual"), Panel1), 136, 97, 65, 17);
    S_Auto->setFont(arial(12));
    S_Man->setFont(arial(12));
    S_Man->setChecked(true);
    L_Low = label(Panel1, tr("Low"), 24, 113, arial(12, true));
    SendSpeed = place(new QSlider(Qt::Horizontal, Panel1), 48, 113, 145, 20);
    SendSpeed->setRange(1, 9);
    SendSpeed->setValue(5);
    SendSpeed->setTickInterval(1);
    SendSpeed->setSingleStep(1);
    SendSpeed->setPageStep(1);
    SendSpeed->setTickPosition(QSlider::TicksBelow);
    L_High = label(Panel1, tr("High"), 200, 113, arial(12, true));

    // The switches sit on top of the device lists' right ends, as they always have.
    In_chk->raise();
    Out_chk->raise();
}

}  // namespace pellum
