#pragma once
// The state of the main window's controls as the test logic sees and writes it. The Qt window creates one
// widget per control, named after `name`, and copies these values into the widgets after every handler.
#include <string>

namespace kelvor::hearing {

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
    std::string name; // the widget's object name
    std::string caption;
    bool visible = true;
    bool enabled = true;
    Cursor cursor = Cursor::arrow;
    Bounds bounds{};
};

// Check boxes, and the radio button used as the pulse lamp.
struct CheckControl : Control {
    using Control::Control;
    bool checked = false;
};

// Track bars and the progress bar.
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

struct MessungControls {
    MessungControls();

    // Tone panel
    Control Test_F{"Test_F"};
    Control Test_db{"Test_db"};
    CheckControl Noise_on{"Noise_on"};

    // Outside the panels
    Control Ohr_li_img{"Ohr_li_img"};
    Control Ohr_re_img{"Ohr_re_img"};
    RangeControl F_Leiste_li{"F_Leiste_li"};
    RangeControl F_Leiste_re{"F_Leiste_re"};
    Control f_No{"f_No"};
    Control Memo1_D{"Memo1_D"};
    Control Memo1_E{"Memo1_E"};
    Control PortData{"PortData"}; // its text is the port log ring

    // Command panel
    Control Panel_bot{"Panel_bot"};
    Control Ohr_gif_li{"Ohr_gif_li"};
    Control Ohr_gif_re{"Ohr_gif_re"};
    RangeControl db_Progress{"db_Progress"};
    CheckControl f_extended{"f_extended"};
    CheckControl auto_{"auto"}; // `auto` is a C++ keyword; the widget is still named "auto"
    CheckControl f_fine{"f_fine"};
    Control ok_select{"ok_select"};
    Control Start{"Start"};

    // Visits every control, for mirroring into widgets.
    template <class F> void for_each(F&& f) {
        f(Test_F), f(Test_db), f(Noise_on), f(Ohr_li_img), f(Ohr_re_img), f(F_Leiste_li), f(F_Leiste_re);
        f(f_No), f(Memo1_D), f(Memo1_E), f(PortData), f(Panel_bot), f(Ohr_gif_li), f(Ohr_gif_re);
        f(db_Progress), f(f_extended), f(auto_), f(f_fine), f(ok_select), f(Start);
    }
};

} // namespace kelvor::hearing
