#include "ui/control_mirror.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>

namespace kelvor::ui {

namespace {

// The texts were laid out for a narrower font than the desktop's: a static text wider than its bounds is
// drawn in a smaller size (down to 6 points) rather than cut off.
void fit_label(QLabel* label) {
    constexpr int smallest_point_size = 6;
    const char* base_property = "kelvor_base_point_size";
    if (!label->property(base_property).isValid())
        label->setProperty(base_property, label->font().pointSize());
    QFont font = label->font();
    const int room = label->width() - 2 * label->margin();
    for (int size = label->property(base_property).toInt(); size >= smallest_point_size; --size) {
        font.setPointSize(size);
        if (QFontMetrics(font).horizontalAdvance(label->text()) <= room) break;
    }
    if (font.pointSize() != label->font().pointSize()) label->setFont(font);
}

void set_caption(QWidget* widget, const QString& caption) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (label->text() != caption) label->setText(caption);
        fit_label(label);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        if (button->text() != caption) button->setText(caption);
    } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        if (box->title() != caption) box->setTitle(caption);
    } else if (widget->isWindow()) {
        if (widget->windowTitle() != caption) widget->setWindowTitle(caption);
    }
}

// A blinking caption goes blank every other tick; a screen reader keeps the last name it had instead
// of hearing the control lose and regain its name.
void set_accessible_name(QWidget* widget, const std::string& caption, const char* description) {
    QString name = qt_text(caption).trimmed();
    if (name.isEmpty()) {
        if (!widget->accessibleName().isEmpty()) return;
        name = QString::fromUtf8(description);
    }
    if (widget->accessibleName() != name) widget->setAccessibleName(name);
}

QColor qt_colour(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

} // namespace

void name_widget(QWidget* widget, const Control& control, const char* description) {
    const QString name = qt_text(control.name);
    widget->setObjectName(name);
    widget->setAccessibleDescription(name);
    set_accessible_name(widget, control.caption, description);
}

void mirror_control(const Control& control, QWidget* widget, const MirrorOptions& options) {
    if (options.place && !widget->isWindow()) {
        const Bounds& b = control.bounds;
        const QRect bounds(b.left, b.top, b.width, b.height);
        if (widget->geometry() != bounds) widget->setGeometry(bounds);
    }
    if (options.caption) set_caption(widget, qt_text(control.caption));
    set_accessible_name(widget, control.caption, options.description);
    const bool enabled = control.enabled && options.available;
    if (widget->isEnabled() != enabled) widget->setEnabled(enabled);
    // The default arrow is the widget's own cursor (an edit field keeps its text cursor).
    if (control.cursor == Cursor::hand_point)
        widget->setCursor(Qt::PointingHandCursor);
    else if (widget->testAttribute(Qt::WA_SetCursor))
        widget->unsetCursor();
    // Black is the default; other colours are set for the active and inactive states only, so a
    // disabled control still looks disabled (and a dark desktop theme keeps its own default).
    const QColor text = qt_colour(control.text_colour);
    if ((control.text_colour != colours::black || widget->testAttribute(Qt::WA_SetPalette)) &&
        widget->palette().color(QPalette::Active, QPalette::WindowText) != text) {
        QPalette palette = widget->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive})
            for (auto role : {QPalette::WindowText, QPalette::ButtonText})
                palette.setColor(group, role, text);
        widget->setPalette(palette);
    }
    // Last: a widget shown here already has its place, caption and state.
    if (!widget->isWindow() && widget->isHidden() == control.visible) widget->setVisible(control.visible);
}

void mirror_checked(const CheckControl& control, QAbstractButton* widget) {
    if (widget->isChecked() != control.checked) widget->setChecked(control.checked);
}

void mirror_range(const RangeControl& control, QAbstractSlider* widget) {
    if (widget->minimum() != control.minimum || widget->maximum() != control.maximum)
        widget->setRange(control.minimum, control.maximum);
    if (widget->value() != control.position) widget->setValue(control.position);
}

void mirror_range(const RangeControl& control, QProgressBar* widget) {
    if (widget->minimum() != control.minimum || widget->maximum() != control.maximum)
        widget->setRange(control.minimum, control.maximum);
    if (widget->value() != control.position) widget->setValue(control.position);
}

void mirror_lines(const std::vector<std::string>& lines, QPlainTextEdit* widget,
                  std::vector<std::string>& shown) {
    if (lines == shown) return; // both start empty
    QStringList text;
    for (const std::string& line : lines)
        text << qt_text(line);
    widget->setPlainText(text.join(QChar('\n')));
    shown = lines;
}

} // namespace kelvor::ui
