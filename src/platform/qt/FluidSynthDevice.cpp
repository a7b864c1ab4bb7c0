#include "platform/qt/FluidSynthDevice.h"

#include "qv/Errors.h"
#include "qv/Files.h"
#include "saver/MidiFile.h"

#include <QTimer>
#include <fluidsynth.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace vis {

namespace {
// fluidsynth gives no text a user could act on, so every failure carries the runtime's generic MCI text.
const char* const kUnknownError = "原因不明のｴﾗｰ";

const char* Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string DefaultSoundFont() {
    for (const char* path : {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2",
                             "/usr/share/sounds/sf2/FluidR3_GM.sf2"}) {
        if (FileExists(path)) return path;
    }
    return {};
}

// The player keeps running after the last note until the voices have died away (seconds later); the piece
// counts as finished when its last tick has been played, as a sequencer reports it.
constexpr int kFinishedPollMs = 250;
constexpr int kPullFrames = 512;
} // namespace

FluidSynthDevice::Options FluidSynthDevice::FromEnvironment() {
    return Options{Env("VISTRELLE_AUDIO"), Env("VISTRELLE_SOUNDFONT"), Env("VISTRELLE_MEDIA_LOG")};
}

FluidSynthDevice::FluidSynthDevice(Options options, QObject* parent)
    : QObject(parent), options_(std::move(options)), finishedPoll_(new QTimer(this)) {
    finishedPoll_->setInterval(kFinishedPollMs);
    connect(finishedPoll_, &QTimer::timeout, this, [this] { CheckFinished(); });
}

FluidSynthDevice::~FluidSynthDevice() {
    if (player_) {
        try {
            Close();
        } catch (const Exception&) {
        }
    }
    ReleaseOutput();
}

void FluidSynthDevice::Log(const std::string& line) const {
    if (options_.logFile.empty()) return;
    std::ofstream(options_.logFile, std::ios::app) << line << '\n';
}

void FluidSynthDevice::EnsureOutput() {
    if (synth_) return;
    settings_ = new_fluid_settings();
    if (!settings_) throw EMCIDeviceError(kUnknownError);
    const std::string& out = options_.output;
    const bool pulled = out == "none" || out.rfind("file:", 0) == 0;
    outputFile_ = out.rfind("file:", 0) == 0 ? out.substr(5) : std::string();
    if (!out.empty() && !pulled) fluid_settings_setstr(settings_, "audio.driver", out.c_str());
    synth_ = new_fluid_synth(settings_);
    const std::string font = options_.soundFont.empty() ? DefaultSoundFont() : options_.soundFont;
    if (!synth_ || font.empty() || fluid_synth_sfload(synth_, font.c_str(), 1) == FLUID_FAILED) {
        ReleaseOutput();
        throw EMCIDeviceError(kUnknownError);
    }
    if (pulled) {
        if (!outputFile_.empty() && !std::ofstream(outputFile_, std::ios::binary | std::ios::trunc)) {
            ReleaseOutput();
            throw EMCIDeviceError(kUnknownError);
        }
        stopPull_ = false;
        puller_ = std::thread([this] { PullLoop(); });
        return;
    }
    driver_ = new_fluid_audio_driver2(settings_, &FluidSynthDevice::OnAudio, this);
    if (!driver_ && out.empty()) {
        // The default is ALSA; a desktop without an ALSA route to its sound server may still have PulseAudio.
        fluid_settings_setstr(settings_, "audio.driver", "pulseaudio");
        driver_ = new_fluid_audio_driver2(settings_, &FluidSynthDevice::OnAudio, this);
    }
    if (!driver_) {
        ReleaseOutput();
        throw EMCIDeviceError(kUnknownError);
    }
}

int FluidSynthDevice::OnAudio(void* self, int len, int nfx, float* fx[], int nout, float* out[]) {
    auto* device = static_cast<FluidSynthDevice*>(self);
    std::lock_guard lock(device->renderMutex_);
    if (nfx == 0) {
        // The drivers other than JACK give no effect buffers: reverb and chorus go into the dry mix.
        float* mixed[4] = {out[0], out[1], out[0], out[1]};
        return fluid_synth_process(device->synth_, len, 4, mixed, nout, out);
    }
    return fluid_synth_process(device->synth_, len, nfx, fx, nout, out);
}

void FluidSynthDevice::ReleaseOutput() {
    if (puller_.joinable()) {
        {
            std::lock_guard lock(pullMutex_);
            stopPull_ = true;
        }
        pullWake_.notify_all();
        puller_.join();
    }
    if (driver_) delete_fluid_audio_driver(driver_);
    driver_ = nullptr;
    if (synth_) delete_fluid_synth(synth_);
    synth_ = nullptr;
    if (settings_) delete_fluid_settings(settings_);
    settings_ = nullptr;
}

void FluidSynthDevice::PullLoop() {
    // Renders at the pace of real time, as a sound card would take the samples, so the player's clock runs
    // as it does with a device.
    double rate = 44100;
    fluid_settings_getnum(settings_, "synth.sample-rate", &rate);
    const auto chunk = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(kPullFrames / rate));
    std::vector<std::int16_t> buffer(2 * kPullFrames);
    std::ofstream file;
    if (!outputFile_.empty()) file.open(outputFile_, std::ios::binary | std::ios::app);
    auto next = std::chrono::steady_clock::now();
    std::unique_lock lock(pullMutex_);
    while (!stopPull_) {
        lock.unlock();
        {
            std::lock_guard render(renderMutex_);
            fluid_synth_write_s16(synth_, kPullFrames, buffer.data(), 0, 2, buffer.data(), 1, 2);
        }
        if (file)
            file.write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(buffer.size() * 2));
        lock.lock();
        next += chunk;
        pullWake_.wait_until(lock, next, [this] { return stopPull_; });
    }
}

void FluidSynthDevice::Open(const std::string& file) {
    Log("open " + file);
    // The player parses the file only once it plays, and a file it cannot parse simply ends, which the music
    // loop would take for the end of the piece and reopen for ever: the whole file is read and parsed here, and
    // the player gets exactly the bytes that passed.
    const auto bytes = ReadFileBounded(file, kMaxMidiFileBytes);
    const MidiFileCheck check = bytes ? ParseStandardMidiFile(*bytes) : MidiFileCheck{};
    if (!check.ok) {
        Log("refused " + (bytes ? check.problem : std::string("unreadable")));
        throw EMCIDeviceError(kUnknownError);
    }
    EnsureOutput();
    std::lock_guard render(renderMutex_);
    fluid_player_t* player = new_fluid_player(synth_);
    if (!player) throw EMCIDeviceError(kUnknownError);
    if (fluid_player_add_mem(player, bytes->data(), bytes->size()) != FLUID_OK) {
        delete_fluid_player(player);
        throw EMCIDeviceError(kUnknownError);
    }
    ++generation_;
    endReported_ = false;
    totalTicks_ = -1;
    ended_ = false;
    player_ = player;
    fluid_player_set_tick_callback(player_, &FluidSynthDevice::OnTick, this);
}

void FluidSynthDevice::Play() {
    if (!player_) throw EMCIDeviceError("MCI ﾃﾞﾊﾞｲｽがありません");
    {
        std::lock_guard render(renderMutex_);
        if (fluid_player_play(player_) != FLUID_OK) throw EMCIDeviceError(kUnknownError);
    }
    finishedPoll_->start();
    Log("play");
}

void FluidSynthDevice::Close() {
    if (!player_) throw EMCIDeviceError("MCI ﾃﾞﾊﾞｲｽがありません");
    finishedPoll_->stop();
    ++generation_;
    {
        std::lock_guard render(renderMutex_);
        fluid_player_stop(player_);
        delete_fluid_player(player_);
        player_ = nullptr;
        // The voices still sounding belong to the closed piece.
        fluid_synth_all_sounds_off(synth_, -1);
    }
    Log("close");
}

std::int64_t FluidSynthDevice::TrackLength(int) {
    if (!player_) throw EMCIDeviceError("MCI ﾃﾞﾊﾞｲｽがありません");
    // The player loads the file's tracks on the audio thread when it starts.
    std::lock_guard render(renderMutex_);
    return fluid_player_get_total_ticks(player_);
}

std::int64_t FluidSynthDevice::Position() {
    if (!player_) throw EMCIDeviceError("MCI ﾃﾞﾊﾞｲｽがありません");
    std::lock_guard render(renderMutex_);
    const std::int64_t tick = fluid_player_get_current_tick(player_);
    // A finished piece stands at its end, even while the player still lets the last notes ring.
    if (ended_) return std::max<std::int64_t>(tick, fluid_player_get_total_ticks(player_));
    return tick;
}

int FluidSynthDevice::OnTick(void* self, int tick) {
    // The audio thread.
    auto* device = static_cast<FluidSynthDevice*>(self);
    int total = device->totalTicks_.load();
    if (total < 0) {
        total = fluid_player_get_total_ticks(device->player_);
        device->totalTicks_ = total;
    }
    if (tick >= total) device->ReportEnd(device->generation_.load());
    return FLUID_OK;
}

void FluidSynthDevice::ReportEnd(unsigned generation) {
    if (endReported_.exchange(true)) return;
    // Queued to this object: the notice runs on the user-interface thread and is dropped with the device.
    QMetaObject::invokeMethod(
        this, [this, generation] { Deliver(generation); }, Qt::QueuedConnection);
}

void FluidSynthDevice::CheckFinished() {
    // A piece whose last tick the callback never saw (an empty file) still ends when the player is done.
    if (player_ && fluid_player_get_status(player_) == FLUID_PLAYER_DONE) ReportEnd(generation_.load());
}

void FluidSynthDevice::Deliver(unsigned generation) {
    if (generation != generation_.load() || !player_) return;
    ended_ = true;
    finishedPoll_->stop();
    Log("end");
    if (onNotify) onNotify();
}

} // namespace vis
