#pragma once
// The two audiogram charts of the main window and the state they share: full redraws, the measured
// curves, and the calls the test procedure makes into the charts.
#include <cstdint>
#include <optional>
#include <string>

#include "core/chart/canvas.h"
#include "core/chart/curves.h"
#include "core/chart/ohr_graph.h"
#include "core/hearing/messung_controls.h"
#include "core/hearing/test_seams.h"
#include "core/hearing/test_state.h"
#include "core/settings/language_tables.h"

namespace kelvor::chart {

// What the charts read from the main window's controls.
class FrameControls {
  public:
    virtual ~FrameControls() = default;
    // Maximum of the ear's frequency track bar: the index of f_max.
    virtual int track_max(std::int8_t ear) const = 0;
    virtual bool f_extended_checked() const = 0;
};

// The same read from the main window's control state.
class MessungFrameControls : public FrameControls {
  public:
    explicit MessungFrameControls(const hearing::MessungControls& controls) : c_(controls) {}
    int track_max(std::int8_t ear) const override {
        return ear == hearing::ear_left ? c_.F_Leiste_li.maximum : c_.F_Leiste_re.maximum;
    }
    bool f_extended_checked() const override { return c_.f_extended.checked; }

  private:
    const hearing::MessungControls& c_;
};

// A kept test drawn beside the current one: its curves in a lighter pen under the current ones, and a
// legend in the chart's lower left corner that says which pen is which test.
struct BesideCurves {
    hearing::TEarResult left;
    hearing::TEarResult right;
    std::string current_label; // "this test"
    std::string kept_label;    // when it was taken: "2026-12-11 12:33"
};

class Charts : public hearing::ChartControl {
    ChartState state_; // first: the graphs keep a pointer to it

  public:
    Charts(ImageControl& li_img, ImageControl& re_img, const hearing::TestState& test);

    // The controls the frame reads. The window logic is created with the charts, so they are given
    // afterwards; until then the track bars are taken to end at f_max and the range box as unchecked.
    void use_controls(const FrameControls* controls) { controls_ = controls; }

    // Set by the layout and by printing; the frequency axis also by range switching.
    ChartState& state() { return state_; }
    const ChartState& state() const { return state_; }

    // Chart title and ear words come from this table; none is given until the tables are filled, and
    // the charts then carry no words.
    void use_texts(const settings::TextTable* table) override { texts_ = table; }

    void init_Graph_var() override;
    void set_chart_size(double chart_scale, int width, int height) override;
    void clear_Chart_li();
    void clear_Chart_re();
    void redraw_Chart_li();
    void redraw_Chart_re();
    void Messwerte_zeichnen();

    void clear_chart(std::int8_t ear, int index_max) override;
    void draw_line(std::int8_t ear, const hearing::TEarResult& record, Rgb colour) override;
    void draw_mark(std::int8_t ear, std::uint8_t index) override;
    void draw_mark_centre(std::int8_t ear, std::uint8_t index) override;
    void erase_mark(std::int8_t ear, std::uint8_t index) override;
    void set_freq_axis(double ln_f_min, double ln_f_max) override;

    // From the next redraw on, every cleared chart also shows `beside`; nothing: the charts draw as they
    // always did, pixel for pixel. The caller redraws.
    void show_beside(std::optional<BesideCurves> beside) { beside_ = std::move(beside); }
    const std::optional<BesideCurves>& beside() const { return beside_; }

    TOhrGraph Ohr_li_graph;
    TOhrGraph Ohr_re_graph;

  private:
    TOhrGraph& graph(std::int8_t ear) { return ear == hearing::ear_left ? Ohr_li_graph : Ohr_re_graph; }
    const std::string& text(int slot) const;
    // The normal-value curve of the ear's chart: the built-in values, or the chosen profile's references.
    hearing::TEarResult normal_curve(std::int8_t ear) const;
    int track_max(std::int8_t ear) const;
    void draw_beside(std::int8_t ear);

    ImageControl& li_img_;
    ImageControl& re_img_;
    const hearing::TestState& test_;
    const FrameControls* controls_ = nullptr;
    const settings::TextTable* texts_ = nullptr;
    std::optional<BesideCurves> beside_;
};

} // namespace kelvor::chart
