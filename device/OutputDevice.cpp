// The output port. Each send gets its own header and data block, kept until the driver has
// finished with them: the driver may still be reading the data after midiOutLongMsg returned.
#include "device/OutputDevice.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace pellum::device {

namespace {

constexpr std::uint32_t kHeaderSize = sizeof(midi::MIDIHDR);
// The device list has room for 255 devices, as the window has always listed.
constexpr std::uint32_t kMaxDevices = 255;
// How long close waits for a driver to finish the messages it still holds.
constexpr auto kCloseWait = std::chrono::seconds(10);

}  // namespace

OutputDevice::OutputDevice(midi::MidiService& service) : service_(service) {}

OutputDevice::~OutputDevice() {
    close();
}

std::vector<std::string> OutputDevice::buildOutputList() {
    // More devices than the list holds are cut at its end rather than wrapped round to none.
    const std::uint32_t count = std::min(service_.midiOutGetNumDevs(), kMaxDevices);
    std::vector<std::string> list{kNone};
    for (std::uint32_t device = 0; device < count; ++device) {
        list.push_back(service_.midiOutDeviceName(device));
    }
    return list;
}

midi::MMRESULT OutputDevice::openOutput(int index) {
    if (index < 1) return midi::MMSYSERR_NOERROR;
    midi::HMIDIOUT handle = nullptr;
    const midi::MMRESULT code = service_.midiOutOpen(&handle, static_cast<std::uint32_t>(index - 1),
                                                     0, 0, midi::CALLBACK_NULL);
    if (code == midi::MMSYSERR_NOERROR) handle_ = handle;
    return code;
}

midi::MMRESULT OutputDevice::switchOutput(int index) {
    outputIndex_ = index;
    close();
    return openOutput(index);
}

midi::MMRESULT OutputDevice::close() {
    if (handle_ == nullptr) return midi::MMSYSERR_NOERROR;
    releaseFinished();
    // A driver still sending refuses to close (winmm); it gets time to finish.
    const auto deadline = std::chrono::steady_clock::now() + kCloseWait;
    midi::MMRESULT code = service_.midiOutClose(handle_);
    while (code == midi::MIDIERR_STILLPLAYING && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        releaseFinished();
        code = service_.midiOutClose(handle_);
    }
    handle_ = nullptr;
    if (code != midi::MMSYSERR_NOERROR) {
        // The driver may still hold these: they are given up rather than freed under it.
        for (auto& block : inFlight_) static_cast<void>(block.release());
    }
    inFlight_.clear();
    return code;
}

midi::MMRESULT OutputDevice::sendLongMessage(std::span<const std::uint8_t> bytes) {
    releaseFinished();
    if (handle_ == nullptr || bytes.empty()) return midi::MMSYSERR_NOERROR;
    SendBlock& block = *inFlight_.emplace_back(std::make_unique<SendBlock>());
    block.data = std::make_unique<std::uint8_t[]>(bytes.size());
    std::memcpy(block.data.get(), bytes.data(), bytes.size());
    block.header.lpData = reinterpret_cast<char*>(block.data.get());
    block.header.dwBufferLength = static_cast<std::uint32_t>(bytes.size());
    block.header.dwFlags = 0;

    midi::MMRESULT code = service_.midiOutPrepareHeader(handle_, &block.header, kHeaderSize);
    if (code != midi::MMSYSERR_NOERROR) {
        inFlight_.pop_back();  // never handed to the driver
        return code;
    }
    code = service_.midiOutLongMsg(handle_, &block.header, kHeaderSize);
    // Succeeds only once the driver is done; otherwise a later send or close releases it.
    if (service_.midiOutUnprepareHeader(handle_, &block.header, kHeaderSize) ==
        midi::MMSYSERR_NOERROR) {
        inFlight_.pop_back();
    }
    return code;
}

midi::MMRESULT OutputDevice::pending() {
    releaseFinished();
    if (handle_ == nullptr) return midi::MMSYSERR_NOERROR;
    if (!inFlight_.empty()) return midi::MIDIERR_STILLPLAYING;
    return service_.midiOutPending(handle_);
}

midi::MMRESULT OutputDevice::waitUntilSent() {
    midi::MMRESULT code;
    while ((code = pending()) == midi::MIDIERR_STILLPLAYING)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return code;
}

void OutputDevice::releaseFinished() {
    if (handle_ == nullptr) return;
    std::erase_if(inFlight_, [&](const std::unique_ptr<SendBlock>& block) {
        return service_.midiOutUnprepareHeader(handle_, &block->header, kHeaderSize) ==
               midi::MMSYSERR_NOERROR;
    });
}

}  // namespace pellum::device
