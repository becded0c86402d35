#include "core/tone/wave_stream.h"

#include <gtest/gtest.h>

#include "support/recording_audio_out.h"

namespace kelvor::tone {
namespace {

std::int16_t sample_at(const std::vector<std::uint8_t>& image, std::size_t i) {
    const std::size_t at = wave_header_size + 2 * i;
    return static_cast<std::int16_t>(image[at] | (image[at + 1] << 8));
}

struct AmplitudeRow {
    std::int8_t level;
    std::uint16_t cal_volume;
    std::uint16_t amplitude;
};

TEST(WaveAmplitude, FollowsTheLevelInDecibelsAboveTheCalibration) {
    const AmplitudeRow rows[] = {{0, 100, 100},    {2, 100, 125},    {10, 100, 316},  {12, 100, 398},
                                 {20, 100, 1000},  {24, 100, 1584},  {30, 100, 3162}, {40, 100, 10000},
                                 {46, 100, 19952}, {48, 100, 25118}, {12, 50, 199},   {48, 50, 12559},
                                 {0, 2, 2},        {-2, 100, 79}};
    for (const auto& r : rows)
        EXPECT_EQ(wave_amplitude(r.level, wave_base_amplitude, r.cal_volume), r.amplitude)
            << int(r.level) << " dB at " << r.cal_volume << " %";
}

TEST(WaveAmplitude, LevelsBeyondTheScaleStopAtTheLargestSample) {
    for (std::int8_t level : {std::int8_t{51}, std::int8_t{100}, std::int8_t{127}})
        EXPECT_EQ(wave_amplitude(level, wave_base_amplitude, 100), 32767) << int(level);
}

TEST(WriteWav, CalibrationToneImageByteForByte) {
    std::vector<std::uint8_t> image;
    const WaveValues v = write_wav(image, 1000, 12, 100);
    EXPECT_EQ(v.frequency, 1000);
    EXPECT_EQ(v.amplitude, 398);
    EXPECT_EQ(v.level, 12);
    ASSERT_EQ(image.size(), 26506u);

    const std::vector<std::uint8_t> header = {
        0x52, 0x49, 0x46, 0x46, 0x82, 0x67, 0x00, 0x00, 0x57, 0x41, 0x56, 0x45, 0x66, 0x6D, 0x74, 0x20,
        0x12, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x88, 0x58, 0x01, 0x00,
        0x02, 0x00, 0x10, 0x00, 0x00, 0x00, 0x64, 0x61, 0x74, 0x61, 0x5C, 0x67, 0x00, 0x00};
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin(), image.begin() + 46), header);

    const std::int16_t first[] = {0, 56, 111, 164, 214, 260};
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(sample_at(image, i), first[i]) << i;
    int peak = 0;
    for (std::size_t i = 0; i < wave_sample_count; ++i)
        peak = std::max(peak, std::abs(int(sample_at(image, i))));
    EXPECT_EQ(peak, 397); // truncation never reaches the amplitude itself
}

TEST(WriteWav, NegativeSamplesKeepTheirTwosComplementForm) {
    std::vector<std::uint8_t> image;
    write_wav(image, 11025, 48, 100); // a quarter of the rate: 0, +A, 0, -A, ...
    EXPECT_EQ(sample_at(image, 1), 25118);
    EXPECT_EQ(sample_at(image, 3), -25118);
}

class WaveStreamTest : public ::testing::Test {
  protected:
    testing::RecordingAudioOut audio;
    diagnostics::LogBuffer sound_log{"SOUND", 40};
    WaveStream stream{audio, sound_log};
};

TEST_F(WaveStreamTest, BuffersAlternateAndEveryImageButTheFirstIsLogged) {
    EXPECT_EQ(stream.current(), 0);
    stream.make_wave(1000, 12, 100);
    EXPECT_EQ(stream.current(), 1);
    EXPECT_EQ(sound_log.count(), 0);
    stream.make_wave(1000, 14, 100);
    EXPECT_EQ(stream.current(), 2);
    stream.make_wave(500, -2, 50);
    EXPECT_EQ(stream.current(), 1);
    ASSERT_EQ(sound_log.count(), 2);
    EXPECT_EQ(sound_log.line(0), ":> SOUND Freq: 1000 Hz 14 dB  Volume: 501");
    EXPECT_EQ(sound_log.line(1), ":> SOUND Freq: 500 Hz -2 dB  Volume: 39");
    EXPECT_EQ(stream.buffer(1).values.frequency, 500);
    EXPECT_EQ(stream.buffer(2).values.level, 14);
    EXPECT_TRUE(stream.buffer(1).valid && stream.buffer(2).valid);
}

TEST_F(WaveStreamTest, PlaysTheCurrentImageOnlyOnceOneExists) {
    stream.play_wave();
    EXPECT_TRUE(audio.calls.empty());
    stream.make_wave(1000, 12, 100);
    stream.play_wave();
    ASSERT_EQ(audio.calls, std::vector<std::string>{"play"});
    EXPECT_EQ(audio.played_copy, stream.buffer(1).image);
    EXPECT_EQ(stream.output_device_count(), 1);
}

TEST_F(WaveStreamTest, AnImageThatMayStillPlayIsNeverRewritten) {
    stream.make_wave(1000, 12, 100); // buffer 1
    stream.play_wave();              // the service reads buffer 1
    stream.make_wave(1000, 14, 100); // buffer 2: buffer 1 untouched, nothing stopped
    EXPECT_EQ(audio.calls, std::vector<std::string>{"play"});
    EXPECT_TRUE(audio.playing_image_intact());
    stream.make_wave(1000, 16, 100); // buffer 1 again: the service must let go of it first
    EXPECT_EQ(audio.calls, (std::vector<std::string>{"play", "stop"}));
    EXPECT_TRUE(audio.playing_image_intact());
    stream.play_wave();
    stream.free_waves();
    EXPECT_EQ(audio.calls, (std::vector<std::string>{"play", "stop", "play", "stop"}));
    EXPECT_FALSE(stream.buffer(1).valid || stream.buffer(2).valid);
    stream.play_wave(); // nothing left to play
    EXPECT_EQ(audio.calls.size(), 4u);
}

TEST_F(WaveStreamTest, NoOutputDeviceIsReportedAndPlayingStaysHarmless) {
    audio.devices = 0;
    EXPECT_EQ(stream.output_device_count(), 0);
    stream.make_wave(1000, 12, 100);
    stream.play_wave();
    EXPECT_EQ(audio.calls, std::vector<std::string>{"play"});
}

} // namespace
} // namespace kelvor::tone
