// Shared blocks come from the C heap: its blocks never move, and may be used from any thread.
#include "midi/Mididefs.h"

#include <cstdlib>
#include <new>

namespace pellum {

void* SharedBlockAlloc(std::size_t size, SharedBlockHandle& handle) noexcept {
    void* block = size == 0 ? nullptr : std::calloc(size, 1);
    handle = reinterpret_cast<SharedBlockHandle>(block);
    return block;
}

void SharedBlockFree(SharedBlockHandle handle) noexcept {
    if (handle != 0) std::free(reinterpret_cast<void*>(handle));
}

CallbackInstance* CallbackInstanceCreate() noexcept {
    SharedBlockHandle handle;
    void* block = SharedBlockAlloc(sizeof(CallbackInstance), handle);
    if (block == nullptr) return nullptr;
    auto* instance = new (block) CallbackInstance{handle, nullptr, nullptr, false};
    return instance;
}

void CallbackInstanceFree(CallbackInstance* instance) noexcept {
    if (instance == nullptr) return;
    const SharedBlockHandle handle = instance->blockHandle;
    instance->~CallbackInstance();
    SharedBlockFree(handle);
}

}  // namespace pellum
