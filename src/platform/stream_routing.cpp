#include "platform/stream_routing.h"

namespace kelvor::platform {

void StreamRouting::set_tested_ear(host::Ear ear) {
    ear_ = ear;
    send_channels();
}

void StreamRouting::set_ear_routing(bool on) {
    routing_ = on && available_;
    send_channels();
}

void StreamRouting::set_soft_onset(bool on) {
    stream_.soften_images(clock_.now_ms(), on);
}

// Only a change goes to the stream: the ear is told at every switch, routing on or off.
void StreamRouting::send_channels() {
    const emu::StreamChannels channels = !routing_                 ? emu::StreamChannels::both
                                         : ear_ == host::Ear::left ? emu::StreamChannels::left_only
                                                                   : emu::StreamChannels::right_only;
    if (channels == channels_) return;
    channels_ = channels;
    stream_.route(clock_.now_ms(), channels);
}

} // namespace kelvor::platform
