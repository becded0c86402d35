#include "core/diagnostics/port_listener.h"

#include "core/common/text_format.h"
#include "core/host/port_io.h"

namespace kelvor::diagnostics {

namespace {

constexpr std::uint16_t user_port_1 = 0x0700;
constexpr std::uint16_t user_port_2 = 0x0070;
constexpr std::uint16_t user_port_3 = 0x0061; // speaker gate and timer status
constexpr std::uint16_t user_port_4 = 0x0060; // keyboard controller data

std::string user_caption(int number) {
    return "User " + std::to_string(number) + ":";
}

} // namespace

char hex_digit(unsigned value) {
    return value < 10 ? char('0' + value) : value < 16 ? char('A' + value - 10) : '*';
}

std::string hex_byte(std::uint8_t value) {
    return {hex_digit(value >> 4), hex_digit(value & 0x0Fu)};
}

std::string hex_word(std::uint16_t value) {
    return hex_byte(static_cast<std::uint8_t>(value >> 8)) +
           hex_byte(static_cast<std::uint8_t>(value & 0xFFu));
}

// The window as it is designed. The list and the command buttons share the top, the port choices fill
// the bottom in four rows of four; positions inside a group box are relative to it.
PortListenerControls::PortListenerControls() {
    form.caption = listener_caption;
    form.visible = false; // created hidden
    form.bounds = {200, 108, 514, 433};

    PortResponse.description = "Port readings";
    PortResponse.lines.assign(listener_line_count, "");
    PortResponse.bounds = {8, 8, 320, 200}; // twelve lines of the fixed font and the bottom scroll bar

    Start.caption = "START";
    Start.bounds = {340, 8, 80, 28};
    ListenButton.caption = "Listen";
    ListenButton.bounds = {426, 8, 80, 28};
    Stop.caption = "STOP";
    Stop.bounds = {340, 42, 80, 28};
    scan.caption = "Scan";
    scan.bounds = {426, 42, 80, 28};
    Exit.caption = "Exit";
    Exit.bounds = {426, 180, 80, 28};

    GroupBox2.description = "List options";
    GroupBox2.bounds = {340, 80, 166, 84};
    Clear.caption = "Clear";
    Clear.bounds = {10, 22, 80, 26};
    Extension.caption = "incl. Base+1";
    Extension.bounds = {10, 54, 146, 20};

    GroupBox1.caption = "Port Group:";
    GroupBox1.bounds = {8, 224, 498, 200};
    const char* captions[] = {"Port $0220", "Port $0240", "Port $0260", "Port $0280",
                              "Port $0330", "Port $0388", "Port $0530", "Port $D400",
                              "COM1 $03F8", "COM2 $02F8", "LPT1 $0378", "LPT2 $0278",
                              nullptr,      nullptr,      nullptr,      nullptr};
    int i = 0;
    for_each_port_button([&](CheckControl& button) {
        button.caption = captions[i] ? captions[i] : user_caption(i - 11);
        button.bounds = {12 + (i % 4) * 121, 34 + (i / 4) * 40, 116, 22};
        ++i;
    });
    Port0388.checked = true;
}

TTinyPortListener::TTinyPortListener(host::PortIo& ports) : ports_(ports) {}

void TTinyPortListener::show() {
    c_.form.visible = true;
}

std::uint8_t TTinyPortListener::read(std::uint16_t port) {
    std::uint8_t value = 0;
    return ports_.read_port(port, value) ? value : failed_read_value;
}

// ---------------------------------------------------------------- port choice

void TTinyPortListener::select_port(CheckControl& button, std::uint16_t port) {
    c_.for_each_port_button([&](CheckControl& b) { b.checked = &b == &button; });
    port_address_ = port;
}

void TTinyPortListener::select_user_port(CheckControl& button, int number, std::uint16_t port) {
    select_port(button, port);
    button.caption = user_caption(number) + " $" + hex_word(port);
}

void TTinyPortListener::Port0220Click() {
    select_port(c_.Port0220, 0x0220);
}
void TTinyPortListener::Port0240Click() {
    select_port(c_.Port0240, 0x0240);
}
void TTinyPortListener::Port0260Click() {
    select_port(c_.Port0260, 0x0260);
}
void TTinyPortListener::Port0280Click() {
    select_port(c_.Port0280, 0x0280);
}
void TTinyPortListener::Port0330Click() {
    select_port(c_.Port0330, 0x0330);
}
void TTinyPortListener::Port0388Click() {
    select_port(c_.Port0388, 0x0388);
}
void TTinyPortListener::Port0530Click() {
    select_port(c_.Port0530, 0x0530);
}
void TTinyPortListener::PortD400Click() {
    select_port(c_.PortD400, 0xD400);
}
void TTinyPortListener::COM1Click() {
    select_port(c_.COM1, 0x03F8);
}
void TTinyPortListener::COM2Click() {
    select_port(c_.COM2, 0x02F8);
}
void TTinyPortListener::LPT1Click() {
    select_port(c_.LPT1, 0x0378);
}
void TTinyPortListener::LPT2Click() {
    select_port(c_.LPT2, 0x0278);
}
void TTinyPortListener::User1Click() {
    select_user_port(c_.User1, 1, user_port_1);
}
void TTinyPortListener::User2Click() {
    select_user_port(c_.User2, 2, user_port_2);
}
void TTinyPortListener::User3Click() {
    select_user_port(c_.User3, 3, user_port_3);
}
void TTinyPortListener::User4Click() {
    select_user_port(c_.User4, 4, user_port_4);
}

// ---------------------------------------------------------------- commands

void TTinyPortListener::StartClick() {
    running_ = true;
    changes_only_ = false;
    last_base_ = 0;
    last_next_ = 0;
    c_.Timer.interval_ms = listen_every_tick_ms;
}

// Listening carries on from the last values, so a value unchanged since the last reading is not listed.
void TTinyPortListener::ListenButtonClick() {
    running_ = true;
    changes_only_ = true;
    c_.Timer.interval_ms = listen_changes_ms;
}

void TTinyPortListener::StopClick() {
    running_ = false;
    changes_only_ = false;
}

void TTinyPortListener::ExitClick() {
    FormClose();
}

void TTinyPortListener::FormClose() {
    c_.form.visible = false;
}

void TTinyPortListener::ClearClick() {
    line_number_ = 0;
    c_.PortResponse.lines.assign(listener_line_count, ":>");
}

void TTinyPortListener::TimerTimer() {
    if (!running_) return;
    const bool with_next = c_.Extension.checked;
    const std::uint8_t base = read(port_address_);
    const std::uint8_t next = with_next ? read(static_cast<std::uint16_t>(port_address_ + 1)) : 0;
    const bool changed = base != last_base_ || (with_next && next != last_next_);
    if (changed) {
        last_base_ = base;
        if (with_next) last_next_ = next;
    }
    if (changed || !changes_only_) list_reading(port_address_, base, with_next);
}

// The scan reads only the ports of its range, one after the other; a line marks where the value changes
// from one port to the next (or from the last value seen before the scan). It has no reading of the port
// after each one, so its lines leave out the Base+1 part: the last value listened to there would be shown
// under the wrong port.
void TTinyPortListener::scanClick() {
    running_ = false;
    changes_only_ = false;
    for (int offset = 0; offset < scan_port_count; ++offset) {
        const auto port = static_cast<std::uint16_t>(scan_first_port + offset);
        const std::uint8_t value = read(port);
        if (value == last_base_) continue;
        last_base_ = value;
        list_reading(port, value, false);
    }
}

void TTinyPortListener::list_reading(std::uint16_t port, std::uint8_t value, bool with_next) {
    auto& lines = c_.PortResponse.lines;
    lines.erase(lines.begin());
    line_number_ = line_number_ == 65535 ? 1 : static_cast<std::uint16_t>(line_number_ + 1);
    std::string text = port_value_text(port, value);
    if (with_next) text += "  " + port_value_text(static_cast<std::uint16_t>(port + 1), last_next_);
    if (text.size() > listener_text_max) text.resize(listener_text_max);
    lines.push_back(std::to_string(line_number_) + ":> " + text);
}

CommandTable listener_commands(TTinyPortListener& listener) {
    using L = TTinyPortListener;
    PortListenerControls& c = listener.controls();
    const auto on = [&listener](void (L::*handler)()) {
        return [&listener, handler] { (listener.*handler)(); };
    };
    // The listener checks the chosen port button and clears the others itself.
    const auto port = [&on](CheckControl& button, void (L::*handler)()) {
        return Command{&button, CommandKind::check, [run = on(handler)](int) { run(); }};
    };
    return {
        port(c.Port0220, &L::Port0220Click),
        port(c.Port0240, &L::Port0240Click),
        port(c.Port0260, &L::Port0260Click),
        port(c.Port0280, &L::Port0280Click),
        port(c.Port0330, &L::Port0330Click),
        port(c.Port0388, &L::Port0388Click),
        port(c.Port0530, &L::Port0530Click),
        port(c.PortD400, &L::PortD400Click),
        port(c.COM1, &L::COM1Click),
        port(c.COM2, &L::COM2Click),
        port(c.LPT1, &L::LPT1Click),
        port(c.LPT2, &L::LPT2Click),
        port(c.User1, &L::User1Click),
        port(c.User2, &L::User2Click),
        port(c.User3, &L::User3Click),
        port(c.User4, &L::User4Click),
        click_command(c.Start, on(&L::StartClick)),
        click_command(c.ListenButton, on(&L::ListenButtonClick)),
        click_command(c.Stop, on(&L::StopClick)),
        click_command(c.scan, on(&L::scanClick)),
        click_command(c.Exit, on(&L::ExitClick)),
        click_command(c.Clear, on(&L::ClearClick)),
        check_command(c.Extension, on(&L::ExtensionClick)),
    };
}

} // namespace kelvor::diagnostics
