// The main window's controls, named by their role; MainWindowLayout.cpp builds and places them.
// The window keeps them to itself: tests reach them through WindowControlsAccess, to drive the
// window as a user does.
#pragma once

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class QTimer;
class QToolButton;
class QWidget;

namespace pellum {

class ElidedLabel;
class ListBox;
class MessageView;
class UpDown;

struct MainWindowControls {
    // Tool bar.
    QFrame* toolBar;
    QToolButton* clearListButton;
    QToolButton* openButton;
    QToolButton* saveButton;
    QToolButton* deleteButton;
    QToolButton* sendAllButton;
    QToolButton* stopButton;
    QFrame* toolBarGap;
    QToolButton* exitButton;

    // Menu and actions.
    QMenu* fileMenu;
    QAction* newAction;
    QAction* openAction;
    QAction* saveMenuItem;
    QAction* fileMenuSeparator;
    QAction* saveAsAction;
    QAction* openRequestAction;
    QAction* sendRequestAction;
    QAction* exitAction;
    QMenu* helpMenu;
    QAction* aboutAction;
    QAction* saveAction;
    QAction* clearListAction;
    // The List menu: "Clear List" is clearListAction; the others click deleteButton, sendAllButton
    // and stopButton.
    QMenu* listMenu;
    QAction* deleteAction;
    QAction* viewAction;
    QAction* sendAllAction;
    QAction* stopAction;
    // On: choosing a line sends it; off: moving selects, Enter or a double-click sends.
    QAction* sendOnSelectAction;
    QAction* resumeCaptureAction;
    QAction* asRecordedAction;  // a run goes at the gaps its messages came with
    QMenu* timesMenu;
    QAction* noTimesAction;
    QAction* sinceStartAction;
    QAction* gapAction;
    QAction* moveUpAction;
    QAction* moveDownAction;
    QAction* sendSelectedAction;
    QAction* saveSelectedAction;
    QAction* newMessageAction;
    QAction* fixChecksumAction;
    QAction* compareAction;
    QAction* endCompareAction;
    // The Edit menu.
    QMenu* editMenu;
    QAction* undoAction;
    QAction* redoAction;
    QAction* cutAction;
    QAction* copyAction;
    QAction* pasteAction;
    QAction* selectAllAction;

    QTabWidget* tabs;
    QWidget* sysexTab;
    QWidget* requestTab;
    QWidget* identityTab;
    QWidget* configTab;

    // "SysEx" tab.
    QLabel* listCaption;
    QProgressBar* listFill;
    // Says, while the override is on, the channel saves and sends take: beside the list they
    // change, not only on the Config tab.
    QLabel* overrideState;
    // How many listed messages have a wrong checksum; hidden while none has.
    QLabel* checksumState;
    // How many lines differ from the file the list is compared with; hidden while none is.
    QLabel* compareState;
    ListBox* messageList;
    MessageView* messageView = nullptr;

    // "USER" tab.
    QLabel* requestCaption;
    ElidedLabel* requestTitle;  // the request file's own title line
    QComboBox* requestList;
    QPushButton* sendRequestButton;
    QLabel* informationCaption;
    QFrame* informationFrame;
    QLabel* vendorCaption;
    QLabel* requestVendor;
    QLabel* typeCaption;
    QLabel* requestType;
    QToolButton* openRequestButton;
    QLabel* sendCaption;
    QLineEdit* requestBytes;

    // "Receive" tab: System Information.
    QLabel* identityCaption;
    QLabel* globalChannel;
    QLabel* vendorName;
    QLabel* vendorId;
    QLabel* machineName;
    QLabel* machineId;
    QLabel* systemVersion;
    QLabel* softwareVersion;
    QFrame* identityFrame;

    // "Config" tab.
    QFrame* configPanel;
    QComboBox* inputList;
    QCheckBox* captureOn;
    QComboBox* outputList;
    QCheckBox* sendOn;
    QCheckBox* overrideBox;
    QLabel* overrideChannel;
    UpDown* channelStepper;
    QRadioButton* autoSpeed;
    QRadioButton* manualSpeed;
    QLabel* manualWait;
    QLabel* lowCaption;
    QSlider* sendSpeed;
    QLabel* highCaption;

    QTimer* sendTimer;

    // The status line.
    QLabel* listStatus;         // messages and bytes
    ElidedLabel* deviceStatus;  // the open input and output
    QLabel* captureStatus;      // capture on or paused
    QToolButton* resumeButton;
    QLabel* overrideStatus;
};

}  // namespace pellum
