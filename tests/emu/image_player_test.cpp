// The data stream's images as the stream mixes them: exact samples when hard, a raised cosine over
// 20 ms at both ends when soft, a soft image cut off fading out from the cut, and the image itself never
// changed.
#include "emu/image_player.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace kelvor::emu {
namespace {

constexpr std::size_t fade = 882; // 20 ms at 44.1 kHz

// The raised cosine worked out on its own here: 0 at the edge, 1 from 20 ms in.
double rise(std::size_t k) {
    return k >= fade ? 1.0 : 0.5 * (1.0 - std::cos(std::numbers::pi * double(k) / double(fade)));
}

std::int32_t faded(std::int16_t sample, double gain) {
    return static_cast<std::int32_t>(std::lround(sample * gain));
}

SampleImage sine_image(std::size_t length, double amplitude, double freq_hz = 1000) {
    auto image = std::make_shared<std::vector<std::int16_t>>(length);
    for (std::size_t i = 0; i < length; ++i)
        (*image)[i] = std::int16_t(
            std::trunc(amplitude * std::sin(2 * std::numbers::pi * freq_hz * double(i) / 44100)));
    return image;
}

// Renders `frames` in uneven blocks, as a sound server asks for them.
std::vector<std::int32_t> render(ImagePlayer& player, std::size_t frames) {
    std::vector<std::int32_t> mix(frames, 0);
    const std::size_t blocks[] = {441, 117, 1024, 7};
    for (std::size_t at = 0, b = 0; at < frames; ++b) {
        const std::size_t n = std::min(blocks[b % 4], frames - at);
        player.render_add(mix.data() + at, n);
        at += n;
    }
    return mix;
}

TEST(ImagePlayer, SoftImagesFadeAtBothEndsAndHardOnesPlayTheirSamples) {
    // 300 ms (the program's image), and images too short for two whole fades.
    for (const std::size_t length : {std::size_t(13230), std::size_t(1000), std::size_t(5)}) {
        for (const bool soft : {false, true}) {
            SCOPED_TRACE(std::to_string(length) + (soft ? " soft" : " hard"));
            const SampleImage image = sine_image(length, 31622);
            const std::vector<std::int16_t> before = *image;
            ImagePlayer player;
            player.set_soft(soft);
            player.play(image);
            const auto mix = render(player, length + 500);
            for (std::size_t i = 0; i < length; ++i) {
                const double gain = soft ? std::min(rise(i), rise(length - 1 - i)) : 1.0;
                ASSERT_EQ(mix[i], faded((*image)[i], gain)) << "sample " << i;
            }
            for (std::size_t i = length; i < mix.size(); ++i)
                ASSERT_EQ(mix[i], 0) << "sample " << i;
            EXPECT_FALSE(player.playing());
            EXPECT_EQ(*image, before);
        }
    }
}

TEST(ImagePlayer, TheFadeIsChosenWhenAnImageStarts) {
    const SampleImage image = sine_image(4000, 20000);
    ImagePlayer player;
    player.set_soft(true);
    player.play(image);
    auto mix = render(player, 2000);
    player.set_soft(false); // the image playing keeps its fades
    std::vector<std::int32_t> rest(2000, 0);
    player.render_add(rest.data(), rest.size());
    mix.insert(mix.end(), rest.begin(), rest.end());
    EXPECT_EQ(mix[3999], 0);
    EXPECT_EQ(mix[3990], faded((*image)[3990], rise(9)));
    player.play(image); // this one starts hard
    std::vector<std::int32_t> hard(10, 0);
    player.render_add(hard.data(), hard.size());
    EXPECT_EQ(hard[5], (*image)[5]);
}

TEST(ImagePlayer, ASoftImageCutOffFadesOutFromTheCutWhileTheNextOneFadesIn) {
    for (const bool by_next_image : {false, true}) {
        SCOPED_TRACE(by_next_image ? "cut by the next image" : "stopped");
        const SampleImage first = sine_image(13230, 30000);
        const SampleImage next = sine_image(13230, 30000, 2000);
        ImagePlayer player;
        player.set_soft(true);
        player.play(first);
        const std::size_t cut = 5000;
        auto mix = render(player, cut);
        if (by_next_image)
            player.play(next);
        else
            player.stop();
        const auto after = render(player, 3000);
        mix.insert(mix.end(), after.begin(), after.end());
        for (std::size_t i = cut; i < cut + 3000; ++i) {
            const std::size_t k = i - cut;
            std::int32_t expected = k < fade ? faded((*first)[i], rise(fade - 1 - k)) : 0;
            if (by_next_image) expected += faded((*next)[k], rise(k));
            ASSERT_EQ(mix[i], expected) << "sample " << i;
        }
    }
}

TEST(ImagePlayer, ManyCutsInARowKeepEveryFadeBounded) {
    // More cuts within 20 ms than there are fading slots: nothing grows, and each sample stays within
    // the sum of what can sound at once.
    const SampleImage image = sine_image(13230, 8000);
    ImagePlayer player;
    player.set_soft(true);
    std::vector<std::int32_t> mix;
    for (int i = 0; i < 12; ++i) {
        player.play(image);
        const auto part = render(player, 50);
        mix.insert(mix.end(), part.begin(), part.end());
    }
    player.stop();
    const auto tail = render(player, fade + 10);
    mix.insert(mix.end(), tail.begin(), tail.end());
    for (std::int32_t s : mix)
        ASSERT_LE(std::abs(s), 5 * 8000);
    EXPECT_FALSE(player.playing());
    EXPECT_EQ(std::vector<std::int32_t>(mix.end() - 10, mix.end()), std::vector<std::int32_t>(10, 0));
}

} // namespace
} // namespace kelvor::emu
