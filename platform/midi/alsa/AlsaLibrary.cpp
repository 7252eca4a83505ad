#define PELLUM_ALSA_LOADER
#include "platform/midi/alsa/AlsaLibrary.h"

#include <dlfcn.h>

namespace pellum::midi {

namespace detail {
const AlsaFunctions* loadedAlsa = nullptr;
}  // namespace detail

const AlsaFunctions* alsaLibrary() {
    // Once, whichever thread asks first; never unloaded, since its threads may outlive a client.
    static const AlsaFunctions* const functions = []() -> const AlsaFunctions* {
        void* library = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return nullptr;
        static AlsaFunctions found;
#define PELLUM_FIND(name)                                                         \
    found.name = reinterpret_cast<decltype(found.name)>(::dlsym(library, #name)); \
    if (found.name == nullptr) return nullptr;
        PELLUM_FIND(snd_lib_error_set_handler)
        PELLUM_FIND(snd_midi_event_decode) PELLUM_FIND(snd_midi_event_free) PELLUM_FIND(
            snd_midi_event_new) PELLUM_FIND(snd_midi_event_no_status) PELLUM_FIND(snd_seq_client_id)
            PELLUM_FIND(snd_seq_client_info_get_card) PELLUM_FIND(
                snd_seq_client_info_get_client) PELLUM_FIND(snd_seq_client_info_get_name)
                PELLUM_FIND(snd_seq_client_info_set_client) PELLUM_FIND(
                    snd_seq_client_info_sizeof) PELLUM_FIND(snd_seq_close)
                    PELLUM_FIND(snd_seq_connect_from) PELLUM_FIND(snd_seq_connect_to) PELLUM_FIND(
                        snd_seq_create_simple_port) PELLUM_FIND(snd_seq_event_input)
                        PELLUM_FIND(snd_seq_event_output_direct) PELLUM_FIND(
                            snd_seq_get_any_client_info) PELLUM_FIND(snd_seq_get_any_port_info)
                            PELLUM_FIND(snd_seq_get_port_subscription) PELLUM_FIND(
                                snd_seq_open) PELLUM_FIND(snd_seq_poll_descriptors)
                                PELLUM_FIND(snd_seq_poll_descriptors_count) PELLUM_FIND(
                                    snd_seq_port_info_get_capability)
                                    PELLUM_FIND(snd_seq_port_info_get_client) PELLUM_FIND(
                                        snd_seq_port_info_get_name)
                                        PELLUM_FIND(snd_seq_port_info_get_port) PELLUM_FIND(
                                            snd_seq_port_info_get_type)
                                            PELLUM_FIND(snd_seq_port_info_set_client) PELLUM_FIND(
                                                snd_seq_port_info_set_port)
                                                PELLUM_FIND(snd_seq_port_info_sizeof) PELLUM_FIND(
                                                    snd_seq_port_subscribe_set_dest)
                                                    PELLUM_FIND(snd_seq_port_subscribe_set_sender)
                                                        PELLUM_FIND(snd_seq_port_subscribe_sizeof)
                                                            PELLUM_FIND(snd_seq_query_next_client)
                                                                PELLUM_FIND(snd_seq_query_next_port)
                                                                    PELLUM_FIND(
                                                                        snd_seq_set_client_name)
                                                                        PELLUM_FIND(
                                                                            snd_seq_set_client_pool_input)
                                                                            PELLUM_FIND(
                                                                                snd_seq_set_input_buffer_size)
#undef PELLUM_FIND
                                                                                detail::loadedAlsa =
                                                                                    &found;
        return &found;
    }();
    return functions;
}

}  // namespace pellum::midi
