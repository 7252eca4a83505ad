// TForm1, Pellum's main window: the tool bar, menu, actions and the four tabs, and the handlers
// of the SysEx list and its files. Controls keep the names the rest of the program uses.
#pragma once

#include <QMainWindow>
#include <memory>

#include "app/Dialogs.h"
#include "core/ChannelOverride.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class QTimer;
class QToolButton;

namespace pellum {

class CaptureStore;
class UpDown;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    // The file dialogs as the window runs them.
    static const FileDialogSpec OpenDialog1;
    static const FileDialogSpec SaveDialog1;
    static const FileDialogSpec OpenDialog2;

    CaptureStore& store() { return *store_; }

    // List commands.
    void New1Click();
    void InitListExecute();
    void BtnCutClick();

    // File commands.
    void SysexI1Click();
    void SpeedButton4Click();
    void FileSaveExecute();
    void openfile(const QString& fileName);

    // The override as the Config tab sets it right now.
    ChannelOverride channelOverride() const;

    // Tool bar.
    QFrame* ToolBar1;
    QToolButton* SpeedButton3;
    QToolButton* SpeedButton4;
    QToolButton* SpeedButton6;
    QToolButton* BtnCut;
    QToolButton* BtnStart;
    QToolButton* BtnStop;
    QFrame* ToolButton1;
    QToolButton* SpeedButton7;

    // Menu and actions.
    QMenu* File1;
    QAction* New1;
    QAction* SysexI1;
    QAction* SysexE1;
    QAction* N1;
    QAction* mnuExit;
    QMenu* Help1;
    QAction* About1;
    QAction* FileSave;
    QAction* InitList;

    QTabWidget* TabMenu;
    QWidget* MnSysEx;
    QWidget* MnUSER;
    QWidget* Receive;
    QWidget* TabSheet1;

    // "SysEx" tab.
    QLabel* Label5;
    QProgressBar* Meter;
    QListWidget* SysEx;

    // "USER" tab.
    QLabel* Label6;
    QComboBox* LsUser;
    QPushButton* SendBTN;
    QLabel* Information;
    QFrame* Bevel1;
    QLabel* Label2;
    QLabel* VendorID;
    QLabel* Label1;
    QLabel* TYPE_NAME;
    QToolButton* SpeedButton2;
    QLabel* Label4;
    QLineEdit* ShowSyx;

    // "Receive" tab: System Information.
    QLabel* Label7;
    QLabel* G_CH;
    QLabel* N_Vendor;
    QLabel* G_Vendor;
    QLabel* N_Machine;
    QLabel* G_Family;
    QLabel* G_ROM;
    QLabel* G_SOFT;
    QFrame* Bevel3;

    // "Config" tab.
    QFrame* Panel1;
    QComboBox* cmbInput;
    QCheckBox* In_chk;
    QComboBox* cmbOutput;
    QCheckBox* Out_chk;
    QCheckBox* ForceMIDICH;
    QLabel* CH;
    UpDown* SysExCH;
    QRadioButton* S_Auto;
    QRadioButton* S_Man;
    QLabel* L_Low;
    QSlider* SendSpeed;
    QLabel* L_High;

    QTimer* Timer1;

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildToolBar(QWidget* client);
    void buildMenu();
    void buildSysExTab();
    void buildUserTab();
    void buildReceiveTab();
    void buildConfigTab();

    Dialogs& dialogs_;
    std::unique_ptr<CaptureStore> store_;
    bool centred_ = false;
};

}  // namespace pellum
