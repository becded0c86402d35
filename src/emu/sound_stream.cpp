#include "emu/sound_stream.h"

#include <algorithm>
#include <cmath>

namespace kelvor::emu {
namespace {

constexpr double lead_window_ms = 2000;
constexpr double warm_up_ms = stream_settle_ms;

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

bool SoundStream::answers(std::uint16_t port) const {
    return bus_.claimed(port);
}

void SoundStream::play(double time_ms, SampleImage samples) {
    push({StreamEvent::Kind::play, time_ms, 0, 0, std::move(samples)});
}

void SoundStream::stop(double time_ms) {
    push({StreamEvent::Kind::stop, time_ms, 0, 0, nullptr});
}

void SoundStream::route(double time_ms, StreamChannels channels) {
    push({StreamEvent::Kind::route, time_ms, 0, static_cast<std::uint8_t>(channels), nullptr});
}

void SoundStream::soften_images(double time_ms, bool soft) {
    push({StreamEvent::Kind::soft_images, time_ms, 0, static_cast<std::uint8_t>(soft), nullptr});
}

StreamStats SoundStream::stats() const {
    return {frames_done_.load(std::memory_order_relaxed), applied_.load(std::memory_order_relaxed),
            late_.load(std::memory_order_relaxed), dropped_.load(std::memory_order_relaxed),
            lead_ms_.load(std::memory_order_relaxed)};
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
        images_.play(std::move(event.image));
        break;
    case StreamEvent::Kind::stop:
        images_.stop();
        break;
    case StreamEvent::Kind::route:
        channels_ = static_cast<StreamChannels>(event.value);
        break;
    case StreamEvent::Kind::soft_images:
        images_.set_soft(event.value != 0);
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
    images_.render_add(mix, frames);
}

void SoundStream::render_segment(std::int16_t* stereo, std::size_t from, std::size_t to) {
    render_devices(mix_.data() + from, to - from);
    const bool left = channels_ != StreamChannels::right_only;
    const bool right = channels_ != StreamChannels::left_only;
    for (std::size_t i = from; i < to; ++i) {
        const auto s = static_cast<std::int16_t>(std::clamp(mix_[i], -32768, 32767));
        stereo[2 * i] = left ? s : 0;
        stereo[2 * i + 1] = right ? s : 0;
    }
}

void SoundStream::render(std::int16_t* stereo, std::size_t frames, double now_ms) {
    // Where this block starts relative to the clock. The sound server takes frames ahead of playing
    // them, so the block start runs ahead of the clock by about its buffer, and by a little less when
    // this call came late. The highest lead seen is the true one: it keeps an event from ever landing
    // before the block being rendered when it arrives. It is taken over two windows of a few seconds,
    // so it follows a sound device whose clock drifts from ours, while the offset stays still between
    // changes (a decaying estimate would move every pulse a little); the first moments, while the
    // server fills its buffer, are left out.
    const double lead = static_cast<double>(frame_) - now_ms * stream_samples_per_ms;
    if (!anchored_) {
        anchored_ = true;
        window_start_ms_ = now_ms;
        warming_up_ = true;
        current_max_ = previous_max_ = lead;
    } else if (resync_) {
        resync_ = false;
        window_start_ms_ = now_ms;
        current_max_ = previous_max_ = lead;
    }
    current_max_ = std::max(current_max_, lead);
    if (now_ms - window_start_ms_ >= (warming_up_ ? warm_up_ms : lead_window_ms)) {
        previous_max_ = warming_up_ ? lead : current_max_;
        current_max_ = lead;
        window_start_ms_ = now_ms;
        warming_up_ = false;
    }
    offset_frames_ = std::max(previous_max_, current_max_);
    lead_ms_.store(offset_frames_ / stream_samples_per_ms, std::memory_order_relaxed);

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
        render_segment(stereo, done, pos);
        done = pos;
        apply(*event);
        queue_.pop();
    }
    render_segment(stereo, done, frames);
    frame_ += frames;
    frames_done_.store(frame_, std::memory_order_relaxed);
}

} // namespace kelvor::emu
