#pragma once
// The main window's layout: the two charts side by side, growing with the window's width, the tone panel
// between them, each chart's frequency track bar above it and the command panel below. The main controls
// are placed by code whenever the client area changes; the panels' contents keep their places.
#include <cstdint>

#include "core/common/control_state.h"
#include "core/hearing/messung_controls.h"
#include "core/hearing/test_seams.h"
#include "core/hearing/test_state.h"

namespace kelvor::chart {

constexpr int layout_min_client_width = 624;
constexpr int layout_min_client_height = 414;
constexpr int chart_base_width = 240;
constexpr int chart_base_height = 160;
constexpr double chart_scale_max = 2.6;
constexpr int base_band_height = 34; // track bars at scale 1
constexpr int base_gap = 10;
constexpr int chart_half_distance = 44; // each chart keeps this distance from the centre line
constexpr int base_track_width = 185;
constexpr int panel_tm_width = 66;
constexpr int panel_tm_height = 220;
constexpr int panel_bot_width = 622;
constexpr int panel_bot_height = 176;
constexpr int panel_bot_base_top = 221;
constexpr int panel_bot_base_left = 1;
constexpr int panel_tm_min_top = 3;

// Bounds of every control the layout places, in the order the layout computes them.
struct PPosRecord {
    Bounds Ohr_li_img;
    Bounds Ohr_re_img;
    Bounds F_Leiste_li;
    Bounds F_Leiste_re;
    Bounds Panel_TM;
    Bounds Panel_bot;
};

class WindowLayout {
  public:
    double Win_scale = 1.0;
    std::uint16_t Win_half = 0;
    std::uint8_t Win_gap = 0;
    PPosRecord PPos;
    bool Form_ready = false; // set once, at the end of start-up; until then resizes are ignored

    // Computes the layout for a client area of cw x ch and gives the charts their scale and size. Changes
    // no control.
    void set_Ohr_WindowData(int cw, int ch, bool from_resize, hearing::ChartControl& charts);
    // Gives each placed control its bounds, and the information memos those of the right chart.
    void assignPPos(hearing::MessungControls& c) const;
    // The resize handler: lays out anew, redraws both charts at their new size with both measured curves,
    // lines the tone panel up with the charts' bottom, centres the command panel below them and lays the
    // port log over the chart of the ear not under test. Does nothing before start-up has finished.
    void FormResize(int cw, int ch, hearing::MessungControls& c, hearing::ChartControl& charts,
                    const hearing::TestState& test);
};

} // namespace kelvor::chart
