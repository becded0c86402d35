#pragma once
// A modal dialog that asks for a name. The core names its controls and gives their captions in the current
// language: the window (its caption is the title), the edit field (its caption is the label in front of it,
// its line the name offered), OK and Cancel. The real dialog mirrors them and keeps the timers running.
#include <optional>
#include <string>

#include "core/common/control_state.h"

namespace kelvor::host {

struct NamePromptControls {
    Control form;
    TextControl name;
    Control ok;
    Control cancel;
};

class NamePrompt {
  public:
    virtual ~NamePrompt() = default;
    // The name given, without the blanks at either end; nothing when the user cancelled.
    virtual std::optional<std::string> ask(NamePromptControls& controls) = 0;
};

} // namespace kelvor::host
