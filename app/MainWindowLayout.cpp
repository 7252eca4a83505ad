// The main window's layout: every control at its place at the smallest size, with its caption and
// initial state, and how it follows the window as the window grows (Anchors.h).
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QStringList>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Anchors.h"
#include "app/Appearance.h"
#include "app/ComparedListModel.h"
#include "app/ElidedLabel.h"
#include "app/Glyphs.h"
#include "app/MainWindow.h"
#include "app/MessageListModel.h"
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
    ButtonCommand(QAbstractButton* button, QAction* action) : QObject(button), action_(action) {
        connect(action, &QAction::triggered, button, &QAbstractButton::click);
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

void MainWindow::buildLayout() {
    // Standard MIDI Files beside .syx: the file's extension decides how it is read or written.
    openSyxDialog = {tr("Open SysEx File"),
                     tr("SysEx Files(*.syx)|*.ex;*.syx") + "|" +
                         tr("Standard MIDI Files(*.mid;*.midi)|*.mid;*.midi"),
                     "", "", false};
    saveSyxDialog = {tr("Save SysEx File", "dialog title"),
                     tr("SysEx Files(*.syx)|*.syx") + "|" + tr("Standard MIDI File(*.mid)|*.mid"),
                     "syx", "", true};
    openRequestDialog = {tr("Open Request File", "dialog title"), tr("Request Files(*.cfg)|*.cfg"),
                         "cfg", "", false};
    requestDialog_ = openRequestDialog;
    setWindowTitle("Pellum");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(face({"System", "Liberation Sans"}, 13));

    auto* client = new QWidget(this);
    // Laid out for its smallest size, which is also its first; anchor() lets it grow.
    client->setMinimumSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    buildMenu();
    buildToolBar(client);

    tabs = place(new QTabWidget(client), 0, 28, kClientWidth, 165);
    anchor(tabs, Follow::Width | Follow::Height);
    tabs->setFont(arial(12));
    tabs->setUsesScrollButtons(false);
    buildSysExTab();
    buildUserTab();
    buildReceiveTab();
    buildConfigTab();
    tabs->setCurrentIndex(0);
    buildStatusLine();
    // Labels show names from outside (ports, files, request files) as they are: "<b>" in a
    // port's name is three characters, not bold.
    for (QLabel* label : findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);

    sendTimer = new QTimer(this);
    sendTimer->setTimerType(Qt::PreciseTimer);
    sendTimer->setInterval(100);

    const QSize smallest = sizeHint();
    setMinimumSize(smallest);
    resize(smallest);
}

void MainWindow::buildMenu() {
    saveAction = new QAction(this);
    saveAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    saveAction->setShortcutContext(Qt::WindowShortcut);
    saveAction->setIcon(twoStateGlyph("save"));
    addAction(saveAction);  // Ctrl+S works whichever control has the focus

    saveAction->setToolTip(hintWithKey(tr("Save SysEx File"), saveAction->shortcut()));

    clearListAction = new QAction(tr("&Clear List"), this);
    clearListAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    clearListAction->setIcon(twoStateGlyph("initlist"));
    clearListAction->setToolTip(hintWithKey(tr("Clear List"), clearListAction->shortcut()));

    fileMenu = menuBar()->addMenu(tr("&File"));
    newAction = fileMenu->addAction(tr("&New"));
    newAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    openAction = fileMenu->addAction(tr("&Open..."));
    openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    // The item only shows the action's shortcut: a second Ctrl+S would make both ambiguous;
    // it triggers the action instead (see connectHandlers).
    saveMenuItem = fileMenu->addAction(tr("&Save\tCtrl+S"));
    saveAsAction = fileMenu->addAction(tr("Save &As..."));
    saveAsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    // The USER tab's two buttons, for the keyboard; a menu of their own would not fit the bar.
    fileMenu->addSeparator();
    openRequestAction = fileMenu->addAction(tr("Open &Request File..."));
    openRequestAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    sendRequestAction = fileMenu->addAction(tr("Send Re&quest"));
    sendRequestAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    fileMenuSeparator = fileMenu->addSeparator();
    exitAction = fileMenu->addAction(tr("E&xit"));
    exitAction->setShortcut(QKeySequence(Qt::Key_F10));

    // Editing the list: each change a step that Undo takes back, messages copied as hex text.
    editMenu = menuBar()->addMenu(tr("&Edit"));
    undoAction = editMenu->addAction(tr("&Undo"));
    undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redoAction = editMenu->addAction(tr("&Redo"));
    redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    editMenu->addSeparator();
    cutAction = editMenu->addAction(tr("Cu&t"));
    cutAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    copyAction = editMenu->addAction(tr("&Copy"));
    copyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    pasteAction = editMenu->addAction(tr("&Paste"));
    pasteAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    editMenu->addSeparator();
    selectAllAction = editMenu->addAction(tr("Select &All"));
    selectAllAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));

    // The tool bar's list and sending commands, where the keyboard finds them and their keys.
    listMenu = menuBar()->addMenu(tr("&List"));
    listMenu->addAction(clearListAction);
    deleteAction = listMenu->addAction(tr("&Delete Message"));
    deleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    moveUpAction = listMenu->addAction(tr("Move &Up"));
    moveUpAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Up));
    moveDownAction = listMenu->addAction(tr("Move Dow&n"));
    moveDownAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Down));
    // A key, not a click: clicking a line sends it.
    viewAction = listMenu->addAction(tr("&View Message..."));
    viewAction->setShortcut(QKeySequence(Qt::Key_F3));
    newMessageAction = listMenu->addAction(tr("&New Message..."));
    newMessageAction->setShortcut(QKeySequence(Qt::Key_Insert));
    fixChecksumAction = listMenu->addAction(tr("&Fix Checksum"));
    compareAction = listMenu->addAction(tr("Co&mpare With File..."));
    endCompareAction = listMenu->addAction(tr("End Com&parison"));
    endCompareAction->setEnabled(false);
    listMenu->addSeparator();
    sendAllAction = listMenu->addAction(tr("Send &All"));
    sendAllAction->setShortcut(QKeySequence(Qt::Key_F5));
    sendSelectedAction = listMenu->addAction(tr("Send S&elected"));
    sendSelectedAction->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F5));
    stopAction = listMenu->addAction(tr("S&top Sending"));
    stopAction->setShortcut(QKeySequence(Qt::Key_Escape));
    saveSelectedAction = listMenu->addAction(tr("Save Selected &As..."));
    listMenu->addSeparator();
    sendOnSelectAction = listMenu->addAction(tr("Send the &Selected Line"));
    sendOnSelectAction->setCheckable(true);
    sendOnSelectAction->setChecked(true);
    resumeCaptureAction = listMenu->addAction(tr("&Resume Capture"));
    resumeCaptureAction->setShortcut(QKeySequence(Qt::Key_F6));
    resumeCaptureAction->setEnabled(false);
    // The Config tab's pacing row is full at the window's first size: the third choice is here,
    // and Auto and Manual step aside while it is on.
    asRecordedAction = listMenu->addAction(tr("Send As &Recorded"));
    asRecordedAction->setCheckable(true);
    timesMenu = listMenu->addMenu(tr("T&imes"));
    auto* times = new QActionGroup(timesMenu);
    noTimesAction = times->addAction(tr("&No Times"));
    sinceStartAction = times->addAction(tr("Time Since Capture &Started"));
    gapAction = times->addAction(tr("&Gap Since the Line Before"));
    for (QAction* choice : times->actions()) {
        choice->setCheckable(true);
        timesMenu->addAction(choice);
    }
    noTimesAction->setChecked(true);

    helpMenu = menuBar()->addMenu(tr("&Help"));
    aboutAction = helpMenu->addAction(tr("&About"));
}

void MainWindow::buildToolBar(QWidget* client) {
    toolBar = place(new QFrame(client), 0, 0, kClientWidth, 28);
    anchor(toolBar, Follow::Width);

    clearListButton = speedButton(toolBar, "initlist", "", 0, 2, 23);
    clearListButton->setDefaultAction(clearListAction);
    openButton = speedButton(toolBar, "opensyx",
                             hintWithKey(tr("Open SysEx File"), openAction->shortcut()), 23, 2, 23);
    saveButton = speedButton(toolBar, "save", "", 46, 2, 23);
    saveButton->setDefaultAction(saveAction);
    deleteButton = speedButton(toolBar, "cut", tr("Delete Message"), 69, 2, 23);
    sendAllButton = speedButton(toolBar, "start", tr("Send All"), 92, 2, 23);
    stopButton = speedButton(toolBar, "stop", tr("Stop Sending"), 115, 2, 23);
    toolBarGap = place(new QFrame(toolBar), 138, 2, 79, 23);  // separator
    anchor(toolBarGap, Follow::Width);
    exitButton =
        speedButton(toolBar, "exit", hintWithKey(tr("Exit"), exitAction->shortcut()), 217, 2, 23);
    anchor(exitButton, Follow::Right);

    deleteButton->setEnabled(false);
    sendAllButton->setEnabled(false);
    stopButton->setEnabled(false);
    new ButtonCommand(deleteButton, deleteAction);
    new ButtonCommand(sendAllButton, sendAllAction);
    new ButtonCommand(stopButton, stopAction);
}

void MainWindow::buildSysExTab() {
    sysexTab = new QWidget;
    sysexTab->setFont(arial(13));
    tabs->addTab(sysexTab, tr("SysEx"));

    listCaption = label(sysexTab, tr("SysEx List"), 4, 0, arial(13, true));
    listFill = place(new QProgressBar(sysexTab), 70, 0, 163, 17);
    listFill->setRange(0, 100);
    listFill->setValue(0);
    listFill->setTextVisible(false);  // shown while a run goes
    listFill->setFormat("%v / %m");
    listFill->setAlignment(Qt::AlignCenter);
    anchor(listFill, Follow::Width);
    overrideState = label(sysexTab, QString(), 150, 0, arial(12, true));
    overrideState->setStyleSheet("color: #c00000;");
    overrideState->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    overrideState->setGeometry(150, 0, 83, 17);
    anchor(overrideState, Follow::Right);  // at the fill bar's right end
    overrideState->hide();

    messageList = place(new ListBox(sysexTab), 0, 17, 233, 118);
    anchor(messageList, Follow::Width | Follow::Height);
    messageList->setFont(arial(13, true));
    listModel_ = std::make_unique<MessageListModel>(list_);
    comparedModel_ = std::make_unique<ComparedListModel>(*listModel_, list_);
    messageList->setModel(comparedModel_.get());
    // The commands on the selection, under the right button too.
    messageList->setContextMenuPolicy(Qt::ActionsContextMenu);
    messageList->addActions({sendSelectedAction, saveSelectedAction, cutAction, copyAction,
                             pasteAction, deleteAction, moveUpAction, moveDownAction});
    messageList->setStyleSheet("QListView::item { height: 16px; padding: 0; }");
    messageList->setAttribute(Qt::WA_InputMethodEnabled, false);
    // A long maker name gives way in the middle: the line's number and byte count stay in sight.
    messageList->setTextElideMode(Qt::ElideMiddle);
    messageList->setIconSize(QSize(11, 11));
}

void MainWindow::buildUserTab() {
    requestTab = new QWidget;
    tabs->addTab(requestTab, tr("USER"));

    requestCaption = label(requestTab, tr("Dump Request"), 5, 0, arial(12, true));
    requestTitle = new ElidedLabel(requestTab);
    requestTitle->setFont(arial(11));
    const int titleLeft = requestCaption->geometry().right() + 8;
    requestTitle->setGeometry(titleLeft, 1, 233 - titleLeft, 14);
    anchor(requestTitle, Follow::Width);
    requestList = dropDownList(requestTab, 4, 16, 197, 19);
    requestList->setEnabled(false);
    anchor(requestList, Follow::Width);
    sendRequestButton = place(new QPushButton(requestTab), 208, 16, 24, 24);
    sendRequestButton->setIcon(twoStateGlyph("action"));
    sendRequestButton->setToolTip(tr("Send Request"));
    sendRequestButton->setEnabled(false);
    anchor(sendRequestButton, Follow::Right);

    informationCaption = label(requestTab, tr("Information"), 10, 42, arial(11, true));
    informationFrame = frameBevel(requestTab, 4, 48, 197, 41);
    anchor(informationFrame, Follow::Width);
    vendorCaption = label(requestTab, tr("Vendor"), 12, 55, arial(11, true));
    requestVendor = label(requestTab, "unknown", 59, 55, arial(11, true));
    typeCaption = label(requestTab, tr("Type"), 12, 70, arial(11, true));
    requestType = label(requestTab, "unknown", 59, 70, arial(11, true));
    openRequestButton = speedButton(requestTab, "opencfg", tr("Open Request File"), 208, 56, 24);
    anchor(openRequestButton, Follow::Right);
    openRequestButton->setFocusPolicy(Qt::TabFocus);
    new ButtonCommand(openRequestButton, openRequestAction);
    new ButtonCommand(sendRequestButton, sendRequestAction);
    QWidget::setTabOrder(requestList, sendRequestButton);
    QWidget::setTabOrder(sendRequestButton, openRequestButton);
    informationCaption->raise();

    sendCaption = label(requestTab, tr("Send"), 5, 92, arial(11, true));
    requestBytes = place(new QLineEdit(requestTab), 4, 108, 229, 21);
    anchor(requestBytes, Follow::Width);
    requestBytes->setReadOnly(true);
    requestBytes->setFocusPolicy(Qt::ClickFocus);
    requestBytes->setFrame(false);
    requestBytes->setFont(arial(12, true));
    requestBytes->setAttribute(Qt::WA_InputMethodEnabled, false);
    requestBytes->setStyleSheet("QLineEdit { background: #b4b4b4; }");  // the active border colour
}

void MainWindow::buildReceiveTab() {
    identityTab = new QWidget;
    tabs->addTab(identityTab, tr("Receive"));

    identityCaption = label(identityTab, tr("System Information"), 5, 0, arial(12, true));
    struct Row {
        const char* caption;
        QLabel** value;
        int left;
        const char* initial;
    };
    const Row rows[] = {
        {QT_TRANSLATE_NOOP("pellum::MainWindow", "Global Channel"), &globalChannel, 120, "--"},
        {QT_TRANSLATE_NOOP("pellum::MainWindow", "Vendor Name"), &vendorName, 104, "unknown"},
        {QT_TRANSLATE_NOOP("pellum::MainWindow", "Vendor ID"), &vendorId, 80, "00H"},
        {QT_TRANSLATE_NOOP("pellum::MainWindow", "Machine Name"), &machineName, 112, "unknown"},
        {QT_TRANSLATE_NOOP("pellum::MainWindow", "Machine ID"), &machineId, 88, "00H"},
        {QT_TRANSLATE_NOOP("pellum::MainWindow", "System Version"), &systemVersion, 120, "00"},
        {QT_TRANSLATE_NOOP("pellum::MainWindow", "Software Version"), &softwareVersion, 128, "00"},
    };
    int top = 16;
    for (const Row& row : rows) {
        label(identityTab, tr(row.caption), 12, top, arial(13, true));
        *row.value = label(identityTab, row.initial, row.left, top, arial(13));
        top += 16;
    }
    identityFrame = frameBevel(identityTab, 0, 137 - 126, 233, 126);
    anchor(identityFrame, Follow::Width | Follow::Height);
}

void MainWindow::buildConfigTab() {
    configTab = new QWidget;
    tabs->addTab(configTab, tr("Config"));

    configPanel = place(new QFrame(configTab), 0, 0, 233, 137);
    configPanel->setFrameShape(QFrame::NoFrame);
    anchor(configPanel, Follow::Width | Follow::Height);

    label(configPanel, tr("In"), 8, 1, arial(12, true));
    inputList = dropDownList(configPanel, 32, 3, 193, 19);
    captureOn = place(new QCheckBox(configPanel), 183, 7, 13, 16);
    label(configPanel, tr("Out"), 8, 25, arial(12, true));
    outputList = dropDownList(configPanel, 32, 27, 193, 19);
    sendOn = place(new QCheckBox(configPanel), 175, 31, 13, 16);
    for (QWidget* list : {inputList, outputList}) anchor(list, Follow::Width);
    for (QCheckBox* sw : {captureOn, sendOn}) {
        anchor(sw, Follow::Right);  // on the list's right end
        sw->setFont(arial(11));
        sw->setChecked(true);
        sw->setEnabled(false);  // switches the program sets, never the user
    }

    label(configPanel, tr("SysEx Channel"), 8, 57, arial(12, true));
    overrideBox = place(new QCheckBox(tr("Override"), configPanel), 28, 74, 89, 15);
    overrideBox->setFont(arial(12));
    label(configPanel, tr("Channel"), 126, 74, arial(12, true));
    overrideChannel = label(configPanel, "1", 187, 74, arial(12, true));
    // Sized for one digit it would show channels 10 to 16 as "1": it ends where the selector
    // begins and grows to the left.
    overrideChannel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    overrideChannel->setGeometry(180, 74, 200 - 180, overrideChannel->height());
    channelStepper = place(new UpDown(configPanel), 200, 73, 25, 13);
    channelStepper->setRange(1, 16);
    channelStepper->setPosition(1);

    label(configPanel, tr("Send Speed"), 8, 97, arial(12, true));
    autoSpeed = place(new QRadioButton(tr("Auto"), configPanel), 88, 97, 49, 17);
    manualSpeed = place(new QRadioButton(tr("Manual"), configPanel), 136, 97, 65, 17);
    autoSpeed->setFont(arial(12));
    manualSpeed->setFont(arial(12));
    manualSpeed->setChecked(true);
    // The wait Manual keeps between two messages, beside the choice it belongs to.
    manualWait = label(configPanel, QString(), 199, 99, arial(10));
    manualWait->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    manualWait->setGeometry(199, 99, 233 - 199, 14);
    anchor(manualWait, Follow::Right);
    lowCaption = label(configPanel, tr("Low"), 24, 113, arial(12, true));
    sendSpeed = place(new QSlider(Qt::Horizontal, configPanel), 48, 113, 145, 20);
    sendSpeed->setRange(1, 9);
    sendSpeed->setValue(5);
    sendSpeed->setTickInterval(1);
    sendSpeed->setSingleStep(1);
    sendSpeed->setPageStep(1);
    anchor(sendSpeed, Follow::Width);
    sendSpeed->setTickPosition(QSlider::TicksBelow);
    highCaption = label(configPanel, tr("High"), 200, 113, arial(12, true));
    anchor(highCaption, Follow::Right);
    showPacing();

    // The switches sit on top of the device lists' right ends, as they always have.
    captureOn->raise();
    sendOn->raise();
}

}  // namespace pellum

namespace pellum {

void MainWindow::buildStatusLine() {
    auto* line = new QWidget;
    line->setFont(arial(11));
    statusRows_ = new QVBoxLayout(line);
    statusRows_->setContentsMargins(2, 0, 2, 0);
    statusRows_->setSpacing(0);
    listStatus = new QLabel;
    checksumState = new QLabel;
    checksumState->setStyleSheet("color: #c00000; font-weight: bold;");
    checksumState->hide();
    compareState = new QLabel;
    compareState->setStyleSheet("color: #8a5a00; font-weight: bold;");
    compareState->hide();
    captureStatus = new QLabel;
    resumeButton = new QToolButton;
    resumeButton->setText(tr("Resume"));  // the menu's longer text would not fit the line
    connect(resumeButton, &QToolButton::clicked, resumeCaptureAction, &QAction::trigger);
    resumeButton->setAutoRaise(true);
    resumeButton->setFocusPolicy(Qt::NoFocus);
    resumeButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    resumeButton->setToolTip(
        hintWithKey(resumeCaptureAction->text().remove('&'), resumeCaptureAction->shortcut()));
    resumeButton->setMaximumHeight(QFontMetrics(line->font()).height() + 2);
    deviceStatus = new ElidedLabel;
    overrideStatus = new QLabel;
    arrangeStatusLine(false);
    statusBar()->addWidget(line, 1);
    statusBar()->setSizeGripEnabled(false);
}

void MainWindow::arrangeStatusLine(bool oneRow) {
    // Two rows where the window is narrow (the list, then the devices, capture and override,
    // the devices' names giving way), one where it is wide, so that the list keeps its room.
    while (QLayoutItem* row = statusRows_->takeAt(0)) delete row;
    auto* first = new QHBoxLayout;
    auto* second = oneRow ? first : new QHBoxLayout;
    for (auto* row : {first, second}) row->setSpacing(6);
    first->addWidget(listStatus);
    first->addWidget(checksumState);
    // Narrow, the comparison's count has a row of its own, there only while it shows.
    auto* compared = oneRow ? first : new QHBoxLayout;
    compared->addWidget(compareState);
    if (!oneRow) {
        first->addStretch(1);
        compared->addStretch(1);
    }
    second->addWidget(deviceStatus, 1);
    for (QWidget* w : {static_cast<QWidget*>(captureStatus), static_cast<QWidget*>(resumeButton),
                       static_cast<QWidget*>(overrideStatus)})
        second->addWidget(w);
    statusRows_->addLayout(first);
    if (!oneRow) {
        statusRows_->addLayout(compared);
        statusRows_->addLayout(second);
    }
    statusOneRow_ = oneRow;
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    const bool oneRow = width() >= kOneRowStatusWidth;
    if (oneRow != statusOneRow_) arrangeStatusLine(oneRow);
}

}  // namespace pellum
