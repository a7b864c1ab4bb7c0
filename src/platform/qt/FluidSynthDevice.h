#pragma once
// The music device on Linux: a MIDI file player over libfluidsynth with a General MIDI soundfont. The end of
// the piece is seen on the audio thread and reported as a completion notice on the user-interface thread.
// Positions and lengths are MIDI ticks.
#include "platform/MediaDevice.h"

#include <QObject>
#include <fluidsynth/types.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

class QTimer;

namespace vis {

class FluidSynthDevice : public QObject, public MediaDevice {
    Q_OBJECT
  public:
    struct Options {
        // "" : fluidsynth's default audio driver (then PulseAudio); "none": rendered in real time and
        // discarded; "file:PATH": written to PATH in real time as raw 16-bit stereo samples; any other
        // text: that fluidsynth audio driver.
        std::string output;
        std::string soundFont; // empty: the General MIDI soundfont Debian installs
        std::string logFile;   // when set, each request is appended as a line (for tests)
    };
    // VISTRELLE_AUDIO, VISTRELLE_SOUNDFONT and VISTRELLE_MEDIA_LOG.
    static Options FromEnvironment();

    explicit FluidSynthDevice(Options options, QObject* parent = nullptr);
    ~FluidSynthDevice() override;
    FluidSynthDevice(const FluidSynthDevice&) = delete;
    FluidSynthDevice& operator=(const FluidSynthDevice&) = delete;

    void Open(const std::string& file) override;
    void Play() override;
    void Close() override;
    std::int64_t TrackLength(int track) override;
    std::int64_t Position() override;

  private:
    static int OnTick(void* self, int tick);
    static int OnAudio(void* self, int len, int nfx, float* fx[], int nout, float* out[]);
    void EnsureOutput();
    void ReleaseOutput();
    void PullLoop();
    void ReportEnd(unsigned generation);
    void Deliver(unsigned generation);
    void CheckFinished();
    void Log(const std::string& line) const;

    Options options_;
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    fluid_audio_driver_t* driver_ = nullptr;
    fluid_player_t* player_ = nullptr;

    // fluidsynth renders on its own thread and walks the player list unguarded while it does: creating or
    // deleting a player must not overlap a block being rendered.
    std::mutex renderMutex_;

    // The renderer of the silent and file outputs.
    std::string outputFile_;
    std::thread puller_;
    std::mutex pullMutex_;
    std::condition_variable pullWake_;
    bool stopPull_ = false;

    // Bumped by every open and close, so a notice of an earlier piece is dropped.
    std::atomic<unsigned> generation_{0};
    std::atomic<bool> endReported_{false};
    std::atomic<int> totalTicks_{-1};
    bool ended_ = false;
    QTimer* finishedPoll_ = nullptr;
};

} // namespace vis
