// libjack, loaded the first time it is needed instead of with the program, so that
// pellum-cli's file commands start without the MIDI libraries (most of their start-up
// time) and a machine without the library still runs Pellum. Code calls the functions by
// their usual names: each is a macro for the loaded library's function. Call them only
// after jackLibrary() gave a library.
#pragma once

#include <jack/jack.h>
#include <jack/midiport.h>

namespace pellum::midi {

struct JackFunctions {
    decltype(&::jack_activate) jack_activate;
    decltype(&::jack_client_close) jack_client_close;
    decltype(&::jack_client_open) jack_client_open;
    decltype(&::jack_connect) jack_connect;
    decltype(&::jack_deactivate) jack_deactivate;
    decltype(&::jack_frame_time) jack_frame_time;
    decltype(&::jack_free) jack_free;
    decltype(&::jack_get_client_name) jack_get_client_name;
    decltype(&::jack_get_ports) jack_get_ports;
    decltype(&::jack_get_sample_rate) jack_get_sample_rate;
    decltype(&::jack_last_frame_time) jack_last_frame_time;
    decltype(&::jack_midi_clear_buffer) jack_midi_clear_buffer;
    decltype(&::jack_midi_event_get) jack_midi_event_get;
    decltype(&::jack_midi_event_reserve) jack_midi_event_reserve;
    decltype(&::jack_midi_get_event_count) jack_midi_get_event_count;
    decltype(&::jack_midi_max_event_size) jack_midi_max_event_size;
    decltype(&::jack_on_info_shutdown) jack_on_info_shutdown;
    decltype(&::jack_on_shutdown) jack_on_shutdown;
    decltype(&::jack_port_by_id) jack_port_by_id;
    decltype(&::jack_port_by_name) jack_port_by_name;
    decltype(&::jack_port_connected) jack_port_connected;
    decltype(&::jack_port_connected_to) jack_port_connected_to;
    decltype(&::jack_port_flags) jack_port_flags;
    decltype(&::jack_port_get_buffer) jack_port_get_buffer;
    decltype(&::jack_port_name) jack_port_name;
    decltype(&::jack_port_register) jack_port_register;
    decltype(&::jack_set_error_function) jack_set_error_function;
    decltype(&::jack_set_info_function) jack_set_info_function;
    decltype(&::jack_set_port_connect_callback) jack_set_port_connect_callback;
    decltype(&::jack_set_process_callback) jack_set_process_callback;
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
#define jack_free (::pellum::midi::detail::loadedJack->jack_free)
#define jack_get_client_name (::pellum::midi::detail::loadedJack->jack_get_client_name)
#define jack_get_ports (::pellum::midi::detail::loadedJack->jack_get_ports)
#define jack_get_sample_rate (::pellum::midi::detail::loadedJack->jack_get_sample_rate)
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
