#pragma once
// The room's microphone on PulseAudio's API (PulseAudio, or PipeWire's PulseAudio service): a mono float
// record stream on the server's default source, with a main loop and its thread of its own, so the
// playback's timing never waits on it. Named as our playback is, "Room noise" in the mixer, which is
// also where the desktop shows that the microphone is in use.
#include <atomic>
#include <memory>

#include "core/host/room_microphone.h"

namespace kelvor::platform {

class PulseRoomMicrophone final : public host::RoomMicrophone {
  public:
    // A default source that is a sink's monitor only repeats what this computer plays, so it is no
    // microphone, unless `monitors_count` (a test's room is such a monitor).
    explicit PulseRoomMicrophone(bool monitors_count = false);
    ~PulseRoomMicrophone() override;
    PulseRoomMicrophone(const PulseRoomMicrophone&) = delete;
    PulseRoomMicrophone& operator=(const PulseRoomMicrophone&) = delete;

    // The language of the sentences `open` and Lost give.
    void use_language(bool german) { german_ = german; }

    bool open(int rate, Samples on_samples, Lost on_lost, std::string& why) override;
    // Not from inside a callback: it waits for the capture thread to end.
    void close() override;

  private:
    struct Stream;
    std::unique_ptr<Stream> stream_;
    const bool monitors_count_;
    std::atomic<bool> german_{false};
};

} // namespace kelvor::platform
