#include "Smf.h"

#include <algorithm>

namespace vis::make {

namespace {

char Byte(int v) {
    return static_cast<char>(static_cast<std::uint8_t>(v));
}
int Data7(int v) {
    return std::clamp(v, 0, 127);
}
int Channel(int c) {
    return std::clamp(c, 0, 15);
}

std::string BigEndian(std::uint32_t v, int bytes) {
    std::string s;
    for (int i = bytes - 1; i >= 0; --i)
        s += Byte(static_cast<int>((v >> (8 * i)) & 0xFF));
    return s;
}

} // namespace

std::string Vlq(std::uint32_t value) {
    value = std::min<std::uint32_t>(value, 0x0FFFFFFF);
    std::string s(1, Byte(static_cast<int>(value & 0x7F)));
    while (value >>= 7)
        s.insert(s.begin(), Byte(static_cast<int>(0x80 | (value & 0x7F))));
    return s;
}

void MidiTrack::Add(std::uint32_t tick, int order, std::string bytes) {
    events_.push_back({tick, order, events_.size(), std::move(bytes)});
    end_ = std::max(end_, tick);
}

void MidiTrack::NoteOn(std::uint32_t tick, int channel, int key, int velocity) {
    Add(tick, 2, {Byte(0x90 | Channel(channel)), Byte(Data7(key)), Byte(std::clamp(velocity, 1, 127))});
}

void MidiTrack::NoteOff(std::uint32_t tick, int channel, int key) {
    Add(tick, 1, {Byte(0x80 | Channel(channel)), Byte(Data7(key)), Byte(64)});
}

void MidiTrack::Note(std::uint32_t tick, std::uint32_t length, int channel, int key, int velocity) {
    NoteOn(tick, channel, key, velocity);
    NoteOff(tick + length, channel, key);
}

void MidiTrack::ProgramChange(std::uint32_t tick, int channel, int program) {
    Add(tick, 2, {Byte(0xC0 | Channel(channel)), Byte(Data7(program))});
}

void MidiTrack::ControlChange(std::uint32_t tick, int channel, int controller, int value) {
    Add(tick, 2, {Byte(0xB0 | Channel(channel)), Byte(Data7(controller)), Byte(Data7(value))});
}

void MidiTrack::Tempo(std::uint32_t tick, std::uint32_t microsecondsPerQuarter) {
    Add(tick, 0, "\xFF\x51\x03" + BigEndian(std::min<std::uint32_t>(microsecondsPerQuarter, 0xFFFFFF), 3));
}

void MidiTrack::TimeSignature(std::uint32_t tick, int numerator, int denominatorPower) {
    Add(tick, 0, {Byte(0xFF), Byte(0x58), Byte(4), Byte(numerator), Byte(denominatorPower), Byte(24), Byte(8)});
}

void MidiTrack::TrackName(std::uint32_t tick, std::string_view name) {
    const std::string_view shown = name.substr(0, 127);
    Add(tick, 0, "\xFF\x03" + Vlq(static_cast<std::uint32_t>(shown.size())) + std::string(shown));
}

std::string MidiTrack::Chunk() const {
    std::vector<const Event*> sorted;
    for (const Event& e : events_)
        sorted.push_back(&e);
    std::sort(sorted.begin(), sorted.end(), [](const Event* a, const Event* b) {
        if (a->tick != b->tick) return a->tick < b->tick;
        if (a->order != b->order) return a->order < b->order;
        return a->sequence < b->sequence;
    });
    std::string body;
    std::uint32_t now = 0;
    for (const Event* e : sorted) {
        body += Vlq(e->tick - now) + e->bytes;
        now = e->tick;
    }
    body += Vlq(std::max(end_, now) - now) + std::string("\xFF\x2F\x00", 3);
    return "MTrk" + BigEndian(static_cast<std::uint32_t>(body.size()), 4) + body;
}

std::string SmfFile(std::uint16_t ticksPerQuarter, const std::vector<MidiTrack>& tracks) {
    std::string out = "MThd" + BigEndian(6, 4) + BigEndian(tracks.size() == 1 ? 0 : 1, 2) +
                      BigEndian(static_cast<std::uint32_t>(tracks.size()), 2) + BigEndian(ticksPerQuarter & 0x7FFF, 2);
    for (const MidiTrack& t : tracks)
        out += t.Chunk();
    return out;
}

} // namespace vis::make
