#pragma once
// A small Standard MIDI File writer: events are given at absolute tick times in any order and come out
// sorted, with variable-length delta times and an end-of-track event.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vis::make {

// The variable-length quantity of the file format: 7 bits a byte, most significant first, the high bit set on
// every byte but the last. Values above 0x0FFFFFFF do not exist in the format and are clamped to it.
std::string Vlq(std::uint32_t value);

class MidiTrack {
  public:
    void NoteOn(std::uint32_t tick, int channel, int key, int velocity);
    void NoteOff(std::uint32_t tick, int channel, int key);
    // A note of the given length: on at tick, off at tick + length.
    void Note(std::uint32_t tick, std::uint32_t length, int channel, int key, int velocity);
    void ProgramChange(std::uint32_t tick, int channel, int program);
    void ControlChange(std::uint32_t tick, int channel, int controller, int value);
    void Tempo(std::uint32_t tick, std::uint32_t microsecondsPerQuarter);
    void TimeSignature(std::uint32_t tick, int numerator, int denominatorPower);
    void TrackName(std::uint32_t tick, std::string_view name);
    // Where the end-of-track event goes; at least after the last event. Sets the loop length of the piece.
    void EndAt(std::uint32_t tick) { end_ = std::max(end_, tick); }

    // The whole "MTrk" chunk.
    std::string Chunk() const;

  private:
    struct Event {
        std::uint32_t tick;
        int order; // at one tick: meta events, then notes off, then the rest, so no note is cut at once
        std::size_t sequence;
        std::string bytes;
    };
    void Add(std::uint32_t tick, int order, std::string bytes);
    std::vector<Event> events_;
    std::uint32_t end_ = 0;
};

// The "MThd" chunk and the tracks: format 0 for one track, 1 for several.
std::string SmfFile(std::uint16_t ticksPerQuarter, const std::vector<MidiTrack>& tracks);

} // namespace vis::make
