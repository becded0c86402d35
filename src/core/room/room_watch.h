#pragma once
// The room watch: the noise of the room, heard through the microphone, in the octave band around the test
// frequency and over the whole band, compared with the room as it was when it counted (a profile's reference
// run, or the first seconds before this test). An uncalibrated microphone gives no absolute level, so every
// level here is in dB relative to the microphone's full scale, and only differences are shown to the user.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/host/room_microphone.h"

namespace kelvor::room {

// Louder than the baseline by this much in a band, the room counts as noisy there.
inline constexpr double default_limit_db = 10.0;
// The lowest level we tell apart: a digitally silent source, or a microphone below its own noise.
inline constexpr double floor_db = -90.0;

// One measuring window of about a second (windows overlap; a new one completes every quarter second).
struct NoiseWindow {
    std::uint64_t index = 0;     // counts completed windows since the watch started
    std::uint16_t tone_hz = 0;   // the test frequency filtered out of this window (0: none)
    std::vector<double> band_db; // one per band of `band_centres()`, never below floor_db
    double broadband_db = floor_db;
};

// The room's levels as they were when it counted: per band and broadband.
struct Baseline {
    std::vector<double> band_db; // one per band of `band_centres()`
    double broadband_db = floor_db;
};

// The centres of the octave bands we measure: the normal test frequencies 125 .. 8000 Hz.
const std::vector<std::uint16_t>& band_centres();
// The band a test frequency falls in (nearest centre on a log scale).
std::size_t band_of(std::uint16_t freq_hz);

// A baseline from windows: per band the given percentile (0..100) of the windows' levels.
Baseline baseline_from(const std::vector<NoiseWindow>& windows, double percentile = 50.0);
// The bands of `window` louder than `baseline` by more than `limit_db`.
std::vector<std::size_t> bands_over_limit(const NoiseWindow& window, const Baseline& baseline,
                                          double limit_db = default_limit_db);

// Opens the microphone, measures on its capture thread, and hands completed windows to the window thread.
class RoomWatch {
  public:
    explicit RoomWatch(host::RoomMicrophone& microphone, int rate = 48000);
    ~RoomWatch(); // closes the microphone
    RoomWatch(const RoomWatch&) = delete;
    RoomWatch& operator=(const RoomWatch&) = delete;

    // Opens the microphone and starts measuring; false with `why` (a sentence for the user) when it cannot.
    bool start(std::string& why);
    // Closes the microphone; windows not yet taken are dropped.
    void stop();
    bool running() const;

    // The test frequency now sounding (0: none). Its narrow band is filtered out of every level from the
    // next samples on, so the tone leaking from the headphones into the microphone never counts as noise.
    void set_tone(std::uint16_t freq_hz);
    // The same for a tone with harmonics (the PC speaker, the sound card's FM tone): while it sounds,
    // only the quiet part of each window counts, so noise must fill about three quarters of it to show.
    void set_tone(std::uint16_t freq_hz, bool pure);

    // Windows completed since the last call, oldest first.
    std::vector<NoiseWindow> take_windows();
    // Set once the microphone went away while running: a sentence for the user.
    std::optional<std::string> lost();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_; // the measuring state lives where the capture thread can reach it
};

} // namespace kelvor::room
