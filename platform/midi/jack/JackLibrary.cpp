#define PELLUM_JACK_LOADER
#include "platform/midi/jack/JackLibrary.h"

#include "platform/midi/LoadedLibrary.h"

namespace pellum::midi {

namespace detail {
const JackFunctions* loadedJack = nullptr;
}  // namespace detail

const JackFunctions* jackLibrary() {
    // Once, whichever thread asks first.
    static const JackFunctions* const functions = [] {
        static JackFunctions found;
        return detail::loadedJack = loadLibrary("libjack.so.0", found, [](auto find) {
#define PELLUM_FIND(name) &&find(#name, found.name)
            return true PELLUM_JACK_FUNCTIONS(PELLUM_FIND);
#undef PELLUM_FIND
        });
    }();
    return functions;
}

}  // namespace pellum::midi
