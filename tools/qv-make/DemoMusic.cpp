#include "Demo.h"
#include "Smf.h"

#include <array>

namespace vis::make {

namespace {

constexpr std::uint32_t kQuarter = 480;
constexpr std::uint32_t kEighth = kQuarter / 2;
constexpr std::uint32_t kBar = kQuarter * 4;

struct Chord {
    int root;                 // bass note
    std::array<int, 3> tones; // the triad in the middle register
};

// I - vi - IV - V in C major; the last bar leads back into the first, so the loop has no seam.
constexpr std::array<Chord, 4> kChords{{
    {48, {60, 64, 67}},
    {45, {57, 60, 64}},
    {41, {53, 57, 60}},
    {43, {55, 59, 62}},
}};

struct MelodyNote {
    std::uint32_t start, length; // in eighths from the start of the loop
    int key;
};

constexpr std::array<MelodyNote, 15> kMelody{{
    {0, 2, 76},
    {2, 2, 79},
    {4, 4, 84}, // E G C
    {8, 2, 83},
    {10, 2, 81},
    {12, 4, 76}, // B A E
    {16, 2, 77},
    {18, 2, 81},
    {20, 2, 84},
    {22, 2, 81}, // F A C A
    {24, 3, 79},
    {27, 1, 77},
    {28, 2, 74},
    {30, 1, 71},
    {31, 1, 74}, // G F D B D
}};

enum Channel { kHarp = 0, kPad = 1, kBass = 2, kFlute = 3, kDrums = 9 };

} // namespace

std::string DemoMusic() {
    MidiTrack t;
    t.TrackName(0, "Vistrelle demo loop");
    t.Tempo(0, 500000); // 120 beats a minute
    t.TimeSignature(0, 4, 2);
    const struct {
        int channel, program, volume, pan;
    } setup[] = {{kHarp, 46, 96, 40}, {kPad, 89, 70, 64}, {kBass, 33, 100, 64}, {kFlute, 73, 92, 88}};
    for (const auto& s : setup) {
        t.ProgramChange(0, s.channel, s.program);
        t.ControlChange(0, s.channel, 7, s.volume);
        t.ControlChange(0, s.channel, 10, s.pan);
        t.ControlChange(0, s.channel, 91, 60); // some reverb
    }
    t.ControlChange(0, kDrums, 7, 70);

    for (std::uint32_t bar = 0; bar < kChords.size(); ++bar) {
        const Chord& c = kChords[bar];
        const std::uint32_t at = bar * kBar;
        // Harp: a rising and falling arpeggio in eighths.
        const int arp[8] = {c.tones[0],      c.tones[1],      c.tones[2], c.tones[0] + 12,
                            c.tones[1] + 12, c.tones[0] + 12, c.tones[2], c.tones[1]};
        for (std::uint32_t i = 0; i < 8; ++i)
            t.Note(at + i * kEighth, kEighth - 10, kHarp, arp[i], i % 2 ? 58 : 72);
        // Pad: the chord held through the bar.
        for (int key : c.tones)
            t.Note(at, kBar - 20, kPad, key, 48);
        // Bass: root, a passing root an octave up, the fifth.
        t.Note(at, kQuarter * 3 / 2 - 20, kBass, c.root, 88);
        t.Note(at + kQuarter * 3 / 2, kEighth - 20, kBass, c.root + 12, 70);
        t.Note(at + kQuarter * 2, kQuarter * 2 - 20, kBass, c.root + 7, 80);
        // Drums: soft kick on one and three, closed hi-hat on every eighth.
        t.Note(at, kEighth, kDrums, 36, 64);
        t.Note(at + 2 * kQuarter, kEighth, kDrums, 36, 56);
        for (std::uint32_t i = 0; i < 8; ++i)
            t.Note(at + i * kEighth, kEighth / 2, kDrums, 42, i % 2 ? 30 : 44);
    }
    for (const MelodyNote& n : kMelody)
        t.Note(n.start * kEighth, n.length * kEighth - 30, kFlute, n.key, 84);
    t.EndAt(kChords.size() * kBar);
    return SmfFile(kQuarter, {t});
}

} // namespace vis::make
