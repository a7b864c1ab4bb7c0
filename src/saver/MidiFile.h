#pragma once
// A Standard MIDI File read whole and checked event by event, before a music device is given it. A file that
// does not parse to the end (cut short, bad header fields, an event without a status byte, a meta event of
// the wrong length, SMPTE timing where the player has none) is refused at once: handed to the player, it
// would end the moment it starts, and the music loop would reopen it for ever.
#include <cstdint>
#include <string>
#include <string_view>

namespace vis {

// Far more than any piece of background music; the whole file is held in memory while it plays.
constexpr std::uintmax_t kMaxMidiFileBytes = std::uintmax_t{16} << 20;

struct MidiFileCheck {
    bool ok = false;
    std::string problem; // why it was refused, for logs and tools
    int format = 0;
    int tracks = 0;
    int division = 0;              // ticks per quarter note, or the SMPTE word
    std::uint32_t lengthTicks = 0; // the longest track, to its last event that is played
};

struct MidiFileRules {
    // The Linux player has no SMPTE timing; Windows' sequencer has.
    bool allowSmpte = false;
};

MidiFileCheck ParseStandardMidiFile(std::string_view bytes, const MidiFileRules& rules = {});

} // namespace vis
