#pragma once
// What the test procedure asks of the other subsystems. Each is implemented by its own subsystem
// (tone output, chart, output settings dialog); tests use recording fakes.
#include <cstdint>

#include "core/common/colour.h"
#include "core/hearing/ear_result.h"

namespace kelvor::hearing {

// The tone output front.
class ToneControl {
public:
    virtual ~ToneControl() = default;
    virtual void set_level(std::int8_t level_db) = 0;
    virtual void set_frequency(std::uint16_t freq_hz) = 0;
    virtual void tone_pulse() = 0;
    virtual void play_wave() = 0;
    // True when the output method is the data stream.
    virtual bool data_stream_method() const = 0;
};

// The two audiogram charts. `ear` is ear_left or ear_right; marks sit at (index, 40 dB).
class ChartControl {
public:
    virtual ~ChartControl() = default;
    // Full redraw of one ear's chart (frame, scales, normal curve); `index_max` is the maximum of that
    // ear's frequency track bar, the right end of its axis.
    virtual void clear_chart(std::int8_t ear, int index_max) = 0;
    virtual void draw_line(std::int8_t ear, const TEarResult& record, Rgb colour) = 0;
    virtual void draw_mark(std::int8_t ear, std::uint8_t index) = 0;
    virtual void draw_mark_centre(std::int8_t ear, std::uint8_t index) = 0;
    virtual void erase_mark(std::int8_t ear, std::uint8_t index) = 0;
    // The chart's frequency-axis bounds, natural logarithms of the range ends.
    virtual void set_freq_axis(double ln_f_min, double ln_f_max) = 0;
};

// What the range switching reads from the output settings dialog's radio buttons.
class SettingsQuery {
public:
    virtual ~SettingsQuery() = default;
    virtual bool nt_family_selected() const = 0;
    virtual bool data_stream_selected() const = 0;
};

} // namespace kelvor::hearing
