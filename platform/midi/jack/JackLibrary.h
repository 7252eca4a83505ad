// libjack, loaded the first time it is needed instead of with the program, so that
// pellum-cli's file commands start without the MIDI libraries (most of their start-up
// time) and a machine without the library still runs Pellum. Code calls the functions by
// their usual names: each is a macro for the loaded library's function. Call them only
// after jackLibrary() gave a library.
#pragma once

#include <jack/jack.h>
#include <jack/midiport.h>

namespace pellum::midi {

#define PELLUM_JACK_FUNCTIONS(X)      \
    X(jack_activate)                  \
    X(jack_client_close)              \
    X(jack_client_open)               \
    X(jack_connect)                   \
    X(jack_deactivate)                \
    X(jack_frame_time)                \
    X(jack_frames_to_time)            \
    X(jack_free)                      \
    X(jack_get_client_name)           \
    X(jack_get_ports)                 \
    X(jack_get_sample_rate)           \
    X(jack_get_time)                  \
    X(jack_last_frame_time)           \
    X(jack_midi_clear_buffer)         \
    X(jack_midi_event_get)            \
    X(jack_midi_event_reserve)        \
    X(jack_midi_get_event_count)      \
    X(jack_midi_max_event_size)       \
    X(jack_on_info_shutdown)          \
    X(jack_on_shutdown)               \
    X(jack_port_by_id)                \
    X(jack_port_by_name)              \
    X(jack_port_connected)            \
    X(jack_port_connected_to)         \
    X(jack_port_flags)                \
    X(jack_port_get_buffer)           \
    X(jack_port_name)                 \
    X(jack_port_register)             \
    X(jack_set_error_function)        \
    X(jack_set_info_function)         \
    X(jack_set_port_connect_callback) \
    X(jack_set_process_callback)

struct JackFunctions {
#define PELLUM_MEMBER(name) decltype(&::name) name;
    PELLUM_JACK_FUNCTIONS(PELLUM_MEMBER)
#undef PELLUM_MEMBER
};

// The loaded library's functions; nullptr when libjack cannot be loaded.
const JackFunctions* jackLibrary();

namespace detail {
extern const JackFunctions* loadedJack;
}  // namespace detail

}  // namespace pellum::midi

#ifndef PELLUM_JACK_LOADER
#define jack_activate (::pellum::midi::detail::loadedJack->jack_activate)
#define jack_client_close (::pellum::midi::detail::loadedJack->jack_client_close)
#define jack_client_open (::pellum::midi::detail::loadedJack->jack_client_open)
#define jack_connect (::pellum::midi::detail::loadedJack->jack_connect)
#define jack_deactivate (::pellum::midi::detail::loadedJack->jack_deactivate)
#define jack_frame_time (::pellum::midi::detail::loadedJack->jack_frame_time)
#define jack_frames_to_time (::pellum::midi::detail::loadedJack->jack_frames_to_time)
#define jack_free (::pellum::midi::detail::loadedJack->jack_free)
#define jack_get_client_name (::pellum::midi::detail::loadedJack->jack_get_client_name)
#define jack_get_ports (::pellum::midi::detail::loadedJack->jack_get_ports)
#define jack_get_sample_rate (::pellum::midi::detail::loadedJack->jack_get_sample_rate)
#define jack_get_time (::pellum::midi::detail::loadedJack->jack_get_time)
#define jack_last_frame_time (::pellum::midi::detail::loadedJack->jack_last_frame_time)
#define jack_midi_clear_buffer (::pellum::midi::detail::loadedJack->jack_midi_clear_buffer)
#define jack_midi_event_get (::pellum::midi::detail::loadedJack->jack_midi_event_get)
#define jack_midi_event_reserve (::pellum::midi::detail::loadedJack->jack_midi_event_reserve)
#define jack_midi_get_event_count (::pellum::midi::detail::loadedJack->jack_midi_get_event_count)
#define jack_midi_max_event_size (::pellum::midi::detail::loadedJack->jack_midi_max_event_size)
#define jack_on_info_shutdown (::pellum::midi::detail::loadedJack->jack_on_info_shutdown)
#define jack_on_shutdown (::pellum::midi::detail::loadedJack->jack_on_shutdown)
#define jack_port_by_id (::pellum::midi::detail::loadedJack->jack_port_by_id)
#define jack_port_by_name (::pellum::midi::detail::loadedJack->jack_port_by_name)
#define jack_port_connected (::pellum::midi::detail::loadedJack->jack_port_connected)
#define jack_port_connected_to (::pellum::midi::detail::loadedJack->jack_port_connected_to)
#define jack_port_flags (::pellum::midi::detail::loadedJack->jack_port_flags)
#define jack_port_get_buffer (::pellum::midi::detail::loadedJack->jack_port_get_buffer)
#define jack_port_name (::pellum::midi::detail::loadedJack->jack_port_name)
#define jack_port_register (::pellum::midi::detail::loadedJack->jack_port_register)
#define jack_set_error_function (::pellum::midi::detail::loadedJack->jack_set_error_function)
#define jack_set_info_function (::pellum::midi::detail::loadedJack->jack_set_info_function)
#define jack_set_port_connect_callback \
    (::pellum::midi::detail::loadedJack->jack_set_port_connect_callback)
#define jack_set_process_callback (::pellum::midi::detail::loadedJack->jack_set_process_callback)
#endif
