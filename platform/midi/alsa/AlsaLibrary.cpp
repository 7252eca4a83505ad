#define PELLUM_ALSA_LOADER
#include "platform/midi/alsa/AlsaLibrary.h"

#include <dlfcn.h>

#include <type_traits>

namespace pellum::midi {

namespace detail {
const AlsaFunctions* loadedAlsa = nullptr;
}  // namespace detail

const AlsaFunctions* alsaLibrary() {
    // Once, whichever thread asks first; never unloaded, since its threads may outlive a client.
    static const AlsaFunctions* const functions = []() -> const AlsaFunctions* {
        static AlsaFunctions found;
        void* library = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        const auto find = [library](const char* name, auto& function) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                ::dlsym(library, name));
            return function != nullptr;
        };
#define PELLUM_FIND(name) &&find(#name, found.name)
        if (!(library != nullptr PELLUM_ALSA_FUNCTIONS(PELLUM_FIND))) return nullptr;
#undef PELLUM_FIND
        return detail::loadedAlsa = &found;
    }();
    return functions;
}

}  // namespace pellum::midi
