// MainWindow, Pellum's main window: the tool bar, menu, actions and four tabs, and the handlers of
// the SysEx list and files, of start-up and device selection, of capture and sending, of the
// dump requests and of the instrument's identity.
// Controls are named by their role; the layout is in MainWindowLayout.cpp.
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
#include "app/MainWindowControls.h"
#include "core/files/MidiFile.h"
#include "core/list/ListHistory.h"
#include "core/list/MessageList.h"
#include "core/messages/ChannelOverride.h"
#include "core/messages/SysexAssembler.h"
#include "device/OutputDevice.h"

class QComboBox;
class QTimer;
class QVBoxLayout;

namespace pellum {

namespace midi {
class MidiService;
class NoticeSink;
}  // namespace midi

namespace device {
class InputDevice;
struct ReceivedEvent;
}  // namespace device

class Registry;
struct SystemInformation;
class AboutBox;
class ComparedListModel;
class ElidedLabel;
class MessageListModel;
class MessageView;
class UpDown;
class RequestSet;

class MainWindow : public QMainWindow, private MainWindowControls {
    Q_OBJECT
public:
    // Builds the window and runs the start-up sequence. `midi`, `notices` and `registry` must
    // outlive the window.
    MainWindow(Dialogs& dialogs, midi::MidiService& midi, midi::NoticeSink& notices,
               Registry& registry, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The settings key under the current user.
    static constexpr const char* kRegistryKey = "SOFTWARE\\VOSSEL\\Pellum";

    // The file dialogs as the window runs them.
    // In the UI language, set with the layout.
    FileDialogSpec openSyxDialog;
    FileDialogSpec saveSyxDialog;
    FileDialogSpec openRequestDialog;

    // The SysEx list: what the list view shows, and what is sent and saved.
    const MessageList& list() const { return list_; }

    // List commands.
    void newList();
    void clearList();
    // New and Clear List as the user gives them: after asking about unsaved work.
    void newListAsked();
    void clearListAsked();
    // The commands on the selected lines; each change is a step that Undo takes back.
    void deleteLines();
    void cutLines();
    void copyLines();
    // Adds the messages of the clipboard's hex text after the selected lines (or the current
    // one, or at the end); text that is not whole SysEx is refused and changes nothing.
    void pasteLines();
    // `by` -1 moves the selected lines up a line, +1 down.
    void moveLines(int by);
    void dropLines(const std::vector<int>& rows, int before);
    void undoStep();
    void redoStep();
    // Saves the selected lines only, with the override as the Config tab sets it; the list,
    // its file and its mark stay as they are.
    void saveSelectedAs();
    // Opens the message view on the selected line (or the current one); sends nothing.
    void viewMessage();
    // Opens the message view empty, for a message typed or pasted as hex.
    void newMessage();
    // The message view's bytes: the viewed line becomes them, or a new line after the current
    // one holds them; one step either way.
    void messageApplied(const std::vector<std::uint8_t>& bytes);
    // Sets every wrong checksum of a known format right, in the selected lines or else the
    // whole list, as one step, and says how many.
    void fixChecksums();
    // Compare With File (MainWindowCompare.cpp): marks the lines that differ from the file until
    // the comparison ends, following every change of the list; the list itself stays as it is.
    void compareWithChosenFile();
    void compareWithFile(const QString& fileName);
    void endComparison();

    // File commands.
    void openSyx();
    // Save writes the file the list came from or was last saved to, and asks only when there
    // is none; Save As always asks.
    void saveList();
    void saveListAs();
    // Saves under a name the user picks; false when the user cancelled.
    bool saveToChosenFile();
    // Asks before a command throws away captured or edited messages no file holds: true when
    // the command may go on (nothing to lose, saved, or discarded on purpose).
    bool mayDiscardList();
    void openSyxFile(const QString& fileName);

    // The override as the Config tab sets it right now.
    ChannelOverride channelOverride() const;

    // Start-up, settings and devices.
    void startUp();
    // The devices chosen and the request file, under kRegistryKey.
    void saveSettings();
    void loadSettings();
    void openDevices();
    void closeDevices();
    void inputChosen();
    void outputChosen();
    void exitProgram();
    void showAbout();
    std::uint8_t inputPosition() const { return inputPosition_; }
    std::uint8_t outputPosition() const { return outputPosition_; }
    const std::string& requestFilePath() const { return requestFilePath_; }
    device::OutputDevice& outputDevice() { return output_; }

    // Capture.
    void takeInput();
    // Lists what waits while capture is on and the list has room: what was held while capture
    // was paused (told in a notice), then what waits in the input. Run whenever capture resumes
    // or the list gets room.
    void takeWhatWaits();
    // One buffer the input handed back, joined into messages as they end.
    void logMessage(const device::ReceivedEvent& event);
    void fileMessage(std::span<const std::uint8_t> message, std::int64_t arrivalNs);
    // The list's times as the Times menu stands, counted from when capture started.
    void timesChosen();
    void showTimes();
    // The times a Standard MIDI File of `rows` keeps.
    MessageTimes fileTimes(const std::vector<int>& rows) const;

    // Sending.
    void sendChosenMessage();
    // Enter or a double-click on a line: sends it when choosing a line does not.
    void sendActivatedMessage();
    // Capture back on after a send paused it, without reopening the ports.
    void resumeCapture();
    void startSendingAll();
    // Sends the lines selected when it starts, paced as Send All.
    void startSendingSelected();
    void sendNextMessage();
    void stopSending();
    void sendStoredMessage(int index);
    // Sends `stored` with the override applied to a copy.
    void sendMessage(std::span<const std::uint8_t> stored);
    // send long message on the output port; a message the port could not hand on (the MIDI
    // server went away) is raised as an error with the port's text.
    void sendOut(std::span<const std::uint8_t> bytes);
    void overrideClicked();
    void channelClicked();
    void autoSpeedClicked();
    void asRecordedClicked();
    void manualSpeedClicked();
    void speedChanged();
    int autoSendPosition() const { return autoSendPosition_; }
    // Manual's wait between two messages of a run, in milliseconds, as the slider sets it.
    int manualWaitMs() const;

    // Dump requests (the USER tab). `path` is UTF-8. A load that fails changes nothing and
    // throws; a file that is not there is passed over without a word when `quietWhenMissing`.
    void openRequestFile();
    void loadRequestFile(const std::string& path, bool quietWhenMissing);
    void prepareRequest(bool send);
    void requestChosen();
    void sendRequest();

    // The About box, created by the main sequence; none in a window built on its own.
    AboutBox* aboutBox = nullptr;

    // The input device.
    std::unique_ptr<device::InputDevice> inputDevice;

protected:
    // The tests' way to the controls.
    friend struct WindowControlsAccess;

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
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
    void buildStatusLine();
    void arrangeStatusLine(bool oneRow);
    static constexpr int kOneRowStatusWidth = 560;
    // Brings the status line up to date once the events in hand are handled: a burst of
    // captures redraws it once.
    void showStatusSoon();
    void showStatus();
    // The window's title: the list's file and, while the list differs from it, a mark.
    void showTitle();
    void writeList(const QString& file);

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
    // The output list's entries: "(None)" in the window's language, then the output devices.
    QStringList outputEntries();
    // Shows the selected request with the override as it stands; nothing without a selection.
    std::optional<std::vector<std::uint8_t>> previewRequest();
    // The override controls moved, by the user or by a received message.
    void overrideChanged();
    void armTimer(int milliseconds);
    // The wait before the message at `position` of a run: long messages get time to be taken
    // in, and Manual never goes faster than its own wait.
    int waitBefore(int position) const;
    // As recorded: the gap between the run's messages at `position` - 1 and `position`, where
    // both came in one recording; arms the timer for the time the next one is due (false when
    // it is due now).
    std::optional<std::int64_t> recordedGap(int position) const;
    bool waitForRecordedTime();
    // The pacing controls as the Auto/Manual choice and the slider stand.
    void showPacing();
    // The pacing last chosen; a value this window did not write leaves the choice as it is.
    void readPacing(RegistryKey& key);
    // The size and place of the last run; a size below the smallest is raised to it, and a
    // place off every screen is left for the centre.
    void readWindowPlace(RegistryKey& key);
    // Saved as the window closes or the program exits.
    void saveWindowPlace();
    void setWaitCursor(bool waiting);
    void showIdentityReply(std::span<const std::uint8_t> message);
    // Everything that follows from the list: the buttons, the counts, the mark in the title.
    void followList();
    // The Edit menu names the steps Undo and Redo would take.
    void followHistory();
    // The message view, made on first use.
    MessageView* messageViewOf();
    // Where new lines go: after the last selected line, else after the current one, else at
    // the end.
    int rowAfterSelection() const;
    // The selected lines' messages, in list order.
    std::vector<std::span<const std::uint8_t>> selectedMessages() const;
    // The file the list stands for, as a step that replaces the list records it.
    ListFile listFile() const;
    void takeOutcome(const ListHistory::Outcome& outcome);
    void connectComparison();
    // Pairs the lines with the file again once the events in hand are handled.
    void compareSoon();
    // The status line, the List menu and the message view as the comparison stands.
    void showComparison();
    void showViewedComparison();
    // The first run of a run: the bar, the buttons and the first wait.
    void beginRun(int total, std::size_t firstLength);
    // The run's count of messages and the length of its message at `position`: the selected
    // lines it took, or the list's.
    int runTotal() const;
    const ListLine& runLine(int position) const;
    std::size_t runLength(int position) const;
    void showSystemInformation(const SystemInformation& info);
    // A plain notice, unless the same one is still open: its modal loop goes on handling input
    // events, each of which would stack another box.
    void showNotice(const QString& text);
    // Says once per burst that received bytes were lost (the driver holds a few seconds of
    // input while the window is busy, but no more), and that the input device went away.
    void checkInputLoss();
    // The line that tells the chosen input went, once: empty when that is told already.
    QString untoldInputLoss();

    Dialogs& dialogs_;
    midi::MidiService& midi_;
    Registry& registry_;
    device::OutputDevice output_;
    MessageList list_;
    ListHistory history_{list_};
    // The line the message view shows, by its bytes (kept alive here, so never another's);
    // none for a new message.
    std::shared_ptr<const void> viewedOwner_;
    const std::uint8_t* viewedBytes_ = nullptr;
    // The lines a Send Selected run sends, as they were when it began; empty in a Send All run.
    std::vector<ListLine> runLines_;
    // Not a child of the window: it goes before the list it shows, also when the constructor
    // throws, while Qt deletes the children after every member.
    std::unique_ptr<MessageListModel> listModel_;
    // What the list view shows: listModel_'s lines, marked where they differ from a file.
    std::unique_ptr<ComparedListModel> comparedModel_;
    bool comparePending_ = false;
    bool titleUnsaved_ = false;  // the mark the title shows
    std::unique_ptr<RequestSet> requests_;
    std::uint8_t inputPosition_ = 0;
    std::uint8_t outputPosition_ = 0;
    // The chosen devices' names, saved beside the positions; empty for "(None)".
    std::string inputName_;
    std::string outputName_;
    std::string requestFilePath_;
    bool outputLost_ = false;  // a send found the output's destination gone
    // Received while capture was paused, oldest first, and what found no room.
    std::deque<std::unique_ptr<device::ReceivedEvent>> heldWhilePaused_;
    int letGoWhilePaused_ = 0;
    FileDialogSpec requestDialog_;  // openRequestDialog whose initial file follows the settings
    int autoSendPosition_ = 0;
    int timerInterval_ = 100;
    QElapsedTimer timerArmed_;
    QElapsedTimer recordedClock_;  // from when a run as recorded had its first message out
    qint64 recordedDueNs_ = 0;     // when its next message is due on that clock
    bool centred_ = false;
    QSet<QString> openNotices_;
    QTimer* lossCheck_ = nullptr;
    QTimer* deviceWatch_ = nullptr;
    QString listFile_;  // the file the list was opened from or last saved to
    // Where Save writes without asking: not a file the list holds only part of (a .mid's
    // other events, messages the list had no room for), which a save would cut down.
    QString saveTarget_;
    bool statusPending_ = false;
    QVBoxLayout* statusRows_ = nullptr;
    bool statusOneRow_ = false;
    std::uint64_t lossShown_ = 0;
    std::uint64_t devicesLostShown_ = 0;
    std::uint64_t gapsShown_ = 0;
    std::uint64_t possibleGapsShown_ = 0;
    std::uint64_t brokenShown_ = 0;  // messages the input broke off or left unfinished
    SysexAssembler assembler_;  // received buffers into messages
    // The system clock when capture started for the list's captures: input started, or the
    // list was emptied since.
    std::int64_t captureStartNs_ = 0;
    bool lossNoticeOpen_ = false;
};

}  // namespace pellum
