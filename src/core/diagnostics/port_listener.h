#pragma once
// The port listener: a small diagnostics window that reads one I/O port (and optionally the one after it)
// on a timer, every tick or only when the value changes, or scans $0300..$03FF once, and lists what it
// read in a numbered list of 12 lines whose last line is the newest. Reads go through the program's port
// I/O, so by default they reach the emulated bus; the window itself never reports an error.
#include <cstdint>
#include <string>

#include "core/common/commands.h"
#include "core/common/control_state.h"

namespace kelvor::host {
class PortIo;
}

namespace kelvor::diagnostics {

using kelvor::Bounds;
using kelvor::CheckControl;
using kelvor::Control;
using kelvor::TextControl;

constexpr const char* listener_caption = "TinyPortListener";
constexpr std::size_t listener_line_count = 12;
constexpr std::size_t listener_text_max = 40; // the text after the line number
constexpr int listen_every_tick_ms = 500;     // START
constexpr int listen_changes_ms = 50;         // Listen
constexpr std::uint16_t scan_first_port = 0x0300;
constexpr int scan_port_count = 256;
// What a read that failed gives: an ISA bus with nothing answering floats high.
constexpr std::uint8_t failed_read_value = 0xFF;

// The window's timer: not a widget, but state the view follows (it keeps one timer running at this interval).
struct TimerControl {
    explicit TimerControl(std::string timer_name) : name(std::move(timer_name)) {}
    std::string name;
    int interval_ms = listen_every_tick_ms;
    bool enabled = true;
};

struct PortListenerControls {
    PortListenerControls();

    Control form{"TinyPortListener"}; // the window itself: caption, visible, position and size

    TextControl PortResponse{"PortResponse"};

    Control GroupBox1{"GroupBox1"};
    CheckControl Port0220{"Port0220"};
    CheckControl Port0240{"Port0240"};
    CheckControl Port0260{"Port0260"};
    CheckControl Port0280{"Port0280"};
    CheckControl Port0330{"Port0330"};
    CheckControl Port0388{"Port0388"};
    CheckControl Port0530{"Port0530"};
    CheckControl PortD400{"PortD400"};
    CheckControl COM1{"COM1"};
    CheckControl COM2{"COM2"};
    CheckControl LPT1{"LPT1"};
    CheckControl LPT2{"LPT2"};
    CheckControl User1{"User1"};
    CheckControl User2{"User2"};
    CheckControl User3{"User3"};
    CheckControl User4{"User4"};

    Control Start{"Start"};
    Control ListenButton{"ListenButton"};
    Control Stop{"Stop"};
    Control scan{"scan"};
    Control Exit{"Exit"};

    Control GroupBox2{"GroupBox2"};
    Control Clear{"Clear"};
    CheckControl Extension{"Extension"};

    TimerControl Timer{"Timer"};

    // Visits every control of the window in creation order (the group boxes before what they hold).
    template <class F> void for_each(F&& f) {
        f(form), f(PortResponse), f(GroupBox1);
        for_each_port_button(f);
        f(Start), f(ListenButton), f(Stop), f(scan), f(Exit), f(GroupBox2), f(Clear), f(Extension);
    }
    // The 16 port choices, row by row as they stand in their group.
    template <class F> void for_each_port_button(F&& f) {
        f(Port0220), f(Port0240), f(Port0260), f(Port0280), f(Port0330), f(Port0388), f(Port0530);
        f(PortD400), f(COM1), f(COM2), f(LPT1), f(LPT2), f(User1), f(User2), f(User3), f(User4);
    }
};

// One hexadecimal digit of 0..15 ("0".."9", "A".."F"); anything larger gives "*".
char hex_digit(unsigned value);
// Two digits for a byte and four for a 16-bit value, high half first.
std::string hex_byte(std::uint8_t value);
std::string hex_word(std::uint16_t value);

class TTinyPortListener {
  public:
    explicit TTinyPortListener(host::PortIo& ports);

    PortListenerControls& controls() { return c_; }
    const PortListenerControls& controls() const { return c_; }

    std::uint16_t port_address() const { return port_address_; }
    bool running() const { return running_; }
    bool changes_only() const { return changes_only_; }
    std::uint8_t last_base_value() const { return last_base_; }
    std::uint8_t last_next_value() const { return last_next_; }
    std::uint16_t line_number() const { return line_number_; }

    // Shows the window; the program has no command for it, the main window offers a key for it.
    void show();

    void StartClick();
    void ListenButtonClick();
    void StopClick();
    void scanClick();
    void ExitClick();
    void ClearClick();
    void ExtensionClick() {} // the box is read where it matters
    void TimerTimer();
    // The window's close box hides it as Exit does; the program goes on.
    void FormClose();

    // The port choices: each checks its own button (the others of the group clear) and sets the port.
    void Port0220Click();
    void Port0240Click();
    void Port0260Click();
    void Port0280Click();
    void Port0330Click();
    void Port0388Click();
    void Port0530Click();
    void PortD400Click();
    void COM1Click();
    void COM2Click();
    void LPT1Click();
    void LPT2Click();
    void User1Click();
    void User2Click();
    void User3Click();
    void User4Click();

  private:
    std::uint8_t read(std::uint16_t port);
    void select_port(CheckControl& button, std::uint16_t port);
    void select_user_port(CheckControl& button, int number, std::uint16_t port);
    // Lists one reading; `with_next` appends the port after it with the last value read there.
    void list_reading(std::uint16_t port, std::uint8_t value, bool with_next);

    host::PortIo& ports_;
    PortListenerControls c_;
    std::uint16_t port_address_ = 0x0388;
    bool running_ = false;
    bool changes_only_ = false;
    std::uint8_t last_base_ = 0;
    std::uint8_t last_next_ = 0;
    std::uint16_t line_number_ = 0;
};

// The listener's command table: the port buttons, the buttons and the extension box with their handlers.
CommandTable listener_commands(TTinyPortListener& listener);

} // namespace kelvor::diagnostics
