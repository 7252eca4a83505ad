// SysEx input buffers in shared blocks.
#include "device/EventRecords.h"

#include <new>

namespace pellum::device {

SysexBuffer::SysexBuffer(std::uint16_t size) {
    if (size == 0) return;
    void* headerBlock = allocateSharedBlock(sizeof(midi::MIDIHDR), headerHandle);
    data = static_cast<std::uint8_t*>(allocateSharedBlock(size, dataHandle));
    if (headerBlock == nullptr || data == nullptr) {
        freeSharedBlock(headerHandle);
        freeSharedBlock(dataHandle);
        throw std::bad_alloc();
    }
    header = new (headerBlock) midi::MIDIHDR{};
    header->lpData = reinterpret_cast<char*>(data);
    header->dwBufferLength = size;
}

SysexBuffer::~SysexBuffer() {
    freeSharedBlock(headerHandle);
    freeSharedBlock(dataHandle);
}

}  // namespace pellum::device
