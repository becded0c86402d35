#pragma once
// Both charts of the main window over the given image controls, with the test state, the controls the
// frame reads and the language tables, ready for drawing in either frequency range.
#include "core/chart/charts.h"

namespace kelvor::testing {

// Track bars and range box of the main window, as plain values.
struct FixedFrameControls : chart::FrameControls {
    int max_li = 22;
    int max_re = 22;
    bool extended = false;
    int track_max(std::int8_t ear) const override { return ear == hearing::ear_left ? max_li : max_re; }
    bool f_extended_checked() const override { return extended; }
};

template <class Image> struct ChartRigBase {
    Image li;
    Image re;
    FixedFrameControls controls;
    hearing::TestState test;
    settings::Languages languages;
    chart::Charts charts{li, re, test};

    template <class... Args>
    ChartRigBase(bool extended, double scale, int w, int h, Args&&... image_args)
        : li(image_args...), re(image_args...) {
        charts.use_controls(&controls);
        chart::build_norm_values(test.norm_values);
        if (extended) {
            test.f_min = hearing::f_min_extended;
            test.f_max = hearing::f_max_extended;
            controls.max_li = controls.max_re = hearing::track_max_extended;
            controls.extended = true;
        }
        charts.use_texts(&languages.current());
        charts.init_Graph_var();
        size_charts(scale, w, h);
    }

    void size_charts(double scale, int w, int h) {
        charts.state().Chart_scale = scale;
        charts.state().Ohr_img = {static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h)};
    }
};

} // namespace kelvor::testing
