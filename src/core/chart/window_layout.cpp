#include "core/chart/window_layout.h"

#include <algorithm>

#include "core/common/text_format.h"

namespace kelvor::chart {

namespace {

int round_px(double value) {
    return static_cast<int>(round_half_even(value));
}

} // namespace

void WindowLayout::set_Ohr_WindowData(int cw, int ch, bool from_resize, hearing::ChartControl& charts) {
    // Until start-up has finished the layout runs at the largest scale: the first drawing then creates
    // both chart surfaces big enough for every later chart size.
    if (!Form_ready)
        Win_scale = chart_scale_max;
    else
        Win_scale = cw > layout_min_client_width ? double(cw) / layout_min_client_width : 1.0;
    Win_half = static_cast<std::uint16_t>(std::max(cw, layout_min_client_width) / 2);
    Win_gap = static_cast<std::uint8_t>(round_px(base_gap * Win_scale));
    const double chart_scale = Win_scale > chart_scale_max || !from_resize ? chart_scale_max : Win_scale;

    const int band = round_px(base_band_height * chart_scale);
    const int top = band + 2 * Win_gap;
    const int w = round_px(chart_base_width * chart_scale);
    const int h = round_px(chart_base_height * chart_scale);
    charts.set_chart_size(chart_scale, w, h);

    const int li_left = Win_half - chart_half_distance - w;
    const int re_left = Win_half + chart_half_distance;
    const int track_width = round_px(base_track_width * chart_scale);
    PPos.Ohr_li_img = {li_left, top, w, h};
    PPos.Ohr_re_img = {re_left, top, w, h};
    PPos.F_Leiste_li = {li_left + w / 5, Win_gap, track_width, band};
    PPos.F_Leiste_re = {re_left + w / 5, Win_gap, track_width, band};
    PPos.Panel_TM = {Win_half - panel_tm_width / 2, std::max(top + h - panel_tm_height, int(Win_gap)),
                     panel_tm_width, panel_tm_height};
    PPos.Panel_bot = {cw > layout_min_client_width ? (cw - layout_min_client_width) / 2 + 1
                                                   : panel_bot_base_left,
                      ch > layout_min_client_height ? (ch - layout_min_client_height) / 2 + panel_bot_base_top
                                                    : panel_bot_base_top,
                      panel_bot_width, panel_bot_height};
}

void WindowLayout::assignPPos(hearing::MessungControls& c) const {
    c.Ohr_li_img.bounds = PPos.Ohr_li_img;
    c.Ohr_re_img.bounds = PPos.Ohr_re_img;
    c.F_Leiste_li.bounds = PPos.F_Leiste_li;
    c.F_Leiste_re.bounds = PPos.F_Leiste_re;
    c.Panel_TM.bounds = PPos.Panel_TM;
    c.Panel_bot.bounds = PPos.Panel_bot;
    // The information memos lie over the right chart.
    c.Memo1_D.bounds = c.Ohr_re_img.bounds;
    c.Memo1_E.bounds = c.Ohr_re_img.bounds;
}

void WindowLayout::FormResize(int cw, int ch, hearing::MessungControls& c, hearing::ChartControl& charts,
                              const hearing::TestState& test) {
    if (!Form_ready) return;
    set_Ohr_WindowData(cw, ch, true, charts);
    assignPPos(c);
    c.Memo1_D.bounds = c.Ohr_re_img.bounds;
    c.Memo1_E.bounds = c.Ohr_re_img.bounds;
    charts.init_Graph_var();
    charts.clear_chart(hearing::ear_left, c.F_Leiste_li.maximum);
    charts.clear_chart(hearing::ear_right, c.F_Leiste_re.maximum);
    charts.draw_line(hearing::ear_left, test.results_li, colours::blue);
    charts.draw_line(hearing::ear_right, test.results_re, colours::blue);

    // The tone panel's bottom lines up with the charts' bottom.
    const Bounds& chart = c.Ohr_li_img.bounds;
    c.Panel_TM.bounds.top = std::max(chart.top + chart.height - c.Panel_TM.bounds.height, panel_tm_min_top);
    // The command panel is centred in the space below the charts, overlapping them when that space is
    // smaller than the panel.
    if (ch > layout_min_client_height) {
        const int b = chart.top + chart.height;
        c.Panel_bot.bounds.top = b + (ch - b - c.Panel_bot.bounds.height) / 2;
    }
    hearing::place_port_log(c, test.cur_ear);
}

} // namespace kelvor::chart
