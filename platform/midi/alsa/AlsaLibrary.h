// alsa-lib, loaded the first time it is needed instead of with the program, so that
// pellum-cli's file commands start without the MIDI libraries (most of their start-up
// time) and a machine without the library still runs Pellum. Code calls the functions by
// their usual names: each is a macro for the loaded library's function. Call them only
// after alsaLibrary() gave a library.
#pragma once

#include <alsa/asoundlib.h>

namespace pellum::midi {

#define PELLUM_ALSA_FUNCTIONS(X)              \
    X(snd_lib_error_set_handler)              \
    X(snd_midi_event_decode)                  \
    X(snd_midi_event_free)                    \
    X(snd_midi_event_new)                     \
    X(snd_midi_event_no_status)               \
    X(snd_seq_alloc_named_queue)              \
    X(snd_seq_client_id)                      \
    X(snd_seq_client_info_get_card)           \
    X(snd_seq_client_info_get_client)         \
    X(snd_seq_client_info_get_name)           \
    X(snd_seq_client_info_set_client)         \
    X(snd_seq_client_info_sizeof)             \
    X(snd_seq_close)                          \
    X(snd_seq_connect_from)                   \
    X(snd_seq_connect_to)                     \
    X(snd_seq_control_queue)                  \
    X(snd_seq_create_simple_port)             \
    X(snd_seq_drain_output)                   \
    X(snd_seq_event_input)                    \
    X(snd_seq_event_output_direct)            \
    X(snd_seq_get_any_client_info)            \
    X(snd_seq_get_any_port_info)              \
    X(snd_seq_get_port_subscription)          \
    X(snd_seq_open)                           \
    X(snd_seq_poll_descriptors)               \
    X(snd_seq_poll_descriptors_count)         \
    X(snd_seq_port_info_get_capability)       \
    X(snd_seq_port_info_get_client)           \
    X(snd_seq_port_info_get_name)             \
    X(snd_seq_port_info_get_port)             \
    X(snd_seq_port_info_get_type)             \
    X(snd_seq_port_info_set_client)           \
    X(snd_seq_port_info_set_port)             \
    X(snd_seq_port_info_sizeof)               \
    X(snd_seq_port_subscribe_set_dest)        \
    X(snd_seq_port_subscribe_set_queue)       \
    X(snd_seq_port_subscribe_set_sender)      \
    X(snd_seq_port_subscribe_set_time_real)   \
    X(snd_seq_port_subscribe_set_time_update) \
    X(snd_seq_port_subscribe_sizeof)          \
    X(snd_seq_query_next_client)              \
    X(snd_seq_query_next_port)                \
    X(snd_seq_set_client_name)                \
    X(snd_seq_set_client_pool_input)          \
    X(snd_seq_set_input_buffer_size)          \
    X(snd_seq_subscribe_port)

struct AlsaFunctions {
#define PELLUM_MEMBER(name) decltype(&::name) name;
    PELLUM_ALSA_FUNCTIONS(PELLUM_MEMBER)
#undef PELLUM_MEMBER
};

// The loaded library's functions; nullptr when alsa-lib cannot be loaded.
const AlsaFunctions* alsaLibrary();

namespace detail {
extern const AlsaFunctions* loadedAlsa;
}  // namespace detail

}  // namespace pellum::midi

#ifndef PELLUM_ALSA_LOADER
#define snd_lib_error_set_handler (::pellum::midi::detail::loadedAlsa->snd_lib_error_set_handler)
#define snd_midi_event_decode (::pellum::midi::detail::loadedAlsa->snd_midi_event_decode)
#define snd_midi_event_free (::pellum::midi::detail::loadedAlsa->snd_midi_event_free)
#define snd_midi_event_new (::pellum::midi::detail::loadedAlsa->snd_midi_event_new)
#define snd_midi_event_no_status (::pellum::midi::detail::loadedAlsa->snd_midi_event_no_status)
#define snd_seq_alloc_named_queue (::pellum::midi::detail::loadedAlsa->snd_seq_alloc_named_queue)
#define snd_seq_control_queue (::pellum::midi::detail::loadedAlsa->snd_seq_control_queue)
#define snd_seq_drain_output (::pellum::midi::detail::loadedAlsa->snd_seq_drain_output)
#define snd_seq_port_subscribe_set_queue \
    (::pellum::midi::detail::loadedAlsa->snd_seq_port_subscribe_set_queue)
#define snd_seq_port_subscribe_set_time_real \
    (::pellum::midi::detail::loadedAlsa->snd_seq_port_subscribe_set_time_real)
#define snd_seq_port_subscribe_set_time_update \
    (::pellum::midi::detail::loadedAlsa->snd_seq_port_subscribe_set_time_update)
#define snd_seq_subscribe_port (::pellum::midi::detail::loadedAlsa->snd_seq_subscribe_port)
#define snd_seq_client_id (::pellum::midi::detail::loadedAlsa->snd_seq_client_id)
#define snd_seq_client_info_get_card \
    (::pellum::midi::detail::loadedAlsa->snd_seq_client_info_get_card)
#define snd_seq_client_info_get_client \
    (::pellum::midi::detail::loadedAlsa->snd_seq_client_info_get_client)
#define snd_seq_client_info_get_name \
    (::pellum::midi::detail::loadedAlsa->snd_seq_client_info_get_name)
#define snd_seq_client_info_set_client \
    (::pellum::midi::detail::loadedAlsa->snd_seq_client_info_set_client)
#define snd_seq_client_info_sizeof (::pellum::midi::detail::loadedAlsa->snd_seq_client_info_sizeof)
#define snd_seq_close (::pellum::midi::detail::loadedAlsa->snd_seq_close)
#define snd_seq_connect_from (::pellum::midi::detail::loadedAlsa->snd_seq_connect_from)
#define snd_seq_connect_to (::pellum::midi::detail::loadedAlsa->snd_seq_connect_to)
#define snd_seq_create_simple_port (::pellum::midi::detail::loadedAlsa->snd_seq_create_simple_port)
#define snd_seq_event_input (::pellum::midi::detail::loadedAlsa->snd_seq_event_input)
#define snd_seq_event_output_direct \
    (::pellum::midi::detail::loadedAlsa->snd_seq_event_output_direct)
#define snd_seq_get_any_client_info \
    (::pellum::midi::detail::loadedAlsa->snd_seq_get_any_client_info)
#define snd_seq_get_any_port_info (::pellum::midi::detail::loadedAlsa->snd_seq_get_any_port_info)
#define snd_seq_get_port_subscription \
    (::pellum::midi::detail::loadedAlsa->snd_seq_get_port_subscription)
#define snd_seq_open (::pellum::midi::detail::loadedAlsa->snd_seq_open)
#define snd_seq_poll_descriptors (::pellum::midi::detail::loadedAlsa->snd_seq_poll_descriptors)
#define snd_seq_poll_descriptors_count \
    (::pellum::midi::detail::loadedAlsa->snd_seq_poll_descriptors_count)
#define snd_seq_port_info_get_capability \
    (::pellum::midi::detail::loadedAlsa->snd_seq_port_info_get_capability)
#define snd_seq_port_info_get_client \
    (::pellum::midi::detail::loadedAlsa->snd_seq_port_info_get_client)
#define snd_seq_port_info_get_name (::pellum::midi::detail::loadedAlsa->snd_seq_port_info_get_name)
#define snd_seq_port_info_get_port (::pellum::midi::detail::loadedAlsa->snd_seq_port_info_get_port)
#define snd_seq_port_info_get_type (::pellum::midi::detail::loadedAlsa->snd_seq_port_info_get_type)
#define snd_seq_port_info_set_client \
    (::pellum::midi::detail::loadedAlsa->snd_seq_port_info_set_client)
#define snd_seq_port_info_set_port (::pellum::midi::detail::loadedAlsa->snd_seq_port_info_set_port)
#define snd_seq_port_info_sizeof (::pellum::midi::detail::loadedAlsa->snd_seq_port_info_sizeof)
#define snd_seq_port_subscribe_set_dest \
    (::pellum::midi::detail::loadedAlsa->snd_seq_port_subscribe_set_dest)
#define snd_seq_port_subscribe_set_sender \
    (::pellum::midi::detail::loadedAlsa->snd_seq_port_subscribe_set_sender)
#define snd_seq_port_subscribe_sizeof \
    (::pellum::midi::detail::loadedAlsa->snd_seq_port_subscribe_sizeof)
#define snd_seq_query_next_client (::pellum::midi::detail::loadedAlsa->snd_seq_query_next_client)
#define snd_seq_query_next_port (::pellum::midi::detail::loadedAlsa->snd_seq_query_next_port)
#define snd_seq_set_client_name (::pellum::midi::detail::loadedAlsa->snd_seq_set_client_name)
#define snd_seq_set_client_pool_input \
    (::pellum::midi::detail::loadedAlsa->snd_seq_set_client_pool_input)
#define snd_seq_set_input_buffer_size \
    (::pellum::midi::detail::loadedAlsa->snd_seq_set_input_buffer_size)
#endif
