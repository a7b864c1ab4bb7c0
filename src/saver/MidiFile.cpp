#include "saver/MidiFile.h"

#include <algorithm>
#include <limits>

namespace vis {

namespace {

// Bytes of a chunk read forward; every read fails rather than pass the chunk's end.
class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Pos() const { return pos_; }
    std::size_t Left() const { return bytes_.size() - pos_; }
    bool Byte(unsigned& out) {
        if (pos_ >= bytes_.size()) return false;
        out = static_cast<unsigned char>(bytes_[pos_++]);
        return true;
    }
    bool Skip(std::uint64_t n) {
        if (n > Left()) return false;
        pos_ += static_cast<std::size_t>(n);
        return true;
    }
    // The variable-length quantity: at most four bytes, as players read it.
    bool Vlq(std::uint32_t& out) {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            unsigned b = 0;
            if (!Byte(b)) return false;
            out = out << 7 | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        return false;
    }

  private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

std::uint32_t BigEndian(std::string_view b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

// Data bytes of a channel message: program change and channel pressure have one, the others two.
int DataBytes(unsigned status) {
    const unsigned kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// The length a meta event must have, or -1 for any: end of track, tempo, SMPTE offset, time and key signature.
int FixedMetaLength(unsigned type) {
    switch (type) {
    case 0x2F:
        return 0;
    case 0x51:
        return 3;
    case 0x54:
        return 5;
    case 0x58:
        return 4;
    case 0x59:
        return 2;
    default:
        return -1;
    }
}

// One track's events; an empty text when they all parse inside the chunk.
std::string CheckTrack(std::string_view track, std::uint32_t& lengthTicks) {
    Reader r(track);
    unsigned running = 0; // only channel messages set running status; meta and system events clear it
    std::uint64_t tick = 0;
    // The piece lasts until its last event that the player keeps: channel messages, system exclusive data,
    // tempo, text, lyrics and the end of track. Names, markers and signatures only pass time.
    std::uint64_t lastKept = 0;
    while (r.Left() > 0) {
        std::uint32_t delta = 0;
        if (!r.Vlq(delta)) return "a delta time is cut short or longer than four bytes";
        tick += delta;
        if (tick > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
            return "a track lasts more than 2147483647 ticks";
        unsigned status = 0;
        if (!r.Byte(status)) return "an event is cut short";
        if (status == 0xFF) {
            running = 0;
            unsigned type = 0;
            std::uint32_t length = 0;
            if (!r.Byte(type) || !r.Vlq(length) || !r.Skip(length)) return "a meta event is cut short";
            const int fixed = FixedMetaLength(type);
            if (fixed >= 0 && length != static_cast<std::uint32_t>(fixed))
                return "meta event " + std::to_string(type) + " has a length of " + std::to_string(length);
            if (type == 0x51 && BigEndian(track, r.Pos() - 3, 3) == 0) return "a tempo of 0";
            if (type == 0x01 || type == 0x05 || type == 0x2F || type == 0x51) lastKept = tick;
            if (type == 0x2F) break; // end of track: the rest of the chunk is not played
        } else if (status == 0xF0) {
            running = 0;
            std::uint32_t length = 0;
            if (!r.Vlq(length) || !r.Skip(length)) return "a system exclusive event is cut short";
            if (length > 0) lastKept = tick;
        } else if (status > 0xF0) {
            // F7 escapes and real-time bytes: the player knows no such event in a file.
            return "event " + std::to_string(status) + " cannot stand in a file";
        } else {
            int data = DataBytes(status < 0x80 ? running : status);
            if (status < 0x80) {
                if (!running) return "an event has no status byte";
                --data; // the byte read is the first data byte
            } else {
                running = status;
            }
            for (; data > 0; --data) {
                unsigned b = 0;
                if (!r.Byte(b)) return "a channel message is cut short";
                if (b >= 0x80) return "a channel message has a data byte of " + std::to_string(b);
            }
            lastKept = tick;
        }
    }
    lengthTicks = static_cast<std::uint32_t>(lastKept);
    return {};
}

MidiFileCheck Refused(MidiFileCheck c, std::string why) {
    c.ok = false;
    c.problem = std::move(why);
    return c;
}

} // namespace

MidiFileCheck ParseStandardMidiFile(std::string_view bytes, const MidiFileRules& rules) {
    MidiFileCheck c;
    if (bytes.size() > kMaxMidiFileBytes)
        return Refused(c, "larger than " + std::to_string(kMaxMidiFileBytes) + " bytes");
    if (bytes.size() < 14 || bytes.substr(0, 4) != "MThd") return Refused(c, "no \"MThd\" header");
    if (BigEndian(bytes, 4, 4) != 6) return Refused(c, "a header length other than 6");
    c.format = static_cast<int>(BigEndian(bytes, 8, 2));
    c.tracks = static_cast<int>(BigEndian(bytes, 10, 2));
    c.division = static_cast<int>(BigEndian(bytes, 12, 2));
    if (c.format > 2) return Refused(c, "format " + std::to_string(c.format));
    // The Linux player counts tracks from the low byte only (and the high one as a multiple of 65536).
    if (c.tracks < 1 || c.tracks > 127) return Refused(c, std::to_string(c.tracks) + " tracks");
    if (c.division & 0x8000) {
        if (!rules.allowSmpte) return Refused(c, "SMPTE timing");
        if ((c.division & 0xFF) == 0) return Refused(c, "SMPTE timing of 0 ticks a frame");
    } else if (c.division == 0) {
        return Refused(c, "0 ticks a quarter note");
    }
    std::size_t at = 14;
    for (int found = 0; found < c.tracks;) {
        if (bytes.size() - at < 8) return Refused(c, "cut short before track " + std::to_string(found + 1));
        const std::string_view id = bytes.substr(at, 4);
        const std::uint32_t length = BigEndian(bytes, at + 4, 4);
        at += 8;
        if (length > bytes.size() - at)
            return Refused(c, "cut short inside track " + std::to_string(found + 1) + " (" + std::to_string(length) +
                                  " bytes announced, " + std::to_string(bytes.size() - at) + " there)");
        // The format lets readers skip chunks of other kinds, but the Linux player loses its way in them: they
        // may follow the tracks only.
        if (id != "MTrk") return Refused(c, "a chunk other than a track before track " + std::to_string(found + 1));
        std::uint32_t ticks = 0;
        const std::string why = CheckTrack(bytes.substr(at, length), ticks);
        if (!why.empty()) return Refused(c, "track " + std::to_string(found + 1) + ": " + why);
        c.lengthTicks = std::max(c.lengthTicks, ticks);
        ++found;
        at += length;
    }
    // A piece of no length would end as it starts, over and over.
    if (c.lengthTicks == 0) return Refused(c, "a piece of no length");
    c.ok = true;
    return c;
}

} // namespace vis
