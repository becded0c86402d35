#include "ui/chart_image.h"

#include <QPainter>
#include <gtest/gtest.h>

#include "core/chart/charts.h"
#include "support/chart_rig_base.h"

namespace kelvor::ui {
namespace {

using hearing::ear_left;
using hearing::ear_right;

// Both charts of the main window, their surfaces created at the start-up size; smaller charts are then
// drawn into the surfaces' top-left corner.
struct ChartRig : testing::ChartRigBase<ChartImage> {
    explicit ChartRig(bool extended = false, int w = 624, int h = 416, double scale = 2.6)
        : ChartRigBase(extended, 2.6, 624, 416) {
        li.resize(624, 416);
        re.resize(624, 416);
        charts.clear_Chart_li();
        charts.clear_Chart_re();
        li.resize(w, h);
        re.resize(w, h);
        size_charts(scale, w, h);
        charts.clear_Chart_li();
        charts.clear_Chart_re();
    }
};

Rgb pixel(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return Rgb{static_cast<std::uint8_t>(qRed(p)), static_cast<std::uint8_t>(qGreen(p)),
               static_cast<std::uint8_t>(qBlue(p))};
}

bool near_colour(const QImage& image, int x, int y, Rgb colour, int reach = 1) {
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            if (pixel(image, x + dx, y + dy) == colour) return true;
    return false;
}

TEST(ChartImage, FrameColoursAfterTheMarginFill) {
    for (auto [w, h, scale] : {std::tuple{624, 416, 2.6}, {240, 160, 1.0}, {480, 320, 2.0}}) {
        SCOPED_TRACE(::testing::Message() << w << "x" << h);
        ChartRig rig(false, w, h, scale);
        const QImage& img = rig.li.image();
        const chart::TOhrGraph& g = rig.charts.Ohr_li_graph;
        const int px_min = int(g.Px_min), px_max = int(g.Px_max), py_min = int(g.Py_min),
                  py_max = int(g.Py_max);
        ASSERT_EQ(img.size(), QSize(624, 416)); // created at the start-up size, never resized

        // Inside the plot only the background, the grid and the green normal curve.
        int yellow = 0, inside = 0;
        for (int y = py_min + 1; y < py_max; ++y)
            for (int x = px_min + 1; x < px_max; ++x) {
                const Rgb c = pixel(img, x, y);
                ++inside;
                yellow += c == colours::plot_yellow;
                ASSERT_TRUE(c == colours::plot_yellow || c == colours::black || c == colours::normal_green)
                    << x << "," << y;
            }
        EXPECT_GT(yellow, inside * 8 / 10);

        // The ring between border and plot holds only grey margin, black ticks and label glyphs, whose
        // smoothed edges are darker greys (the ends of the green curve may reach a pixel beyond the plot
        // edge).
        int grey = 0, ring = 0;
        for (int y = 2; y < h - 2; ++y)
            for (int x = 2; x < w - 2; ++x) {
                if (x >= px_min - 2 && x <= px_max + 2 && y >= py_min - 2 && y <= py_max + 2) continue;
                const Rgb c = pixel(img, x, y);
                ++ring;
                grey += c == colours::margin_grey;
                ASSERT_TRUE(c.r == c.g && c.g == c.b && c.r <= colours::margin_grey.r) << x << "," << y;
            }
        EXPECT_GT(grey, ring * 7 / 10);
        EXPECT_EQ(pixel(img, 5, 100), colours::margin_grey);

        // Border two pixels wide on all four sides.
        for (int x = 0; x < w; x += 7)
            for (int y : {0, 1, h - 2, h - 1})
                ASSERT_EQ(pixel(img, x, y), colours::black) << x << "," << y;
        for (int y = 0; y < h; y += 7)
            for (int x : {0, 1, w - 2, w - 1})
                ASSERT_EQ(pixel(img, x, y), colours::black) << x << "," << y;

        // Grid: the 1 kHz line below the curve, the 30 dB line right of 500 Hz, the plot's edges.
        for (int y = g.y_pos(10); y <= py_max; ++y)
            ASSERT_EQ(pixel(img, g.x_pos(10), y), colours::black) << y;
        for (int x = g.x_pos(6); x <= px_max; ++x)
            ASSERT_EQ(pixel(img, x, g.y_pos(30)), colours::black) << x;
        for (int y = py_min; y <= py_max; y += 3)
            for (int x : {px_min, px_max}) {
                const Rgb c = pixel(img, x, y);
                EXPECT_TRUE(c == colours::black || c == colours::normal_green) << x << "," << y;
            }

        // The normal curve: flat at 0 dB from 875 to 1500 Hz, over the grid line, two pixels thick;
        // its sloping first segment from 125 Hz (35 dB) to 175 Hz (28 dB).
        for (int x = g.x_pos(9) + 2; x <= g.x_pos(12) - 2; ++x) {
            ASSERT_EQ(pixel(img, x, g.y_pos(0)), colours::normal_green) << x;
            ASSERT_TRUE(pixel(img, x, g.y_pos(0) - 1) == colours::normal_green ||
                        pixel(img, x, g.y_pos(0) + 1) == colours::normal_green)
                << x;
        }
        EXPECT_TRUE(near_colour(img, (g.x_pos(2) + g.x_pos(3)) / 2, (g.y_pos(35) + g.y_pos(28)) / 2,
                                colours::normal_green));
        EXPECT_TRUE(near_colour(img, g.x_pos(17), g.y_pos(-9), colours::normal_green));
        EXPECT_FALSE(near_colour(img, g.x_pos(17), g.y_pos(5), colours::normal_green, 3));

        // A smaller chart leaves the rest of the surface as the larger one painted it.
        if (w < 624) {
            EXPECT_EQ(pixel(img, 622, 414), colours::black);
            EXPECT_EQ(pixel(img, 620, 300), colours::margin_grey);
        }
    }
}

TEST(ChartImage, ErasedMarkLeavesGridAndNoBlue) {
    ChartRig rig(false, 240, 160, 1.0);
    const QImage& img = rig.re.image();
    const chart::TOhrGraph& g = rig.charts.Ohr_re_graph;
    for (std::uint8_t index : {10, 13}) { // on a vertical grid line, and between two
        const int x = g.x_pos(index), y = g.y_pos(40);
        rig.charts.draw_mark(ear_right, index);
        int blue = 0;
        for (int dy = -4; dy <= 4; ++dy)
            for (int dx = -4; dx <= 4; ++dx)
                blue += pixel(img, x + dx, y + dy) == colours::blue;
        EXPECT_GE(blue, 12) << int(index);
        rig.charts.draw_mark_centre(ear_right, index);
        EXPECT_TRUE(near_colour(img, x, y, colours::white));
        rig.charts.erase_mark(ear_right, index);
        for (int dy = -5; dy <= 5; ++dy)
            for (int dx = -5; dx <= 5; ++dx) {
                const Rgb c = pixel(img, x + dx, y + dy);
                EXPECT_FALSE(c == colours::blue || c == colours::white)
                    << int(index) << ": " << dx << "," << dy;
            }
        for (int dx = -3; dx <= 3; ++dx)
            EXPECT_EQ(pixel(img, x + dx, y), colours::black) << dx;
        for (int dy = -3; dy <= 3; ++dy)
            EXPECT_EQ(pixel(img, x, y + dy), colours::black) << dy;
    }
}

TEST(ChartImage, CurveToAFarLevelRunsOffTheSurface) {
    ChartRig rig(false, 240, 160, 1.0);
    hearing::set_result_entry(rig.test.results_li, 10, 1000, 20);
    hearing::set_result_entry(rig.test.results_li, 12, 1500, 65535);
    rig.charts.Messwerte_zeichnen();
    const QImage& img = rig.li.image();
    const chart::TOhrGraph& g = rig.charts.Ohr_li_graph;
    // Almost vertical: from (1000 Hz, 20 dB) down past the bottom of the bitmap.
    for (int y : {g.y_pos(20) + 2, 200, 300, 415})
        EXPECT_TRUE(near_colour(img, g.x_pos(10), y, colours::blue)) << y;
}

TEST(ChartImage, ControlShowsItsSurfaceUnscaledFromTheTopLeft) {
    ChartRig rig(false, 240, 160, 1.0);
    const QImage shown = rig.li.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(240, 160));
    for (auto [x, y] : {std::pair{5, 100}, {0, 0}, {100, 100}, {141, 56}, {239, 159}})
        EXPECT_EQ(pixel(shown, x, y), pixel(rig.li.image(), x, y)) << x << "," << y;
}

TEST(ChartImage, RendersBothRangesForInspection) {
    QImage sheet(1260, 850, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (bool extended : {false, true}) {
        ChartRig rig(extended);
        const int y = extended ? 426 : 0;
        // Left ear: a measured curve in automatic mode.
        for (auto [index, level] :
             {std::pair{22, 25}, {20, 30}, {18, 20}, {14, 15}, {10, 10}, {6, 15}, {2, 20}})
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
        // The smallest layout, as the control shows it.
        ChartRig small(false, 240, 160, 1.0);
        ASSERT_TRUE(small.li.grab().save(QString::fromLocal8Bit(dir) + "/kelvor-chart-small.png"));
    }
}

} // namespace
} // namespace kelvor::ui

namespace kelvor::ui {
namespace {

TEST(ChartImage, AHighResolutionScreenGetsTheSameDrawingAtItsPixelRatio) {
    // The chart (printed, captured, tested) is the same at either scale; the display copy has the scale's
    // pixels and the same colours where the drawing put them.
    QImageCanvas one([] { return QSize(200, 100); }), two([] { return QSize(200, 100); });
    two.set_display_scale(2);
    for (QImageCanvas* c : {&one, &two}) {
        c->set_pen_colour(colours::black);
        c->set_fill_colour(Rgb{255, 255, 0});
        c->rectangle(20, 10, 180, 90);
        c->set_fill_colour(Rgb{192, 192, 192});
        c->flood_fill(5, 5, colours::black); // around the box
        c->set_pen_colour(Rgb{0, 128, 0});
        c->set_pen_width(2);
        c->line(30, 80, 170, 20);
        c->set_font_size(8);
        c->text(40, 40, "1K");
    }
    EXPECT_EQ(one.image(), two.image());
    EXPECT_EQ(&one.display_image(), &one.image());
    const QImage& hi = two.display_image();
    EXPECT_EQ(hi.size(), QSize(400, 200));
    EXPECT_EQ(hi.devicePixelRatio(), 2.0);
    const QPoint samples[] = {{5, 5}, {195, 95}, {100, 12}, {160, 80}, {30, 80}, {100, 50}};
    for (const QPoint& p : samples)
        EXPECT_EQ(pixel(hi, p.x() * 2 + 1, p.y() * 2 + 1), pixel(one.image(), p.x(), p.y())) << p.x() << "," << p.y();
}

} // namespace
} // namespace kelvor::ui
