#include "core/hearing/room_guard.h"

#include <algorithm>

#include "core/host/dialogs.h"
#include "core/settings/interface_texts.h"
#include "core/settings/language_tables.h"

namespace kelvor::hearing {

using settings::Text;
using settings::text_in;

bool RoomGuard::german() const {
    return s_.languages.german();
}

void RoomGuard::test_begins() {
    if (watching_) s_.watch->stop(); // Start again in the middle of a test
    watching_ = listening_ = false;
    s_.state.room = RoomRecord{};
    if (s_.microphone_language) s_.microphone_language(german());
    std::string why = text_in(Text::room_silent_microphone, german());
    if (s_.watch == nullptr || !s_.watch->start(why)) {
        s_.state.room->lost = why;
        s_.dialogs.message_box(text_in(Text::room_watch_stops, german(), {why}));
        return;
    }
    watching_ = listening_ = true;
    listened_ticks_ = 0;
    listened_.clear();
    run_.clear();
    ascent_over_db_.reset();
    ascent_ear_ = 0;
    ascent_freq_ = 0;
    repeats_ = 0;
    next_window_ = first_window_ = 0;
    profile_name_.clear();
    const auto stored = s_.profile_room ? s_.profile_room(profile_name_) : std::nullopt;
    s_.state.room->profile_baseline = stored.has_value();
    if (stored) baseline_ = *stored;
}

void RoomGuard::stop_watching(const std::string& why) {
    s_.watch->stop();
    RoomRecord& record = *s_.state.room;
    record.lost = why;
    if (!listening_) {
        record.lost_ear = s_.state.cur_ear;
        record.lost_freq_hz = s_.state.test_freq;
    }
    watching_ = listening_ = false;
    s_.dialogs.message_box(text_in(Text::room_watch_stops, german(), {why}));
}

bool RoomGuard::tick(bool pure_tone) {
    if (!watching_) return false;
    if (const auto why = s_.watch->lost()) {
        stop_watching(*why);
        return false;
    }
    // The tone leaking from the headphones into the microphone never counts as noise.
    s_.watch->set_tone(listening_ ? 0 : s_.state.test_freq, pure_tone);
    std::vector<room::NoiseWindow> windows = s_.watch->take_windows();
    if (listening_) {
        if (!windows.empty()) next_window_ = windows.back().index + 1;
        listened_.insert(listened_.end(), windows.begin(), windows.end());
        if (++listened_ticks_ >= listen_ticks) finish_listening();
        return listening_;
    }
    if (s_.state.cur_ear != ascent_ear_ || s_.state.test_freq != ascent_freq_) {
        ascent_ear_ = s_.state.cur_ear;
        ascent_freq_ = s_.state.test_freq;
        ascent_over_db_.reset();
        repeats_ = 0;
        // A window still partly of the time before belongs to the ascent before.
        first_window_ = next_window_ + windows_per_second;
    }
    const std::size_t band = room::band_of(s_.state.test_freq);
    for (const room::NoiseWindow& w : windows) {
        run_.push_back(w);
        next_window_ = w.index + 1;
        if (w.index < first_window_ || w.tone_hz != s_.state.test_freq || band >= w.band_db.size()) continue;
        const double over = w.band_db[band] - baseline_.band_db[band];
        ascent_over_db_ = std::max(ascent_over_db_.value_or(over), over);
    }
    return false;
}

void RoomGuard::finish_listening() {
    if (listened_.empty()) {
        stop_watching(text_in(Text::room_silent_microphone, german()));
        return;
    }
    const room::Baseline heard = room::baseline_from(listened_);
    if (!s_.state.room->profile_baseline) {
        baseline_ = heard;
        listening_ = false;
        return;
    }
    // Against the profile's room: the bands of the frequencies this test will use that are too loud.
    room::NoiseWindow now;
    now.band_db = heard.band_db;
    now.broadband_db = heard.broadband_db;
    std::vector<bool> used(room::band_centres().size());
    for (std::uint8_t index = 1; index <= freq_index_count; ++index) {
        const std::uint16_t f = index_to_freq(index);
        if (f >= s_.state.f_min && f <= s_.state.f_max) used[room::band_of(f)] = true;
    }
    std::string bands;
    for (const std::size_t band : room::bands_over_limit(now, baseline_, s_.state.room->limit_db))
        if (band < used.size() && used[band])
            bands += (bands.empty() ? "" : ", ") + std::to_string(room::band_centres()[band]) + " Hz";
    if (!bands.empty() &&
        s_.dialogs.question(text_in(Text::room_too_loud, german(),
                                    {profile_name_, std::to_string(int(s_.state.room->limit_db)), bands}),
                            text_in(Text::room_wait, german()), text_in(Text::room_test_anyway, german()))) {
        listened_.clear(); // listen again
        listened_ticks_ = 0;
        return;
    }
    listening_ = false;
}

std::string RoomGuard::waiting_text() const {
    return text_in(Text::room_listening, german());
}

bool RoomGuard::ascent_noisy() const {
    return ascent_over_db_ && s_.state.room->noisy({true, *ascent_over_db_});
}

bool RoomGuard::repeat_ascent() {
    if (!watching_ || listening_ || !ascent_noisy() || repeats_ >= repeats_max) return false;
    ++repeats_;
    ascent_over_db_.reset();
    return true;
}

void RoomGuard::ascent_over() {
    ascent_over_db_.reset();
}

void RoomGuard::threshold_recorded(std::int8_t ear, std::uint16_t freq_hz) {
    if (!watching_ || !ascent_over_db_) return;
    RoomAtThreshold& at = s_.state.room->ear(ear == ear_left)[freq_to_index(freq_hz)];
    at.measured = true;
    at.over_db = *ascent_over_db_;
    ascent_over_db_.reset();
}

void RoomGuard::test_ends(bool complete) {
    if (!watching_) return;
    // A reference run keeps the room it was taken in: the median window of every band over the run.
    if (complete && !run_.empty()) s_.state.room->run_levels = room::baseline_from(run_, 50.0);
    s_.watch->stop();
    watching_ = listening_ = false;
}

} // namespace kelvor::hearing
