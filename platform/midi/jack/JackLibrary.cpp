#define PELLUM_JACK_LOADER
#include "platform/midi/jack/JackLibrary.h"

#include <dlfcn.h>

#include <type_traits>

namespace pellum::midi {

namespace detail {
const JackFunctions* loadedJack = nullptr;
}  // namespace detail

const JackFunctions* jackLibrary() {
    // Once, whichever thread asks first; never unloaded, since its threads may outlive a client.
    static const JackFunctions* const functions = []() -> const JackFunctions* {
        static JackFunctions found;
        void* library = ::dlopen("libjack.so.0", RTLD_NOW | RTLD_LOCAL);
        const auto find = [library](const char* name, auto& function) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                ::dlsym(library, name));
            return function != nullptr;
        };
#define PELLUM_FIND(name) &&find(#name, found.name)
        if (!(library != nullptr PELLUM_JACK_FUNCTIONS(PELLUM_FIND))) return nullptr;
#undef PELLUM_FIND
        return detail::loadedJack = &found;
    }();
    return functions;
}

}  // namespace pellum::midi
