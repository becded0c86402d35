#include "ui/chart_image.h"

#include <QPainter>
#include <gtest/gtest.h>

#include "core/chart/charts.h"
#include "support/recording_canvas.h"

namespace kelvor::ui {
namespace {

using hearing::ear_left;
using hearing::ear_right;

// Both charts of the main window at their start-up size, drawn by the real chart module.
struct ChartRig {
    ChartImage li;
    ChartImage re;
    test::FixedFrameControls controls;
    hearing::TestState test;
    settings::Languages languages;
    chart::Charts charts{li, re, test, controls};

    explicit ChartRig(bool extended = false, int w = 624, int h = 416, double scale = 2.6) {
        li.resize(624, 416);
        re.resize(624, 416);
        chart::build_norm_values(test.norm_values);
        if (extended) {
            test.f_min = hearing::f_min_extended;
            test.f_max = hearing::f_max_extended;
            controls.max_li = controls.max_re = hearing::track_max_extended;
            controls.extended = true;
        }
        charts.use_texts(&languages.current());
        charts.init_Graph_var();
        // The surfaces now exist at 624 x 416; smaller charts are drawn into their top-left corner.
        charts.clear_Chart_li();
        charts.clear_Chart_re();
        li.resize(w, h);
        re.resize(w, h);
        charts.state().Chart_scale = scale;
        charts.state().Ohr_img = {static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h)};
        charts.clear_Chart_li();
        charts.clear_Chart_re();
    }
};

TEST(ChartImage, RendersBothRangesForInspection) {
    QImage sheet(1260, 850, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (bool extended : {false, true}) {
        ChartRig rig(extended);
        const int y = extended ? 426 : 0;
        // Left ear: a measured curve in automatic mode.
        for (auto [index, level] : {std::pair{22, 25}, {20, 30}, {18, 20}, {14, 15}, {10, 10}, {6, 15}, {2, 20}})
            hearing::set_result_entry(rig.test.results_li, index, hearing::index_to_freq(index), level);
        if (extended) {
            hearing::set_result_entry(rig.test.results_li, 28, 16000, 45);
            hearing::set_result_entry(rig.test.results_li, 1, 75, 35);
        }
        rig.charts.Messwerte_zeichnen();
        // Right ear: manual mode, marks at the recorded frequencies, the last one confirmed.
        for (std::uint8_t index : {22, 20, 18, 16}) {
            hearing::set_result_entry(rig.test.results_re, index, hearing::index_to_freq(index), 20);
            rig.charts.draw_mark(ear_right, index);
        }
        rig.charts.draw_mark_centre(ear_right, 16);
        painter.drawImage(QPoint(0, y), rig.li.image());
        painter.drawImage(QPoint(636, y), rig.re.image());
    }
    painter.end();
    const QByteArray dir = qgetenv("KELVOR_RENDER_DIR");
    if (!dir.isEmpty()) {
        ASSERT_TRUE(sheet.save(QString::fromLocal8Bit(dir) + "/kelvor-charts.png"));
    }
}

} // namespace
} // namespace kelvor::ui
