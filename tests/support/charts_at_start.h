#pragma once
// Both charts laid out as the main window's start-up leaves them: first drawn at the largest layout (so
// both surfaces are 624 x 416), then laid out and redrawn at the window's real client size.
#include "core/chart/charts.h"
#include "core/chart/window_layout.h"

namespace kelvor::testing {

inline void lay_out_charts_at_start(chart::WindowLayout& layout, chart::Charts& charts,
                                    hearing::MessungControls& c, const hearing::TestState& state,
                                    int client_width, int client_height) {
    layout.set_Ohr_WindowData(client_width, client_height, false, charts);
    layout.assignPPos(c);
    charts.init_Graph_var();
    charts.clear_Chart_li();
    charts.clear_Chart_re();
    layout.Form_ready = true;
    layout.FormResize(client_width, client_height, c, charts, state);
}

} // namespace kelvor::testing
