// Standard MIDI Files (.mid, .midi): the SysEx messages they hold, loaded into the store as a
// .syx file's are, and the store written as a file a sequencer plays as Pellum sends it. Also the
// choice between the two kinds of file by the name's extension.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/files/LoadedMessages.h"
#include "core/files/SyxFile.h"
#include "core/messages/ChannelOverride.h"

namespace pellum {

// Whether `path` names a Standard MIDI File: it ends in .mid or .midi, in any case.
bool isMidiFileName(const std::string& path);

// Replaces the store's content with the SysEx messages of a Standard MIDI File (formats 0 and 1
// in time order across the tracks, ties in file order; format 2 track after track). A message
// divided into an F0 event and F7 continuation events is joined whole; one its track ends inside,
// or a status byte other than F7 cuts short, is closed with an added F7, as in a .syx file (an F0
// byte then starts the next message at the same time). F7 events that continue no
// message are counted, not stored. Running status is kept across meta and SysEx events, and
// chunks other than tracks are skipped. The first 9999 messages are kept, as from a .syx file.
// Throws PellumError naming `name` for a file that is cut short or damaged, and
// MessageTooLongError for a message over 65,535 bytes; the store is then untouched.
LoadResult loadMidi(std::span<const std::uint8_t> bytes, LoadedMessages& store,
                    const std::string& name = {});

// Reads the file and loads it as loadMidi does, refusing it as loadSyxFile refuses a file.
LoadResult loadMidiFile(const std::string& path, LoadedMessages& store);

// Each message's time from the file's start in nanoseconds, where it has one; empty: none has.
using MessageTimes = std::vector<std::optional<std::int64_t>>;

// The bytes of a format 0 file of messages 0..count-1 of the store, one F0 event each. A message
// with a time goes at that time (20 us ticks; never before the message ahead of it); one without
// is spaced as a run of sends paces it: the time of the one ahead on a MIDI cable and then the
// wait before it (waitBeforeMessage with `intervalMs`).
// The override is applied to the file's bytes only.
std::vector<std::uint8_t> midiFileBytes(const MessageSpans& messages, long intervalMs,
                                        ChannelOverride override = {},
                                        const MessageTimes& times = {});
std::vector<std::uint8_t> midiFileBytes(const LoadedMessages& store, long intervalMs);

// Writes that file as saveSyxFile writes a .syx file, the channel override applied the same way.
void saveMidiFile(const std::string& path, LoadedMessages& store, ChannelOverride override,
                  long intervalMs);

// The loaders, lister and savers that fit the file name: a Standard MIDI File or a .syx file.
LoadResult loadMessageFile(const std::string& path, LoadedMessages& store);
SyxListing listMessageFile(const std::string& path);
void saveMessageFile(const std::string& path, LoadedMessages& store, ChannelOverride override,
                     long intervalMs);
// Writes the messages in the kind of file the name asks for, the override applied to the file's
// bytes only.
// A Standard MIDI File places the messages at `times`; a .syx file has no times.
void writeMessageFile(const std::string& path, const MessageSpans& messages,
                      ChannelOverride override, long intervalMs, const MessageTimes& times = {});
// A store's times, as a loaded Standard MIDI File gave them; empty for any other.
MessageTimes storeTimes(const LoadedMessages& store);

// What a user is told of the F7 escape events a load left out; empty when there were none.
std::string escapeWarning(const std::string& path, int escapes);

}  // namespace pellum
