// Shared blocks come from the C heap: its blocks never move, and may be used from any thread.
#include "device/FixedAddressBlocks.h"

#include <cstdlib>
#include <new>

namespace pellum::device {

void* allocateSharedBlock(std::size_t size, SharedBlockHandle& handle) noexcept {
    void* block = size == 0 ? nullptr : std::calloc(size, 1);
    handle = reinterpret_cast<SharedBlockHandle>(block);
    return block;
}

void freeSharedBlock(SharedBlockHandle handle) noexcept {
    if (handle != 0) std::free(reinterpret_cast<void*>(handle));
}

CallbackInstance* createCallbackInstance() noexcept {
    SharedBlockHandle handle;
    void* block = allocateSharedBlock(sizeof(CallbackInstance), handle);
    if (block == nullptr) return nullptr;
    auto* instance = new (block) CallbackInstance{handle, nullptr, nullptr, false};
    return instance;
}

void freeCallbackInstance(CallbackInstance* instance) noexcept {
    if (instance == nullptr) return;
    const SharedBlockHandle handle = instance->blockHandle;
    instance->~CallbackInstance();
    freeSharedBlock(handle);
}

}  // namespace pellum::device
