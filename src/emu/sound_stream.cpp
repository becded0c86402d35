#include "emu/sound_stream.h"

#include <algorithm>
#include <cmath>

namespace kelvor::emu {
namespace {

// How fast the tracked offset may sink when the sound device's clock runs slower than ours: 10 frames a
// second, far more than two crystals drift apart, far less than the jitter of render calls.
constexpr double offset_sink_frames_per_ms = 0.01;

} // namespace

SoundStream::SoundStream(double latency_ms, std::size_t queue_capacity)
    : queue_(queue_capacity), latency_frames_(latency_ms * stream_samples_per_ms) {
    opl2_.attach_to(bus_);
    speaker_.attach_to(bus_);
}

void SoundStream::push(StreamEvent event) {
    if (!queue_.push(std::move(event))) dropped_.fetch_add(1, std::memory_order_relaxed);
}

void SoundStream::write_port(double time_ms, std::uint16_t port, std::uint8_t value) {
    if (port == system_control_port) control_port_written_ = value;
    if (!bus_.claimed(port)) return;
    push({StreamEvent::Kind::port_write, time_ms, port, value, nullptr});
}

std::uint8_t SoundStream::read_port(std::uint16_t port) const {
    if (port == system_control_port) return control_port_written_;
    if (port == adlib_address_port || port == soundblaster_fm_address_port) return opl2_idle_status;
    return floating_bus_value;
}

bool SoundStream::answers(std::uint16_t port) const { return bus_.claimed(port); }

void SoundStream::play(double time_ms, SampleImage samples) {
    push({StreamEvent::Kind::play, time_ms, 0, 0, std::move(samples)});
}

void SoundStream::stop(double time_ms) { push({StreamEvent::Kind::stop, time_ms, 0, 0, nullptr}); }

StreamStats SoundStream::stats() const {
    return {frames_done_.load(std::memory_order_relaxed), applied_.load(std::memory_order_relaxed),
            late_.load(std::memory_order_relaxed), dropped_.load(std::memory_order_relaxed)};
}

double SoundStream::event_frame(double time_ms) const {
    return time_ms * stream_samples_per_ms + offset_frames_ + latency_frames_;
}

void SoundStream::apply(StreamEvent& event) {
    switch (event.kind) {
    case StreamEvent::Kind::port_write:
        bus_.write(event.port, event.value);
        break;
    case StreamEvent::Kind::play:
        image_ = std::move(event.image);
        image_pos_ = 0;
        break;
    case StreamEvent::Kind::stop:
        image_.reset();
        break;
    case StreamEvent::Kind::none:
        break;
    }
    applied_.fetch_add(1, std::memory_order_relaxed);
}

void SoundStream::render_devices(std::int32_t* mix, std::size_t frames) {
    if (frames == 0) return;
    opl2_.render_add(mix, frames);
    speaker_.render_add(mix, frames);
    if (image_) {
        const std::size_t n = std::min(frames, image_->size() - image_pos_);
        for (std::size_t i = 0; i < n; ++i) mix[i] += (*image_)[image_pos_ + i];
        image_pos_ += n;
        if (image_pos_ >= image_->size()) image_.reset();
    }
}

void SoundStream::render(std::int16_t* stereo, std::size_t frames, double now_ms) {
    // Where this block starts relative to the clock. The sound server takes frames ahead of playing
    // them, so the block start runs ahead of the clock by about its buffer; the highest such lead seen
    // keeps an event from ever landing before the block that is being rendered when it arrives.
    const double lead = static_cast<double>(frame_) - now_ms * stream_samples_per_ms;
    if (!anchored_) {
        offset_frames_ = lead;
        anchored_ = true;
    } else {
        offset_frames_ -= (now_ms - last_now_ms_) * offset_sink_frames_per_ms;
        offset_frames_ = std::max(offset_frames_, lead);
    }
    last_now_ms_ = now_ms;

    mix_.assign(frames, 0);
    std::size_t done = 0;
    while (StreamEvent* event = queue_.front()) {
        const double at = event_frame(event->time_ms) - static_cast<double>(frame_);
        if (at >= static_cast<double>(frames)) break;
        std::size_t pos = done;
        if (at < 0)
            late_.fetch_add(1, std::memory_order_relaxed);
        else
            pos = std::max(done, static_cast<std::size_t>(at));
        render_devices(mix_.data() + done, pos - done);
        done = pos;
        apply(*event);
        queue_.pop();
    }
    render_devices(mix_.data() + done, frames - done);

    for (std::size_t i = 0; i < frames; ++i) {
        const auto s = static_cast<std::int16_t>(std::clamp(mix_[i], -32768, 32767));
        stereo[2 * i] = s;
        stereo[2 * i + 1] = s;
    }
    frame_ += frames;
    frames_done_.store(frame_, std::memory_order_relaxed);
}

} // namespace kelvor::emu
