#pragma once
// Modal message boxes with a fixed text and an OK button. The real box keeps the window's timers
// running while it is open, so a handler that shows one can see timer ticks run inside it.
#include <string>

namespace kelvor::host {

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual void message_box(const std::string& text) = 0;
};

} // namespace kelvor::host
