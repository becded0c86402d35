#pragma once
// The room watch in a test: listens to the room before the first tone, keeps per ascent how far the
// test frequency's band rose over the baseline, and records that with each threshold. The measuring is
// the room watch's (core/room); this only decides what the test does with it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/hearing/test_seams.h"
#include "core/hearing/test_state.h"
#include "core/room/room_watch.h"

namespace kelvor::host {
class Dialogs;
}
namespace kelvor::settings {
class Languages;
}

namespace kelvor::hearing {

struct RoomGuardServices {
    TestState& state;
    host::Dialogs& dialogs;
    settings::Languages& languages;
    room::RoomWatch* watch; // null: this build has no microphone
    // The chosen profile's room and its name, if it has one stored.
    std::function<std::optional<room::Baseline>(std::string& profile_name)> profile_room;
    // Tells the microphone the language of the sentences it gives; may be empty.
    std::function<void(bool german)> microphone_language;
};

class RoomGuard final : public RoomHooks {
  public:
    // Five seconds of listening: thirteen ticks of 400 ms.
    static constexpr int listen_ticks = 13;
    // An ascent is repeated at most this often per frequency; after that the threshold is kept, marked.
    static constexpr int repeats_max = 3;
    // Windows last a second and a new one completes every quarter second.
    static constexpr std::uint64_t windows_per_second = 4;

    explicit RoomGuard(const RoomGuardServices& services) : s_(services) {}

    void test_begins() override;
    bool tick(bool pure_tone) override;
    std::string waiting_text() const override;
    bool repeat_ascent() override;
    void ascent_over() override;
    void threshold_recorded(std::int8_t ear, std::uint16_t freq_hz) override;
    void test_ends(bool complete) override;

    bool watching() const { return watching_; }
    bool listening() const { return listening_; }

  private:
    bool german() const;
    void stop_watching(const std::string& why);
    void finish_listening();
    bool ascent_noisy() const;

    RoomGuardServices s_;
    bool watching_ = false;
    bool listening_ = false;
    int listened_ticks_ = 0;
    std::vector<room::NoiseWindow> listened_;
    std::vector<room::NoiseWindow> run_; // every window of the test, for a reference run's levels
    room::Baseline baseline_;
    std::optional<double> ascent_over_db_; // the loudest window of the running ascent, over the baseline
    std::int8_t ascent_ear_ = 0;
    std::uint16_t ascent_freq_ = 0;
    int repeats_ = 0;
    std::uint64_t next_window_ = 0;  // the index of the next window to come
    std::uint64_t first_window_ = 0; // the first window wholly of the running frequency
    std::string profile_name_;
};

} // namespace kelvor::hearing
