// The MIDI file check that the music devices run before they play a file: what parses, what is refused.
#include "saver/MidiFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vis {
namespace {

std::string Be(std::uint32_t v, int n) {
    std::string s;
    for (int i = n - 1; i >= 0; --i)
        s += static_cast<char>(v >> (8 * i) & 0xFF);
    return s;
}

std::string Header(int format, int tracks, int division) {
    return "MThd" + Be(6, 4) + Be(static_cast<std::uint32_t>(format), 2) + Be(static_cast<std::uint32_t>(tracks), 2) +
           Be(static_cast<std::uint32_t>(division), 2);
}

std::string Track(const std::string& events) {
    return "MTrk" + Be(static_cast<std::uint32_t>(events.size()), 4) + events;
}

// One middle C of a quarter note (96 ticks), then the end of the track.
const std::string kNote = std::string("\x00\xC0\x00\x00\x90\x3C\x64\x60\x80\x3C\x40\x00\xFF\x2F\x00", 15);

TEST(MidiFile, WellFormedFilesParseWithTheirLength) {
    const std::string one = Header(0, 1, 96) + Track(kNote);
    const MidiFileCheck c = ParseStandardMidiFile(one);
    EXPECT_TRUE(c.ok) << c.problem;
    EXPECT_EQ(c.format, 0);
    EXPECT_EQ(c.tracks, 1);
    EXPECT_EQ(c.division, 96);
    EXPECT_EQ(c.lengthTicks, 96u);
    // Format 1 with running status, a tempo map track, text after the last note (the piece lasts to it), a
    // marker after that (which only passes time) and a chunk of another kind after the tracks.
    const std::string tempo = std::string("\x00\xFF\x51\x03\x07\xA1\x20\x00\xFF\x58\x04\x04\x02\x18\x08", 15) +
                              std::string("\x00\xFF\x2F\x00", 4);
    const std::string running = std::string("\x00\x90\x3C\x64\x10\x3E\x64\x10\x3C\x00\x10\x3E\x00", 13) +
                                std::string("\x20\xFF\x01\x02hi\x30\xFF\x06\x01m", 11);
    const std::string two = Header(1, 2, 480) + Track(tempo) + Track(running) + "XFIR" + Be(3, 4) + "abc";
    const MidiFileCheck d = ParseStandardMidiFile(two);
    EXPECT_TRUE(d.ok) << d.problem;
    EXPECT_EQ(d.lengthTicks, 0x10u * 3 + 0x20);
    // SMPTE timing where the device has it (Windows' sequencer).
    EXPECT_TRUE(ParseStandardMidiFile(Header(0, 1, 0xE728) + Track(kNote), MidiFileRules{.allowSmpte = true}).ok);
}

TEST(MidiFile, FilesThePlayerCannotParseAreRefusedWithTheReason) {
    const std::string good = Header(0, 1, 96) + Track(kNote);
    const struct {
        std::string bytes;
        std::string problem;
    } cases[] = {
        {"", "no \"MThd\" header"},
        {"MThd", "no \"MThd\" header"},
        {"RIFF" + good.substr(4), "no \"MThd\" header"},
        {"MThd" + Be(7, 4) + good.substr(8), "a header length other than 6"},
        {Header(3, 1, 96) + Track(kNote), "format 3"},
        {Header(0, 0, 96), "0 tracks"},
        {Header(1, 300, 96) + Track(kNote), "300 tracks"},
        {Header(0, 1, 0xE728) + Track(kNote), "SMPTE timing"},
        {Header(0, 1, 0) + Track(kNote), "0 ticks a quarter note"},
        {good.substr(0, good.size() - 5), "cut short inside track 1 (15 bytes announced, 10 there)"},
        {good.substr(0, 20), "cut short before track 1"},
        {Header(1, 2, 96) + Track(kNote), "cut short before track 2"},
        {Header(0, 1, 96) + Track(std::string("\x00\x3C\x64", 3)), "track 1: an event has no status byte"},
        {Header(0, 1, 96) + Track(std::string("\x00\xFF\x51\x02\x07\xA1", 6)),
         "track 1: meta event 81 has a length of 2"},
        {Header(0, 1, 96) + Track(std::string("\x00\xFF\x51\x03\x00\x00\x00", 7)), "track 1: a tempo of 0"},
        {Header(0, 1, 96) + Track(std::string("\x00\xFF\x2F\x01\x00", 5)), "track 1: meta event 47 has a length of 1"},
        {Header(0, 1, 96) + Track(std::string("\x00\xFF\x01\x09"
                                              "ab",
                                              6)),
         "track 1: a meta event is cut short"},
        {Header(0, 1, 96) + Track(std::string("\x00\xF0\x05\x7E", 4)),
         "track 1: a system exclusive event is cut short"},
        {Header(0, 1, 96) + Track(std::string("\x00\xF7\x01\x7E", 4)), "track 1: event 247 cannot stand in a file"},
        {Header(0, 1, 96) + Track(std::string("\x00\x90\x3C", 3)), "track 1: a channel message is cut short"},
        {Header(0, 1, 96) + Track(std::string("\x00\x90\x3C\x90", 4)),
         "track 1: a channel message has a data byte of 144"},
        {Header(0, 1, 96) + Track(std::string("\xFF\xFF\xFF\xFF\x00", 5)),
         "track 1: a delta time is cut short or longer than four bytes"},
        {Header(0, 1, 96) + Track(std::string("\x00\xFF\x2F\x00", 4)), "a piece of no length"},
        {Header(0, 1, 96) + "XFIR" + Be(0, 4) + Track(kNote), "a chunk other than a track before track 1"},
    };
    for (const auto& c : cases) {
        const MidiFileCheck r = ParseStandardMidiFile(c.bytes);
        EXPECT_FALSE(r.ok) << c.problem;
        EXPECT_EQ(r.problem, c.problem);
    }
    // Meta and system exclusive events end running status.
    const std::string afterMeta = std::string("\x00\x90\x3C\x64\x00\xFF\x01\x00\x10\x3C\x00", 11);
    EXPECT_EQ(ParseStandardMidiFile(Header(0, 1, 96) + Track(afterMeta)).problem,
              "track 1: an event has no status byte");
    // A file cut at any byte is refused, never read past its end.
    for (std::size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_FALSE(ParseStandardMidiFile(good.substr(0, cut)).ok) << cut;
}

} // namespace
} // namespace vis
