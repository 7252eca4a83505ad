// Capture into a .syx file for pellum-cli.
#include "cli/Capture.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/Options.h"
#include "core/files/FilePath.h"
#include "core/files/MidiFile.h"
#include "core/list/LineTimes.h"
#include "core/text/Errors.h"
#include "core/text/NumberText.h"

namespace pellum::cli {

namespace {

void progress(const SysexReceiver& receiver) {
    std::fprintf(stderr, "\rreceived %llu messages, %llu bytes",
                 static_cast<unsigned long long>(receiver.messageCount()),
                 static_cast<unsigned long long>(receiver.bytesReceived()));
    std::fflush(stderr);
}

}  // namespace

void checkWritable(const std::string& path) {
    const std::filesystem::path target = pathFromUtf8(path);
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::error_code error;
    if (std::filesystem::is_directory(target, error) || !std::filesystem::is_directory(folder) ||
        !mayWriteIn(folder)) {
        throw FileCreateError(path);
    }
}

Capture::Capture(const std::string& path, bool printTimes)
    : path_(path),
      file_(
          std::make_unique<AtomicFileWriter>(path, "." + std::to_string(::getpid()) + ".partial")),
      midiFile_(isMidiFileName(path)),
      printTimes_(printTimes) {}

Received Capture::receive(SysexReceiver& receiver, long count, double quietSeconds,
                          const midi::MidiService& service) {
    auto save = [&] {
        // A message at a time, each in one piece: the file ends after a whole message whenever
        // it is looked at, also after a kill. When the disk fills or the file goes, what is
        // written so far stays, the rest is counted but cannot be kept.
        for (auto& message : receiver.takeMessages()) {
            if (printTimes_) {
                std::printf("%04llu %s %zu\n", static_cast<unsigned long long>(++timed_),
                            secondsText(message.arrivalNs - receiver.startedAtNs()).c_str(),
                            message.bytes.size());
                std::fflush(stdout);
            }
            if (!writeFailed_ && file_->appendWhole(message.bytes)) {
                ++written_;
            } else {
                writeFailed_ = true;
            }
            if (midiFile_) kept_.push_back(std::move(message));
        }
    };
    progress(receiver);
    while ((count == 0 || receiver.messageCount() < static_cast<std::uint64_t>(count)) &&
           receiver.waitForMessage(quietSeconds)) {
        save();
        progress(receiver);
    }
    save();
    std::fputc('\n', stderr);
    Received received;
    received.signal = interrupted();
    received.deviceLost = receiver.deviceLost();
    receiver.close();  // what the driver held unfinished is counted now
    received.messages = receiver.messageCount();
    received.broken = receiver.brokenMessages();
    received.tooLong = receiver.tooLongMessages();
    received.dropped = service.droppedInputBytes();
    received.gaps = service.inputGaps();
    received.possibleGaps = service.possibleInputGaps();
    return received;
}

int Capture::finish(const Received& received, long count, const std::string& source) {
    if (received.messages == 0) {
        // Nothing may have arrived because it was lost on the way: that is said too.
        complain("no SysEx message arrived from " + source + "; " + path_ + " was not written");
        tellEnd(received);
        return 1;
    }
    int status = 0;
    if (received.signal != 0) {
        complain(std::string("stopped by ") + signalName(received.signal) + " after " +
                 std::to_string(received.messages) + " messages");
    }
    if (!writeFailed_) {
        try {
            if (midiFile_)
                writeMidiCapture();
            else
                file_->commit();
        } catch (const FileCreateError&) {
            writeFailed_ = true;
        }
    }
    if (writeFailed_ && written_ == 0) {
        complain(FileCreateError(path_).what() + std::string(", nor ") + file_->temporaryPath() +
                 ": the " + std::to_string(received.messages) + " messages received are lost");
        status = 1;
    } else if (writeFailed_) {
        file_->keepTemporary();
        complain(FileCreateError(path_).what() + std::string("; ") + std::to_string(written_) +
                 " of the " + std::to_string(received.messages) + " messages received are in " +
                 file_->temporaryPath());
        status = 1;
    }
    if (count > 0 && received.messages < static_cast<std::uint64_t>(count) &&
        received.signal == 0) {
        complain("only " + std::to_string(received.messages) + " of " + std::to_string(count) +
                 " messages arrived");
        status = 1;
    }
    if (tellEnd(received)) return 1;
    // Whole messages only, but the source went before the capture ended: what it had still to
    // send never came. A script must not take that for a finished dump.
    return status == 0 && received.deviceLost ? kExitDeviceGone : status;
}

void Capture::writeMidiCapture() {
    MessageSpans messages;
    MessageTimes times;
    for (const auto& message : kept_) {
        messages.push_back(message.bytes);
        times.emplace_back(message.arrivalNs - kept_.front().arrivalNs);
    }
    writeMessageFile(path_, messages, {}, 0, times);
    // The partial file held them meanwhile, in case of a kill; the target now has them.
    file_.reset();
}

bool Capture::tellEnd(const Received& received) {
    bool lost = false;
    if (received.deviceLost) {
        // After whole messages it is only the end of input; a loss is said below.
        complain("the input device went away (its port closed or its server stopped)");
    }
    if (received.gaps > 0) {
        complain("the input fell behind " + std::to_string(received.gaps) +
                 (received.gaps == 1 ? " time" : " times") +
                 " in the middle of a message, so messages are missing (the receiver was held "
                 "up or the machine too busy)");
        lost = true;
    } else if (received.possibleGaps > 0) {
        // Every message kept is whole; whether others came in the hole nobody can tell.
        complain("the input fell behind " + std::to_string(received.possibleGaps) +
                 (received.possibleGaps == 1 ? " time" : " times") +
                 " between messages while data was coming: whole messages may be missing");
    }
    if (received.tooLong > 0) {
        complain(std::to_string(received.tooLong) +
                 " messages longer than 65535 bytes, more than a .syx file of Pellum's holds, "
                 "were left out");
        lost = true;
    }
    if (received.broken > 0 || received.dropped > 0) {
        complain(counted(received.broken, "damaged message was", "damaged messages were") +
                 " left out and " + counted(received.dropped, "byte was", "bytes were") +
                 " lost on the way");
        lost = true;
    }
    return lost;
}

}  // namespace pellum::cli
