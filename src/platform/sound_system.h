#pragma once
// Everything the program's sound and port access need on Linux, made once at start-up: the clock the
// port writes are stamped with, the audio thread, the port I/O (emulated bus unless the user chose real
// ports), the wave image player, the output options, the system information and the port driver's
// services.
#include <memory>
#include <string>

#include "platform/audio_engine.h"
#include "platform/linux_driver_services.h"
#include "platform/port_access.h"
#include "platform/steady_clock.h"
#include "platform/stream_audio_out.h"
#include "platform/stream_routing.h"

namespace kelvor::platform {

// The backend KELVOR_AUDIO names ("qt", the default, or "pulse") with its timing; the default for any
// other setting.
AudioTiming audio_timing_from_setting(const char* setting);

class SoundSystem {
  public:
    // `ports_setting` and `trace_path` as KELVOR_PORTS and KELVOR_PORT_TRACE give them. Starts the audio
    // thread; without an output device the program stays silent (and says so where it checks).
    SoundSystem(const std::string& ports_setting, const std::string& trace_path, AudioTiming timing = {});
    // From the environment variables themselves.
    static std::unique_ptr<SoundSystem> from_environment();

    host::Clock& clock() { return clock_; }
    AudioEngine& engine() { return engine_; }
    host::PortIo& ports() { return *ports_.io; }
    host::AudioOut& audio_out() { return audio_out_; }
    host::OutputRouting& routing() { return routing_; }
    host::SystemInfo& system_info() { return system_info_; }
    port::DriverServices& driver_services() { return driver_services_; }
    // A message for the user when an environment setting could not be honoured; empty otherwise.
    const std::string& notice() const { return ports_.notice; }

  private:
    SteadyClock clock_;
    AudioEngine engine_;
    PortAccess ports_;
    StreamAudioOut audio_out_{engine_};
    StreamRouting routing_;
    LinuxSystemInfo system_info_;
    LinuxDriverServices driver_services_;
};

} // namespace kelvor::platform
