#pragma once
// Modal message boxes with a fixed text and an OK button. The real box keeps the window's timers
// running while it is open, so a handler that shows one can see timer ticks run inside it.
#include <string>

namespace kelvor::host {

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual void message_box(const std::string& text) = 0;
    // A question with two answers, `first` the default; true when the user chose `first`. Where a
    // dialog cannot ask, it shows the text and takes the second answer.
    virtual bool question(const std::string& text, const std::string& first, const std::string& second) {
        (void)first;
        (void)second;
        message_box(text);
        return false;
    }
};

} // namespace kelvor::host
