#pragma once
// Two options of the sound output that lie below the tone paths: playing the tone only on the side of
// the ear under test, and fading each wave image in and out. Both are off at start. The output keeps
// what it is told and applies each change at the moment it is made, in step with the tone's own events.
namespace kelvor::host {

enum class Ear { left, right };

class OutputRouting {
  public:
    virtual ~OutputRouting() = default;
    // False where the tone does not pass through this program's sound output (real ports drive the card
    // and the speaker directly): routing cannot reach it there.
    virtual bool routing_available() const = 0;
    // The ear under test; heard alone while routing is on.
    virtual void set_tested_ear(Ear ear) = 0;
    // On: every path sounds on the tested ear's side only, the other side silent. Off: both sides.
    virtual void set_ear_routing(bool on) = 0;
    // On: each wave image that starts from now on fades in over its first 20 ms and out over its last.
    virtual void set_soft_onset(bool on) = 0;
};

} // namespace kelvor::host
