#pragma once
// Copying a control's state (core/common/control_state.h) into the Qt widget that shows it. Every widget is
// named after its control: object name and accessible description carry the control's name, the accessible
// name its caption, or a short description where the control has no caption (pictures, bars, memos).
// Everything here runs under the caller's QSignalBlocker, so nothing it sets is taken for a user's action.
#include <QString>
#include <string>
#include <vector>

#include "core/common/control_state.h"

class QAbstractButton;
class QAbstractSlider;
class QPlainTextEdit;
class QProgressBar;
class QWidget;

namespace kelvor::ui {

// The program keeps its texts in UTF-8.
inline QString qt_text(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Object name and accessible description := the control's name; accessible name := its caption, or
// `description` while it has none.
void name_widget(QWidget* widget, const Control& control, const char* description);

struct MirrorOptions {
    bool place = true;            // false where the window places the widget itself
    bool caption = true;          // false where the caption is not the widget's text (memos, edits)
    const char* description = ""; // accessible name while the caption is empty
    bool available = true;        // false where the control's command is missing: the widget stays disabled
};

// Visibility, enabled state, cursor, bounds (relative to the parent widget), caption and accessible name.
void mirror_control(const Control& control, QWidget* widget, const MirrorOptions& options);
void mirror_checked(const CheckControl& control, QAbstractButton* widget);
void mirror_range(const RangeControl& control, QAbstractSlider* widget);
void mirror_range(const RangeControl& control, QProgressBar* widget);

// A memo's lines. `shown` is what was last copied: the widget's text is replaced only when the control's
// lines change, so the user's scroll position (and anything typed into an editable memo) survives the
// windows' mirroring after every timer tick.
void mirror_lines(const std::vector<std::string>& lines, QPlainTextEdit* widget,
                  std::vector<std::string>& shown);

} // namespace kelvor::ui
