// TForm1, Pellum's main window: the tool bar, menu, actions and four tabs, and the handlers of
// the SysEx list and files, of start-up and device selection, of capture and sending, of the
// dump requests and of the instrument's identity.
// Controls keep the names the rest of the program uses. Layout in MidimonpLayout.cpp.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/Dialogs.h"
#include "app/ListBox.h"
#include "core/ChannelOverride.h"
#include "midi/OutputPort.h"

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

namespace pellum {

namespace midi {
class MidiService;
class NoticeSink;
}  // namespace midi

class CaptureStore;
class Registry;
struct SystemInformation;
class TAbout;
class TMidiInput;
class TMyMidiEvent;
class UpDown;
class UserDumpSet;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and runs the start-up sequence. `midi`, `notices` and `registry` must
    // outlive the window.
    TForm1(Dialogs& dialogs, midi::MidiService& midi, midi::NoticeSink& notices, Registry& registry,
           QWidget* parent = nullptr);
    ~TForm1() override;

    // The settings key under the current user.
    static constexpr const char* kRegistryKey = "SOFTWARE\\VOSSEL\\Pellum";

    // The file dialogs as the window runs them.
    // In the UI language, set with the layout.
    FileDialogSpec OpenDialog1;
    FileDialogSpec SaveDialog1;
    FileDialogSpec OpenDialog2;

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

    // Start-up, settings and devices.
    void FormCreate();
    void INIT(std::uint8_t mode);
    void OpenDevs();
    void CloseDevs();
    void cmbInputChange();
    void cmbOutputChange();
    void mnuExitClick();
    void About1Click();
    void SpeedButton7Click();
    std::uint8_t inputPosition() const { return inputPosition_; }
    std::uint8_t outputPosition() const { return outputPosition_; }
    const std::string& userDumpPath() const { return userDumpPath_; }
    OutputPort& outputPort() { return output_; }

    // Capture.
    void MIDIInput1MidiInput();
    // Lists what waits while capture is on and the list has room: what was held while capture
    // was paused (told in a notice), then what waits in the input. Run whenever capture resumes
    // or the list gets room.
    void takeWhatWaits();
    void LogMessage(const TMyMidiEvent& event);

    // Sending.
    void SysExClick();
    void BtnStartClick();
    void Timer1Timer();
    void BtnStopClick();
    void sendStoredMessage(int index);
    // send long message on the output port; a message the port could not hand on (the MIDI
    // server went away) is raised as an error with the port's text.
    void sendOut(std::span<const std::uint8_t> bytes);
    void ForceMIDICHClick();
    void SysExCHClick();
    void S_AutoClick();
    void S_ManClick();
    int autoSendPosition() const { return autoSendPosition_; }

    // Dump requests (the USER tab). `path` is UTF-8. A load that fails changes nothing and
    // throws; a file that is not there is passed over without a word when `quietWhenMissing`.
    void SpeedButton2Click();
    void loading(const std::string& path, bool quietWhenMissing);
    void sendsyx(bool send);
    void LsUserChange();
    void SendBTNClick();

    // The About box, created by the main sequence; none in a window built on its own.
    TAbout* About = nullptr;

    // The input component.
    std::unique_ptr<TMidiInput> MidiInput1;

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
    // The List menu: "Clear List" is InitList; the others click BtnCut, BtnStart and BtnStop.
    QMenu* List1;
    QAction* ListDelete;
    QAction* AutoSending;
    QAction* SendStop;

    QTabWidget* TabMenu;
    QWidget* MnSysEx;
    QWidget* MnUSER;
    QWidget* Receive;
    QWidget* TabSheet1;

    // "SysEx" tab.
    QLabel* Label5;
    QProgressBar* Meter;
    // Says, while the override is on, the channel saves and sends take: beside the list they
    // change, not only on the Config tab.
    QLabel* OverrideState;
    ListBox* SysEx;

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
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildLayout();
    void connectHandlers();
    void buildToolBar(QWidget* client);
    void buildMenu();
    void buildSysExTab();
    void buildUserTab();
    void buildReceiveTab();
    void buildConfigTab();

    void readPosition(class RegistryKey& key, const char* name, std::uint8_t& position);
    std::string readText(RegistryKey& key, const char* name);
    // Sets `position` to where the saved device `name` is listed; false when it is not listed.
    bool findSavedDevice(QComboBox* list, const std::string& name, std::uint8_t& position);
    // Leaves `list` without a selection, saying which device is not open and whether it is
    // listed now.
    void showUnopened(QComboBox* list, const std::string& name, bool listed);
    // A notice of what start-up could not open, and of a machine without any MIDI system.
    void tellMissing(bool inputMissing, bool outputMissing);
    // The device lists follow the system: ports that came or went since the last look.
    void followDevices();
    void relist(QComboBox* list, const QStringList& entries, const std::string& saved,
                std::uint8_t& position);
    static std::string chosenName(const QComboBox* list);
    // Shows the selected request with the override as it stands; nothing without a selection.
    std::optional<std::vector<std::uint8_t>> previewRequest();
    // The override controls moved, by the user or by a received message.
    void overrideChanged();
    void armTimer(int milliseconds);
    void setWaitCursor(bool waiting);
    void showIdentityReply(std::span<const std::uint8_t> message);
    void showSystemInformation(const SystemInformation& info);
    // A plain notice, unless the same one is still open: its modal loop goes on handling input
    // events, each of which would stack another box.
    void showNotice(const QString& text);
    // Says once per burst that received bytes were lost (the driver holds a few seconds of
    // input while the window is busy, but no more), and that the input device went away.
    void checkInputLoss();

    Dialogs& dialogs_;
    midi::MidiService& midi_;
    Registry& registry_;
    OutputPort output_;
    std::unique_ptr<CaptureStore> store_;
    std::unique_ptr<UserDumpSet> userDumps_;
    std::uint8_t inputPosition_ = 0;
    std::uint8_t outputPosition_ = 0;
    // The chosen devices' names, saved beside the positions; empty for "(None)".
    std::string inputName_;
    std::string outputName_;
    std::string userDumpPath_;
    bool outputLost_ = false;  // a send found the output's destination gone
    // Received while capture was paused, oldest first, and what found no room.
    std::deque<std::unique_ptr<TMyMidiEvent>> heldWhilePaused_;
    int letGoWhilePaused_ = 0;
    FileDialogSpec openDialog2_;  // OpenDialog2 whose initial file follows the settings
    int autoSendPosition_ = 0;
    int timerInterval_ = 100;
    QElapsedTimer timerArmed_;
    bool centred_ = false;
    QSet<QString> openNotices_;
    QTimer* lossCheck_ = nullptr;
    QTimer* deviceWatch_ = nullptr;
    std::uint64_t lossShown_ = 0;
    std::uint64_t devicesLostShown_ = 0;
    std::uint64_t gapsShown_ = 0;
    std::uint64_t possibleGapsShown_ = 0;
    bool skippingTooLong_ = false;  // the rest of a received message too long to keep
    bool lossNoticeOpen_ = false;
};

}  // namespace pellum
