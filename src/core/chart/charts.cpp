#include "core/chart/charts.h"

namespace kelvor::chart {

namespace {

constexpr double level_top_db = -10;
constexpr double level_bottom_db = 50;

void erase_marks_of(hearing::ChartControl& charts, std::int8_t ear, const hearing::TEarResult& results,
                    std::uint16_t f_max) {
    for (int index = hearing::freq_to_index(f_max); index >= 1; --index)
        if (results.entries[static_cast<std::size_t>(index)].flag == 1)
            charts.erase_mark(ear, static_cast<std::uint8_t>(index));
}

} // namespace

void ear_change_refresh(hearing::ChartControl& charts, const hearing::TestState& test, std::int8_t selected_ear,
                        int index_max_li, int index_max_re) {
    using hearing::ear_left;
    using hearing::ear_right;
    if (selected_ear == ear_left) {
        charts.clear_chart(ear_right, index_max_re);
        erase_marks_of(charts, ear_right, test.results_re, test.f_max);
        charts.draw_line(ear_right, test.results_re, colours::blue);
        charts.clear_chart(ear_left, index_max_li);
        charts.draw_line(ear_left, test.results_li, colours::blue);
    } else {
        charts.clear_chart(ear_left, index_max_li);
        if (!test.auto_mode) erase_marks_of(charts, ear_left, test.results_li, test.f_max);
        charts.draw_line(ear_left, test.results_li, colours::blue);
        charts.clear_chart(ear_right, index_max_re);
        charts.draw_line(ear_right, test.results_re, colours::blue);
    }
}

Charts::Charts(ImageControl& li_img, ImageControl& re_img, const hearing::TestState& test,
               const FrameControls& controls)
    : Ohr_li_graph(state_), Ohr_re_graph(state_), li_img_(li_img), re_img_(re_img), test_(test),
      controls_(controls) {}

const std::string& Charts::text(int slot) const {
    static const std::string none;
    return texts_ != nullptr ? texts_->at(static_cast<std::size_t>(slot)) : none;
}

void Charts::init_Graph_var() {
    state_.ln_f_min = hearing::ln_series(test_.f_min);
    state_.ln_f_max = hearing::ln_series(test_.f_max);
}

void Charts::clear_chart(std::int8_t ear, int index_max) {
    const bool left = ear == hearing::ear_left;
    TOhrGraph& g = graph(ear);
    g.init(left ? li_img_ : re_img_, text(left ? settings::slot_chart_left : settings::slot_chart_right), 0,
           index_max, level_top_db, level_bottom_db);
    FrameInputs inputs;
    inputs.f_max = test_.f_max;
    inputs.track_max_li = controls_.track_max(hearing::ear_left);
    inputs.f_extended_checked = controls_.f_extended_checked();
    inputs.title = text(settings::slot_chart_ear);
    g.draw_chart(inputs);
    chart::draw_line(g, test_.norm_values, colours::normal_green, test_.f_min, test_.f_max);
}

void Charts::clear_Chart_li() { clear_chart(hearing::ear_left, controls_.track_max(hearing::ear_left)); }

void Charts::clear_Chart_re() { clear_chart(hearing::ear_right, controls_.track_max(hearing::ear_right)); }

void Charts::redraw_Chart_li() {
    clear_Chart_li();
    draw_line(hearing::ear_left, test_.results_li, colours::blue);
}

void Charts::redraw_Chart_re() {
    clear_Chart_re();
    draw_line(hearing::ear_right, test_.results_re, colours::blue);
}

void Charts::Messwerte_zeichnen() {
    draw_line(hearing::ear_left, test_.results_li, colours::blue);
    draw_line(hearing::ear_right, test_.results_re, colours::blue);
}

void Charts::ear_change_refresh(std::int8_t selected_ear) {
    chart::ear_change_refresh(*this, test_, selected_ear, controls_.track_max(hearing::ear_left),
                              controls_.track_max(hearing::ear_right));
}

void Charts::draw_line(std::int8_t ear, const hearing::TEarResult& record, Rgb colour) {
    TOhrGraph& g = graph(ear);
    // A chart that was never initialised has no surface yet.
    if (g.img != nullptr) chart::draw_line(g, record, colour, test_.f_min, test_.f_max);
}

void Charts::draw_mark(std::int8_t ear, std::uint8_t index) {
    if (graph(ear).img != nullptr) chart::draw_mark(graph(ear), index);
}

void Charts::draw_mark_centre(std::int8_t ear, std::uint8_t index) {
    if (graph(ear).img != nullptr) chart::draw_mark_centre(graph(ear), index);
}

void Charts::erase_mark(std::int8_t ear, std::uint8_t index) {
    if (graph(ear).img != nullptr) chart::erase_mark(graph(ear), index);
}

void Charts::set_freq_axis(double ln_f_min, double ln_f_max) {
    state_.ln_f_min = ln_f_min;
    state_.ln_f_max = ln_f_max;
}

} // namespace kelvor::chart
