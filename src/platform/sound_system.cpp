#include "platform/sound_system.h"

#include <cstdlib>

namespace kelvor::platform {

SoundSystem::SoundSystem(const std::string& ports_setting, const std::string& trace_path, AudioTiming timing)
    : engine_(clock_, timing), ports_(make_port_access(ports_setting, trace_path, engine_.stream(), clock_)),
      routing_(engine_.stream(), clock_, ports_.hardware == nullptr), system_info_(ports_.hardware_access),
      driver_services_(*ports_.io, system_info_.system_directory()) {
    engine_.start();
}

AudioTiming audio_timing_from_setting(const char* setting) {
    // SDL's backend is there for the benchmark only: it cannot tell when the device ran dry.
    const auto kind = audio_backend_from_name(setting ? setting : "");
    return audio_timing_for(kind && *kind != AudioBackendKind::sdl ? *kind : AudioTiming{}.backend);
}

std::unique_ptr<SoundSystem> SoundSystem::from_environment() {
    const char* ports = std::getenv("KELVOR_PORTS");
    const char* trace = std::getenv("KELVOR_PORT_TRACE");
    return std::make_unique<SoundSystem>(ports ? ports : "", trace ? trace : "",
                                         audio_timing_from_setting(std::getenv("KELVOR_AUDIO")));
}

} // namespace kelvor::platform
