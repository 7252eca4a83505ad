#define PELLUM_JACK_LOADER
#include "platform/midi/jack/JackLibrary.h"

#include <dlfcn.h>

namespace pellum::midi {

namespace detail {
const JackFunctions* loadedJack = nullptr;
}  // namespace detail

const JackFunctions* jackLibrary() {
    // Once, whichever thread asks first; never unloaded, since its threads may outlive a client.
    static const JackFunctions* const functions = []() -> const JackFunctions* {
        void* library = ::dlopen("libjack.so.0", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return nullptr;
        static JackFunctions found;
#define PELLUM_FIND(name)                                                         \
    found.name = reinterpret_cast<decltype(found.name)>(::dlsym(library, #name)); \
    if (found.name == nullptr) return nullptr;
        PELLUM_FIND(jack_activate)
        PELLUM_FIND(jack_client_close) PELLUM_FIND(jack_client_open) PELLUM_FIND(jack_connect)
            PELLUM_FIND(jack_deactivate) PELLUM_FIND(jack_frame_time) PELLUM_FIND(
                jack_free) PELLUM_FIND(jack_get_client_name) PELLUM_FIND(jack_get_ports)
                PELLUM_FIND(jack_get_sample_rate) PELLUM_FIND(jack_last_frame_time) PELLUM_FIND(
                    jack_midi_clear_buffer) PELLUM_FIND(jack_midi_event_get)
                    PELLUM_FIND(jack_midi_event_reserve) PELLUM_FIND(jack_midi_get_event_count)
                        PELLUM_FIND(jack_midi_max_event_size) PELLUM_FIND(jack_on_info_shutdown)
                            PELLUM_FIND(jack_on_shutdown) PELLUM_FIND(jack_port_by_id) PELLUM_FIND(
                                jack_port_by_name) PELLUM_FIND(jack_port_connected)
                                PELLUM_FIND(jack_port_connected_to) PELLUM_FIND(jack_port_flags)
                                    PELLUM_FIND(jack_port_get_buffer) PELLUM_FIND(jack_port_name)
                                        PELLUM_FIND(jack_port_register)
                                            PELLUM_FIND(jack_set_error_function)
                                                PELLUM_FIND(jack_set_info_function)
                                                    PELLUM_FIND(jack_set_port_connect_callback)
                                                        PELLUM_FIND(jack_set_process_callback)
#undef PELLUM_FIND
                                                            detail::loadedJack = &found;
        return &found;
    }();
    return functions;
}

}  // namespace pellum::midi
