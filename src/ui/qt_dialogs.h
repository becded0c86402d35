#pragma once
// Modal message boxes with the program's fixed text and an OK button. The event loop keeps running while a
// box is open, so the windows' timers go on ticking inside it, as the test procedure expects.
#include <QWidget>
#include <string>

#include "core/host/dialogs.h"
#include "core/host/name_prompt.h"
#include "ui/handler_runner.h"

namespace kelvor::ui {

constexpr const char* message_box_title = "Kelvor";

class QtDialogs final : public host::Dialogs {
  public:
    // `runner` mirrors the windows before a box opens; `parent` is the window the box belongs to (may be
    // null, or set later).
    explicit QtDialogs(HandlerRunner& runner, QWidget* parent = nullptr) : runner_(runner), parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }

    void message_box(const std::string& text) override;
    bool question(const std::string& text, const std::string& first, const std::string& second) override;

  private:
    HandlerRunner& runner_;
    QWidget* parent_;
};

// The dialog that asks for a name, its controls bound like every window's.
class QtNamePrompt final : public host::NamePrompt {
  public:
    explicit QtNamePrompt(HandlerRunner& runner, QWidget* parent = nullptr)
        : runner_(runner), parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }

    std::optional<std::string> ask(host::NamePromptControls& controls) override;

  private:
    HandlerRunner& runner_;
    QWidget* parent_;
};

} // namespace kelvor::ui
