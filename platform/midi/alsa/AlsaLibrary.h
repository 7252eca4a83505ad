// alsa-lib, loaded the first time it is needed instead of with the program, so that
// pellum-cli's file commands start without the MIDI libraries (most of their start-up
// time) and a machine without the library still runs Pellum. Code calls the functions by
// their usual names: each is a macro for the loaded library's function. Call them only
// after alsaLibrary() gave a library.
#pragma once

#include <alsa/asoundlib.h>

namespace pellum::midi {

struct AlsaFunctions {
    decltype(&::snd_lib_error_set_handler) snd_lib_error_set_handler;
    decltype(&::snd_midi_event_decode) snd_midi_event_decode;
    decltype(&::snd_midi_event_free) snd_midi_event_free;
    decltype(&::snd_midi_event_new) snd_midi_event_new;
    decltype(&::snd_midi_event_no_status) snd_midi_event_no_status;
    decltype(&::snd_seq_client_id) snd_seq_client_id;
    decltype(&::snd_seq_client_info_get_card) snd_seq_client_info_get_card;
    decltype(&::snd_seq_client_info_get_client) snd_seq_client_info_get_client;
    decltype(&::snd_seq_client_info_get_name) snd_seq_client_info_get_name;
    decltype(&::snd_seq_client_info_set_client) snd_seq_client_info_set_client;
    decltype(&::snd_seq_client_info_sizeof) snd_seq_client_info_sizeof;
    decltype(&::snd_seq_close) snd_seq_close;
    decltype(&::snd_seq_connect_from) snd_seq_connect_from;
    decltype(&::snd_seq_connect_to) snd_seq_connect_to;
    decltype(&::snd_seq_create_simple_port) snd_seq_create_simple_port;
    decltype(&::snd_seq_event_input) snd_seq_event_input;
    decltype(&::snd_seq_event_output_direct) snd_seq_event_output_direct;
    decltype(&::snd_seq_get_any_client_info) snd_seq_get_any_client_info;
    decltype(&::snd_seq_get_any_port_info) snd_seq_get_any_port_info;
    decltype(&::snd_seq_get_port_subscription) snd_seq_get_port_subscription;
    decltype(&::snd_seq_open) snd_seq_open;
    decltype(&::snd_seq_poll_descriptors) snd_seq_poll_descriptors;
    decltype(&::snd_seq_poll_descriptors_count) snd_seq_poll_descriptors_count;
    decltype(&::snd_seq_port_info_get_capability) snd_seq_port_info_get_capability;
    decltype(&::snd_seq_port_info_get_client) snd_seq_port_info_get_client;
    decltype(&::snd_seq_port_info_get_name) snd_seq_port_info_get_name;
    decltype(&::snd_seq_port_info_get_port) snd_seq_port_info_get_port;
    decltype(&::snd_seq_port_info_get_type) snd_seq_port_info_get_type;
    decltype(&::snd_seq_port_info_set_client) snd_seq_port_info_set_client;
    decltype(&::snd_seq_port_info_set_port) snd_seq_port_info_set_port;
    decltype(&::snd_seq_port_info_sizeof) snd_seq_port_info_sizeof;
    decltype(&::snd_seq_port_subscribe_set_dest) snd_seq_port_subscribe_set_dest;
    decltype(&::snd_seq_port_subscribe_set_sender) snd_seq_port_subscribe_set_sender;
    decltype(&::snd_seq_port_subscribe_sizeof) snd_seq_port_subscribe_sizeof;
    decltype(&::snd_seq_query_next_client) snd_seq_query_next_client;
    decltype(&::snd_seq_query_next_port) snd_seq_query_next_port;
    decltype(&::snd_seq_set_client_name) snd_seq_set_client_name;
    decltype(&::snd_seq_set_client_pool_input) snd_seq_set_client_pool_input;
    decltype(&::snd_seq_set_input_buffer_size) snd_seq_set_input_buffer_size;
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
