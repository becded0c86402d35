#pragma once
// The output options over the program's sound stream: each change is stamped with the clock and queued
// like a port write, so it takes effect at its own sample position in the audio thread, between the
// tone's events as they were made. Routing reaches every path that plays through the stream (data
// stream, emulated OPL2, emulated PC speaker); with real ports the card and the speaker bypass it, and
// routing is not offered.
#include "core/host/clock.h"
#include "core/host/output_routing.h"
#include "emu/sound_stream.h"

namespace kelvor::platform {

class StreamRouting final : public host::OutputRouting {
  public:
    // `available`: whether the tone paths play through `stream` (false when the ports are real ones).
    StreamRouting(emu::SoundStream& stream, host::Clock& clock, bool available)
        : stream_(stream), clock_(clock), available_(available) {}

    bool routing_available() const override { return available_; }
    void set_tested_ear(host::Ear ear) override;
    void set_ear_routing(bool on) override;
    void set_soft_onset(bool on) override;

    // What the stream was last told.
    emu::StreamChannels channels() const { return channels_; }

  private:
    void send_channels();

    emu::SoundStream& stream_;
    host::Clock& clock_;
    bool available_;
    host::Ear ear_ = host::Ear::left;
    bool routing_ = false;
    emu::StreamChannels channels_ = emu::StreamChannels::both;
};

} // namespace kelvor::platform
