#pragma once
// The state of a window's controls as the program's logic sees and writes it: one plain struct per
// control, named after the control. A window's logic in the core owns these; the Qt window creates one
// widget per control (object name and accessible description = `name`), forwards each user event to the
// logic's handler and copies these values into the widgets after every handler.
#include <string>
#include <vector>

#include "core/common/colour.h"

namespace kelvor {

enum class Cursor { arrow, hand_point };

struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

struct Control {
    explicit Control(std::string control_name) : name(std::move(control_name)) {}
    std::string name; // the widget's object name and accessible description
    std::string caption;
    std::string hint; // shown in the status bar while the pointer rests on the control
    // What a screen reader calls the control while it has no caption (pictures, bars, memos, panels);
    // the control's name where this is empty too.
    std::string description;
    bool visible = true;
    bool enabled = true;
    Cursor cursor = Cursor::arrow;
    Rgb text_colour = colours::black;
    Bounds bounds{};
};

// Check boxes and radio buttons (also the radio button used as the pulse lamp).
struct CheckControl : Control {
    using Control::Control;
    bool checked = false;
};

// Track bars, progress bars and up-down controls.
struct RangeControl : Control {
    using Control::Control;
    int minimum = 0;
    int maximum = 0;
    int position = 0;
    // A bar pulls its position into [minimum, maximum].
    void set_position(int value) { position = value < minimum ? minimum : value > maximum ? maximum : value; }
    void set_maximum(int value) {
        maximum = value;
        set_position(position);
    }
};

// Memos, lists and edit fields: their text, line by line (an edit field has one line).
struct TextControl : Control {
    using Control::Control;
    std::vector<std::string> lines;
};

// Drop-down lists: their items, one a line, and the index of the one chosen.
struct ChoiceControl : TextControl {
    using TextControl::TextControl;
    int chosen = 0;
};

// Lists with columns: their headings, and each line's cells separated by tabs; `chosen` as above.
struct TableControl : ChoiceControl {
    using ChoiceControl::ChoiceControl;
    std::vector<std::string> columns;
};

} // namespace kelvor
