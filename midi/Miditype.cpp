// SysEx input buffers in shared blocks.
#include "midi/Miditype.h"

#include <new>

namespace pellum {

TMyMidiHdr::TMyMidiHdr(std::uint16_t size) {
    if (size == 0) return;
    void* headerBlock = SharedBlockAlloc(sizeof(midi::MIDIHDR), headerHandle);
    data = static_cast<std::uint8_t*>(SharedBlockAlloc(size, dataHandle));
    if (headerBlock == nullptr || data == nullptr) {
        SharedBlockFree(headerHandle);
        SharedBlockFree(dataHandle);
        throw std::bad_alloc();
    }
    header = new (headerBlock) midi::MIDIHDR{};
    header->lpData = reinterpret_cast<char*>(data);
    header->dwBufferLength = size;
}

TMyMidiHdr::~TMyMidiHdr() {
    SharedBlockFree(headerHandle);
    SharedBlockFree(dataHandle);
}

}  // namespace pellum
