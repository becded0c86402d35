#include "core/chart/charts.h"

namespace kelvor::chart {

namespace {

constexpr double level_top_db = -10;
constexpr double level_bottom_db = 50;
// Lighter than the current curve's blue, and still clear on the yellow plot.
constexpr Rgb kept_light_blue{120, 150, 255};

} // namespace

Charts::Charts(ImageControl& li_img, ImageControl& re_img, const hearing::TestState& test)
    : Ohr_li_graph(state_), Ohr_re_graph(state_), li_img_(li_img), re_img_(re_img), test_(test) {}

int Charts::track_max(std::int8_t ear) const {
    return controls_ != nullptr ? controls_->track_max(ear) : hearing::freq_to_index(test_.f_max);
}

const std::string& Charts::text(int slot) const {
    static const std::string none;
    return texts_ != nullptr ? texts_->at(static_cast<std::size_t>(slot)) : none;
}

void Charts::init_Graph_var() {
    state_.ln_f_min = hearing::ln_series(test_.f_min);
    state_.ln_f_max = hearing::ln_series(test_.f_max);
}

void Charts::set_chart_size(double chart_scale, int width, int height) {
    state_.Chart_scale = chart_scale;
    state_.Ohr_img = {static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)};
}

void Charts::clear_chart(std::int8_t ear, int index_max) {
    const bool left = ear == hearing::ear_left;
    TOhrGraph& g = graph(ear);
    g.init(left ? li_img_ : re_img_, text(left ? settings::slot_chart_left : settings::slot_chart_right), 0,
           index_max, level_top_db, level_bottom_db);
    FrameInputs inputs;
    inputs.f_max = test_.f_max;
    inputs.track_max_li = track_max(hearing::ear_left);
    inputs.f_extended_checked = controls_ != nullptr && controls_->f_extended_checked();
    inputs.title = text(settings::slot_chart_ear);
    g.draw_chart(inputs);
    chart::draw_line(g, normal_curve(ear), colours::normal_green, test_.f_min, test_.f_max);
    if (beside_) draw_beside(ear);
}

void Charts::draw_beside(std::int8_t ear) {
    TOhrGraph& g = graph(ear);
    chart::draw_line(g, ear == hearing::ear_left ? beside_->left : beside_->right, kept_light_blue,
                     test_.f_min, test_.f_max);
    // The legend sits in the margin below the plot, under the lowest level's label and left of the ear's
    // name, in a smaller type so that two rows fit the smallest chart: a stroke of each pen and what it
    // stands for. The surface's fill colour and font size are left as they were: the marks and texts
    // drawn later take them over.
    Canvas& c = g.canvas();
    const Rgb fill = c.fill_colour();
    const int font_size = c.font_size();
    const double scale = state_.Chart_scale;
    c.set_fill_colour(colours::margin_grey);
    c.set_font_size(to_px(5 * scale));
    const Px x = to_px(4 * scale);
    const Px stroke = to_px(12 * scale);
    const Px row = to_px(8 * scale);
    Px y = to_px(g.Py_max) + to_px(6 * scale);
    for (const auto& [colour, label] : {std::pair{colours::blue, &beside_->current_label},
                                        std::pair{kept_light_blue, &beside_->kept_label}}) {
        g.line_px(x, x + stroke, y + row / 2, y + row / 2, 2, colour);
        g.text_px(x + stroke + to_px(3 * scale), y, *label);
        y += row;
    }
    c.set_font_size(font_size);
    // The lower row's background may reach the frame on the smallest chart: the frame stays whole.
    g.draw_border();
    c.set_fill_colour(fill);
}

hearing::TEarResult Charts::normal_curve(std::int8_t ear) const {
    const hearing::NormalsInUse& normals = test_.normals;
    if (!normals.profile_chosen()) return test_.norm_values;
    // With a profile the curve joins the ear's references only: the built-in values at the positions
    // without one are on another scale, and a curve through both would zigzag between them.
    const hearing::EarNormals& in_use = ear == hearing::ear_left ? normals.left : normals.right;
    hearing::TEarResult curve = in_use.norm;
    for (std::size_t index = 0; index < curve.entries.size(); ++index)
        if (!in_use.calibrated[index]) curve.entries[index] = {};
    return curve;
}

void Charts::clear_Chart_li() {
    clear_chart(hearing::ear_left, track_max(hearing::ear_left));
}

void Charts::clear_Chart_re() {
    clear_chart(hearing::ear_right, track_max(hearing::ear_right));
}

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
