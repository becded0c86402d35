#pragma once
// Output options that record what they were told, in order: "ear left", "ear right", "routing on",
// "routing off", "soft on", "soft off" (into a shared log when given one).
#include "core/host/output_routing.h"
#include "support/fake_test_seams.h"

namespace kelvor::testing {

class RecordingRouting final : public host::OutputRouting, public Recorder {
  public:
    explicit RecordingRouting(CallLog* shared = nullptr) : Recorder(shared) {}
    bool routing_available() const override { return available; }
    void set_tested_ear(host::Ear ear) override {
        log->add(ear == host::Ear::left ? "ear left" : "ear right");
    }
    void set_ear_routing(bool on) override { log->add(on ? "routing on" : "routing off"); }
    void set_soft_onset(bool on) override { log->add(on ? "soft on" : "soft off"); }
    // The ear told last; nothing before the first.
    std::string last_ear() const {
        for (auto it = log->calls.rbegin(); it != log->calls.rend(); ++it)
            if (it->rfind("ear ", 0) == 0) return *it;
        return {};
    }

    bool available = true;
};

} // namespace kelvor::testing
