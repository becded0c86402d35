#include "ui/pictures.h"

#include <QImage>
#include <gtest/gtest.h>

namespace kelvor::ui {
namespace {

// Every picture the windows use is compiled in and draws something at the size it is shown.
TEST(Pictures, EachDrawsAtItsSize) {
    for (const char* name :
         {picture_headphones, picture_ear_left, picture_ear_right, picture_arrow_left, picture_arrow_right,
          picture_arrow_up, picture_arrow_down, picture_program_icon}) {
        for (QSize size : {QSize(28, 28), QSize(34, 34)}) {
            const QImage image = render_picture(name, size, 2.0).toImage();
            ASSERT_EQ(image.size(), size * 2) << name;
            int opaque = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    opaque += qAlpha(image.pixel(x, y)) == 255;
            EXPECT_GT(opaque, image.width() * image.height() / 10) << name;
            EXPECT_LT(opaque, image.width() * image.height())
                << name << ": the picture has a transparent edge";
        }
    }
    EXPECT_TRUE(render_picture(":/pictures/none.svg", QSize(16, 16)).isNull());
}

TEST(Pictures, ArrowsPointTheirWay) {
    // The tip is where the arrow is narrowest: count opaque pixels along the edges of the picture.
    auto edge_weight = [](const char* name, bool columns, bool first) {
        const QImage image = render_picture(name, QSize(32, 32)).toImage();
        int weight = 0;
        for (int i = 0; i < 32; ++i)
            for (int j = 0; j < 8; ++j) {
                const int k = first ? j : 31 - j;
                weight += qAlpha(columns ? image.pixel(k, i) : image.pixel(i, k)) > 128;
            }
        return weight;
    };
    EXPECT_LT(edge_weight(picture_arrow_left, true, true), edge_weight(picture_arrow_left, true, false));
    EXPECT_GT(edge_weight(picture_arrow_right, true, true), edge_weight(picture_arrow_right, true, false));
    EXPECT_LT(edge_weight(picture_arrow_up, false, true), edge_weight(picture_arrow_up, false, false));
    EXPECT_GT(edge_weight(picture_arrow_down, false, true), edge_weight(picture_arrow_down, false, false));
}

} // namespace
} // namespace kelvor::ui
