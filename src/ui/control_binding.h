#pragma once
// The one way a window's widgets mirror the core's control state (core/common/control_state.h) and run its
// command table (core/common/commands.h). Every bound widget is named after its control: object name and
// accessible description carry the control's name, the accessible name its caption with the blanks at
// either end removed, or, while it has none, the control's description. Captions are shown as they are
// ("&" is no shortcut mark); hints become tooltips unless the window shows them itself. Mirroring runs
// under signal blockers, so nothing it sets is taken for a user's action.
#include <QFont>
#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "core/common/commands.h"
#include "core/common/control_state.h"

class QAbstractButton;
class QAbstractSlider;
class QAction;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QTreeWidget;
class QWidget;

namespace kelvor::ui {

class HandlerRunner;

// The program keeps its texts in UTF-8.
inline QString qt_text(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The windows' font: 8-point DejaVu Sans (a sans serif every Debian desktop has), the size the controls'
// bounds were laid out for. The program sets it for the whole application; each window sets it too.
QFont window_font();

// `place`: the widget takes the control's bounds (relative to its parent); false where a layout or the
// window places it.
struct BindOptions {
    bool place = true;
};

class ControlBinding : public QObject {
  public:
    using Options = BindOptions;

    void bind(Control& control, QWidget* widget, Options options = {});
    void bind(CheckControl& control, QAbstractButton* widget, Options options = {});
    void bind(RangeControl& control, QAbstractSlider* widget, Options options = {});
    void bind(RangeControl& control, QProgressBar* widget, Options options = {});
    void bind(TextControl& control, QLineEdit* widget, Options options = {});
    void bind(TextControl& control, QPlainTextEdit* widget, Options options = {});
    void bind(ChoiceControl& control, QComboBox* widget, Options options = {});
    // A list with columns, one row a line. The chosen row is set only when the logic changes it, so the
    // highlight the user moves with the arrow keys stays until a click or Enter chooses.
    void bind(TableControl& control, QTreeWidget* widget, Options options = {});
    // A memo whose lines come from elsewhere. Its text is replaced only when the lines change, so the
    // user's scroll position survives the mirroring after every tick; `follow_end` brings the last line
    // into view after each change.
    void bind_lines(Control& control, QPlainTextEdit* widget, std::function<std::vector<std::string>()> lines,
                    Options options = {}, bool follow_end = false);
    // A menu title's or item's action: caption, enabled, visible.
    void bind(Control& control, QAction* action);
    // A menu item with a check mark: the same, and the mark.
    void bind(CheckControl& control, QAction* action);

    // Connects each command to its control's user signal (never to a signal the program's own changes
    // cause); the handler runs through `runner`. Menu commands run once the event that chose them has been
    // answered. A control whose command has no handler stays disabled.
    void connect_commands(const CommandTable& table, HandlerRunner& runner);

    // Instead of tooltips: `show` is told the control with a hint under the pointer, and null when the
    // pointer has left it.
    void show_hints_with(std::function<void(const Control*)> show) { show_hint_ = std::move(show); }

    // The accessible name is the caption as it stands, blanks included; the main window's names have
    // always been trimmed (`trim_names`), and screen readers and tests know its controls by those.
    void trim_names(bool trim) { trim_names_ = trim; }

    QWidget* widget_of(const Control& control) const;
    // Copies every bound control into its widget or action.
    void mirror();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Entry {
        Control* control;
        QWidget* widget;
        QAction* action;
        Options options;
        std::function<void()> mirror_more; // what the control's kind adds
        bool available = true;
    };
    Entry& add(Control& control, QWidget* widget, Options options);
    void mirror_widget(const Entry& entry);
    void mirror_action(const Entry& entry);
    Entry* entry_of(const Control& control);

    std::vector<Entry> entries_;
    std::function<void(const Control*)> show_hint_;
    const Control* hovered_ = nullptr;
    bool trim_names_ = false;
};

} // namespace kelvor::ui
