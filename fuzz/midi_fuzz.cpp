// The music file path of the Linux device over arbitrary bytes: the file is checked whole, and only what
// passes goes to fluidsynth's player. Whatever the check accepts, the player must load without an error and
// find exactly the length the check found; a piece it could not load would end at once and be reopened for
// ever by the music loop.
#include "saver/MidiFile.h"

#include <fluidsynth.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int g_errors = 0;
std::string g_lastError;

void CountError(int, const char* message, void*) {
    ++g_errors;
    g_lastError = message ? message : "";
}

fluid_synth_t* Synth() {
    static fluid_synth_t* synth = [] {
        fluid_set_log_function(FLUID_ERR, CountError, nullptr);
        fluid_set_log_function(FLUID_PANIC, CountError, nullptr);
        for (int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, nullptr, nullptr);
        fluid_settings_t* settings = new_fluid_settings();
        // The player follows the samples rendered here, not the wall clock.
        fluid_settings_setstr(settings, "player.timing-source", "sample");
        fluid_settings_setint(settings, "synth.polyphony", 16);
        return new_fluid_synth(settings);
    }();
    return synth;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const vis::MidiFileCheck check = vis::ParseStandardMidiFile(bytes);
    if (!check.ok) return 0;
    fluid_synth_t* synth = Synth();
    fluid_player_t* player = new_fluid_player(synth);
    if (!player) std::abort();
    g_errors = 0;
    if (fluid_player_add_mem(player, bytes.data(), bytes.size()) != FLUID_OK) std::abort();
    fluid_player_play(player);
    // One block of samples runs the player's first callback, which parses the file.
    short buffer[2 * 64];
    fluid_synth_write_s16(synth, 64, buffer, 0, 2, buffer, 1, 2);
    const int total = fluid_player_get_total_ticks(player);
    if (g_errors != 0) {
        std::fprintf(stderr, "accepted, but the player failed: %s\n", g_lastError.c_str());
        std::abort();
    }
    if (total != static_cast<int>(check.lengthTicks)) {
        std::fprintf(stderr, "length %u ticks, the player finds %d\n", check.lengthTicks, total);
        std::abort();
    }
    fluid_player_stop(player);
    delete_fluid_player(player);
    fluid_synth_system_reset(synth);
    return 0;
}
