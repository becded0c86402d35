#pragma once
// A window's command table: which control or menu item runs which handler. The window logic in the core
// says it; the Qt window only connects each entry to its widget's user signal, so a core test sees every
// pairing and adding a menu item or button is one entry.
#include <functional>
#include <vector>

#include "core/common/control_state.h"

namespace kelvor {

enum class CommandKind {
    click,  // buttons, pictures, menu items, chart images: `run(0)`
    check,  // check boxes and radio buttons: `run` gets the state the user left the box in (0 or 1)
    track,  // track bars: `run` gets the position the user moved the bar to
    step,   // up-down controls: `run(+1)` for the upper arrow, `run(-1)` for the lower one
    choose, // drop-down lists: `run` gets the index of the item the user chose
};

struct Command {
    Control* control;
    CommandKind kind;
    // Empty where the handler's part of the program is not there: the control then stays disabled.
    std::function<void(int)> run;
};
using CommandTable = std::vector<Command>;

// Entries for the common kinds. A check box's state is the box's own before its handler runs (the
// handler reads it); `handler` may be empty where the box is only read elsewhere.
inline Command click_command(Control& control, std::function<void()> handler) {
    return {&control, CommandKind::click,
            handler ? std::function<void(int)>([handler](int) { handler(); }) : std::function<void(int)>()};
}
inline Command check_command(CheckControl& box, std::function<void()> handler) {
    return {&box, CommandKind::check, [&box, handler](int checked) {
                box.checked = checked != 0;
                if (handler) handler();
            }};
}

// How many entries of `table` belong to `control`.
inline int commands_of(const CommandTable& table, const Control& control) {
    int n = 0;
    for (const Command& command : table)
        n += command.control == &control;
    return n;
}

} // namespace kelvor
