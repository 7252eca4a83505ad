#define PELLUM_ALSA_LOADER
#include "platform/midi/alsa/AlsaLibrary.h"

#include "platform/midi/LoadedLibrary.h"

namespace pellum::midi {

namespace detail {
const AlsaFunctions* loadedAlsa = nullptr;
}  // namespace detail

const AlsaFunctions* alsaLibrary() {
    // Once, whichever thread asks first.
    static const AlsaFunctions* const functions = [] {
        static AlsaFunctions found;
        return detail::loadedAlsa = loadLibrary("libasound.so.2", found, [](auto find) {
#define PELLUM_FIND(name) &&find(#name, found.name)
            return true PELLUM_ALSA_FUNCTIONS(PELLUM_FIND);
#undef PELLUM_FIND
        });
    }();
    return functions;
}

}  // namespace pellum::midi
