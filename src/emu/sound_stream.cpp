#include "emu/sound_stream.h"

#include <algorithm>
#include <cmath>

namespace kelvor::emu {
namespace {

constexpr double lead_window_ms = 2000;
constexpr double warm_up_ms = stream_settle_ms;

} // namespace

SoundStream::SoundStream(double latency_ms, std::size_t queue_capacity)
    : queue_(queue_capacity), latency_ms_(latency_ms), latency_frames_(latency_ms * stream_samples_per_ms) {
    opl2_.attach_to(bus_);
    speaker_.attach_to(bus_);
}

void SoundStream::push(StreamEvent event) {
    if (!queue_.push(std::move(event))) dropped_.fetch_add(1, std::memory_order_relaxed);
    // Both sides swap the flag after touching the queue, and swaps of one atomic are taken one after
    // the other, each seeing what the one before wrote: either we take the audio side's "asleep" and
    // wake it, or our swap came first and the audio side, swapping after us, sees this event queued.
    if (asleep_.exchange(false, std::memory_order_acq_rel) && wake_) wake_();
}

bool SoundStream::try_sleep() {
    if (quiet_frames_ < static_cast<std::uint64_t>(stream_sleep_after_ms * stream_samples_per_ms))
        return false;
    if (queue_.front() != nullptr) return false;
    asleep_.exchange(true, std::memory_order_acq_rel);
    // An event queued meanwhile: stay awake, unless its sender already took the flag and is waking us.
    if (queue_.front() != nullptr && asleep_.exchange(false, std::memory_order_acq_rel)) return false;
    quiet_frames_ = 0;
    resync_ = true;
    if (measuring_rise_) {
        fresh_rise_ = std::max(0.0, offset_frames_ - first_lead_);
        rise_known_ = true;
    }
    return true;
}

bool SoundStream::quiet_after(const std::int32_t* mix, std::size_t frames) {
    if (images_.playing() || speaker_.sounding() || opl2_.keyed_on() || queue_.front() != nullptr)
        return false;
    // A released note may still be fading.
    return std::all_of(mix, mix + frames, [](std::int32_t s) { return s == 0; });
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
            late_.load(std::memory_order_relaxed),        dropped_.load(std::memory_order_relaxed),
            lead_ms_.load(std::memory_order_relaxed),     latency_ms_.load(std::memory_order_relaxed)};
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
    if (!anchored_ || fresh_) {
        // A device stream that starts empty: its lead rises while the server fills the buffer. How far
        // it rose the last time is the best guess for this time (a first start warms up instead), so
        // the first events sound as long after their stamps as the ones after them.
        const bool learned = fresh_ && rise_known_;
        anchored_ = true;
        fresh_ = false;
        resync_ = false;
        window_start_ms_ = timing_taken_ms_ = now_ms;
        warming_up_ = !learned;
        first_lead_ = lead;
        measuring_rise_ = true;
        current_max_ = previous_max_ = lead + (learned ? fresh_rise_ : 0);
    } else if (resync_) {
        resync_ = false;
        measuring_rise_ = false;
        window_start_ms_ = timing_taken_ms_ = now_ms;
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
    quiet_frames_ = quiet_after(mix_.data(), frames) ? quiet_frames_ + frames : 0;
    frame_ += frames;
    frames_done_.store(frame_, std::memory_order_relaxed);

    // An event stamped just after this call is rendered by the next one, which starts where this block
    // ends: the latency must reach that far past the tracked lead, or the event lands at the start of
    // the next block, late by the rest of it. That is about one block, and the server picks the block
    // (PipeWire its graph quantum, which may be several times what we asked for and changes as other
    // programs come and go), so the latency grows to what steady running needs; a block that catches
    // up after a late call needs no more (it starts from a lower lead), and the blocks that fill the
    // buffer after a start or a gap do not count. It never shrinks back: each change moves every event
    // after it, and a latency a little longer than needed costs nothing but that.
    const double needed = lead + static_cast<double>(frames) - offset_frames_;
    if (now_ms - timing_taken_ms_ >= stream_settle_ms && needed > latency_frames_) {
        latency_frames_ = needed;
        latency_ms_.store(latency_frames_ / stream_samples_per_ms, std::memory_order_relaxed);
    }
}

} // namespace kelvor::emu
