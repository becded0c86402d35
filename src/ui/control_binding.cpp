#include "ui/control_binding.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "ui/chart_image.h"
#include "ui/handler_runner.h"

namespace kelvor::ui {

namespace {

constexpr int font_point_size = 8;

// Buttons, group titles and menus read "&" as a shortcut mark; captions are shown as they are.
QString shown_as_is(const std::string& caption) {
    return qt_text(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
}

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

// A label placed at its bounds is fitted into them; one in a layout gets the room its text needs.
void set_caption(QWidget* widget, const std::string& caption, bool placed) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (label->text() != qt_text(caption)) label->setText(qt_text(caption));
        if (placed) fit_label(label);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        if (button->text() != shown_as_is(caption)) button->setText(shown_as_is(caption));
    } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        if (box->title() != shown_as_is(caption)) box->setTitle(shown_as_is(caption));
    } else if (qobject_cast<QDockWidget*>(widget) != nullptr || widget->isWindow()) {
        if (widget->windowTitle() != qt_text(caption)) widget->setWindowTitle(qt_text(caption));
    }
}

// A blinking caption goes blank every other tick; a screen reader keeps the last name it had instead
// of hearing the control lose and regain its name.
void set_accessible_name(QWidget* widget, const Control& control, bool trimmed) {
    QString name = qt_text(control.caption);
    if (trimmed || name.trimmed().isEmpty()) name = name.trimmed();
    if (name.isEmpty()) {
        if (!widget->accessibleName().isEmpty()) return;
        name = qt_text(control.description.empty() ? control.name : control.description);
    }
    if (widget->accessibleName() != name) widget->setAccessibleName(name);
}

// Black is the desktop theme's own text colour (a dark theme keeps its default). Another colour holds in
// every state: the logic greys a control out by its colour where it wants it to look greyed.
void set_text_colour(QWidget* widget, Rgb colour) {
    const QColor text(colour.r, colour.g, colour.b);
    if ((colour == colours::black && !widget->testAttribute(Qt::WA_SetPalette)) ||
        widget->palette().color(QPalette::Active, QPalette::WindowText) == text)
        return;
    QPalette palette = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (auto role : {QPalette::WindowText, QPalette::ButtonText})
            palette.setColor(group, role, text);
    widget->setPalette(palette);
}

void set_lines(QPlainTextEdit* widget, const std::vector<std::string>& lines, bool follow_end) {
    QStringList text;
    for (const std::string& line : lines)
        text << qt_text(line);
    widget->setPlainText(text.join(QChar('\n')));
    if (follow_end) widget->verticalScrollBar()->setValue(widget->verticalScrollBar()->maximum());
}

} // namespace

QFont window_font() {
    QFont font(QStringLiteral("DejaVu Sans"), font_point_size);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// ---------------------------------------------------------------- binding

ControlBinding::Entry& ControlBinding::add(Control& control, QWidget* widget, Options options) {
    const QString name = qt_text(control.name);
    widget->setObjectName(name);
    widget->setAccessibleDescription(name);
    set_accessible_name(widget, control, trim_names_);
    if (auto* label = qobject_cast<QLabel*>(widget)) label->setTextFormat(Qt::PlainText);
    widget->installEventFilter(this); // hints
    entries_.push_back({&control, widget, nullptr, options, {}});
    return entries_.back();
}

void ControlBinding::bind(Control& control, QWidget* widget, Options options) {
    add(control, widget, options);
}

void ControlBinding::bind(CheckControl& control, QAbstractButton* widget, Options options) {
    add(control, widget, options).mirror_more = [&control, widget] {
        if (widget->isChecked() != control.checked) widget->setChecked(control.checked);
    };
}

void ControlBinding::bind(RangeControl& control, QAbstractSlider* widget, Options options) {
    add(control, widget, options).mirror_more = [&control, widget] {
        if (widget->minimum() != control.minimum || widget->maximum() != control.maximum)
            widget->setRange(control.minimum, control.maximum);
        if (widget->value() != control.position) widget->setValue(control.position);
    };
}

void ControlBinding::bind(RangeControl& control, QProgressBar* widget, Options options) {
    add(control, widget, options).mirror_more = [&control, widget] {
        if (widget->minimum() != control.minimum || widget->maximum() != control.maximum)
            widget->setRange(control.minimum, control.maximum);
        if (widget->value() != control.position) widget->setValue(control.position);
    };
}

void ControlBinding::bind(TextControl& control, QLineEdit* widget, Options options) {
    add(control, widget, options).mirror_more = [&control, widget] {
        QStringList text;
        for (const std::string& line : control.lines)
            text << qt_text(line);
        if (widget->text() != text.join(' ')) widget->setText(text.join(' '));
    };
}

void ControlBinding::bind(TextControl& control, QPlainTextEdit* widget, Options options) {
    bind_lines(
        control, widget, [&control] { return control.lines; }, options);
}

void ControlBinding::bind(ChoiceControl& control, QComboBox* widget, Options options) {
    add(control, widget, options).mirror_more = [&control, widget] {
        QStringList items;
        for (const std::string& line : control.lines)
            items << qt_text(line);
        QStringList shown;
        for (int i = 0; i < widget->count(); ++i)
            shown << widget->itemText(i);
        if (items != shown) {
            widget->clear();
            widget->addItems(items);
        }
        if (widget->currentIndex() != control.chosen) widget->setCurrentIndex(control.chosen);
    };
}

void ControlBinding::bind(TableControl& control, QTreeWidget* widget, Options options) {
    widget->setRootIsDecorated(false);
    widget->setUniformRowHeights(true);
    widget->setSelectionMode(QAbstractItemView::SingleSelection);
    add(control, widget, options).mirror_more = [&control, widget, chosen = -1, shown_columns = QStringList(),
                                                 shown_lines = std::vector<std::string>()]() mutable {
        QStringList columns;
        for (const std::string& column : control.columns)
            columns << qt_text(column);
        const bool changed = columns != shown_columns || control.lines != shown_lines;
        if (columns != shown_columns) widget->setHeaderLabels(columns);
        shown_columns = columns;
        if (control.lines != shown_lines) {
            shown_lines = control.lines;
            widget->clear();
            for (const std::string& line : control.lines) {
                const QString text = qt_text(line);
                auto* item = new QTreeWidgetItem(widget, text.split(QLatin1Char('\t')));
                // A row of one cell (the list's "none") spans the columns.
                if (!text.contains(QLatin1Char('\t'))) item->setFirstColumnSpanned(true);
            }
            for (int column = 0; column < widget->columnCount(); ++column)
                widget->resizeColumnToContents(column);
        }
        if (changed || chosen != control.chosen) {
            chosen = control.chosen;
            if (QTreeWidgetItem* item = widget->topLevelItem(chosen)) widget->setCurrentItem(item);
        }
    };
}

void ControlBinding::bind_lines(Control& control, QPlainTextEdit* widget,
                                std::function<std::vector<std::string>()> lines, Options options,
                                bool follow_end) {
    add(control, widget, options).mirror_more = [widget, lines = std::move(lines), follow_end,
                                                 shown = std::vector<std::string>()]() mutable {
        std::vector<std::string> now = lines();
        if (now == shown) return; // both start empty
        set_lines(widget, now, follow_end);
        shown = std::move(now);
    };
}

void ControlBinding::bind(Control& control, QAction* action) {
    action->setObjectName(qt_text(control.name));
    entries_.push_back({&control, nullptr, action, {}, {}});
}

void ControlBinding::bind(CheckControl& control, QAction* action) {
    bind(static_cast<Control&>(control), action);
    action->setCheckable(true);
    entries_.back().mirror_more = [&control, action] {
        if (action->isChecked() != control.checked) action->setChecked(control.checked);
    };
}

// ---------------------------------------------------------------- commands

ControlBinding::Entry* ControlBinding::entry_of(const Control& control) {
    for (Entry& entry : entries_)
        if (entry.control == &control) return &entry;
    return nullptr;
}

QWidget* ControlBinding::widget_of(const Control& control) const {
    for (const Entry& entry : entries_)
        if (entry.control == &control) return entry.widget;
    return nullptr;
}

void ControlBinding::connect_commands(const CommandTable& table, HandlerRunner& runner) {
    for (const Command& command : table) {
        Entry* entry = entry_of(*command.control);
        if (entry == nullptr) continue; // a control this window does not show
        if (!command.run) {
            entry->available = false;
            continue;
        }
        const auto run = [&runner, run = command.run](int value) {
            runner.run([&run, value] { run(value); });
        };
        if (entry->action != nullptr) {
            connect(
                entry->action, &QAction::triggered, this, [run] { run(0); }, Qt::QueuedConnection);
            continue;
        }
        QWidget* widget = entry->widget;
        switch (command.kind) {
        case CommandKind::click:
            if (auto* chart = qobject_cast<ChartImage*>(widget))
                connect(chart, &ChartImage::clicked, this, [run] { run(0); });
            else if (auto* button = qobject_cast<QAbstractButton*>(widget))
                connect(button, &QAbstractButton::clicked, this, [run] { run(0); });
            break;
        case CommandKind::check:
            if (auto* box = qobject_cast<QAbstractButton*>(widget))
                connect(box, &QAbstractButton::clicked, this, [run, box] { run(box->isChecked() ? 1 : 0); });
            break;
        case CommandKind::track:
            // Every move by the user (drag, click beside the handle, keys, wheel) is an action of the bar,
            // which already holds the new position when it reports the action.
            if (auto* bar = qobject_cast<QAbstractSlider*>(widget))
                connect(bar, &QAbstractSlider::actionTriggered, this, [run, bar](int action) {
                    if (action != QAbstractSlider::SliderNoAction) run(bar->sliderPosition());
                });
            break;
        case CommandKind::choose:
            if (auto* list = qobject_cast<QComboBox*>(widget))
                connect(list, qOverload<int>(&QComboBox::activated), this, [run](int index) { run(index); });
            // A list's row: clicked with the mouse, or chosen with Enter (or a double click).
            if (auto* table = qobject_cast<QTreeWidget*>(widget))
                for (auto signal : {&QAbstractItemView::clicked, &QAbstractItemView::activated})
                    connect(table, signal, this, [run](const QModelIndex& index) { run(index.row()); });
            break;
        case CommandKind::step:
            for (auto [suffix, step] : {std::pair{"_up", 1}, std::pair{"_down", -1}})
                if (auto* arrow = widget->findChild<QAbstractButton*>(widget->objectName() + suffix))
                    connect(arrow, &QAbstractButton::clicked, this, [run, step = step] { run(step); });
            break;
        }
    }
}

// ---------------------------------------------------------------- mirroring

void ControlBinding::mirror_widget(const Entry& entry) {
    const Control& control = *entry.control;
    QWidget* widget = entry.widget;
    const bool placed = entry.options.place && !widget->isWindow();
    if (placed) {
        const Bounds& b = control.bounds;
        const QRect bounds(b.left, b.top, b.width, b.height);
        if (widget->geometry() != bounds) widget->setGeometry(bounds);
    }
    set_caption(widget, control.caption, placed);
    set_accessible_name(widget, control, trim_names_);
    const bool enabled = control.enabled && entry.available;
    if (widget->isEnabled() != enabled) widget->setEnabled(enabled);
    // The default arrow is the widget's own cursor (an edit field keeps its text cursor).
    if (control.cursor == Cursor::hand_point)
        widget->setCursor(Qt::PointingHandCursor);
    else if (widget->testAttribute(Qt::WA_SetCursor))
        widget->unsetCursor();
    set_text_colour(widget, control.text_colour);
    if (!show_hint_ && widget->toolTip() != qt_text(control.hint)) widget->setToolTip(qt_text(control.hint));
    if (entry.mirror_more) entry.mirror_more();
    // Last: a widget shown here already has its place, caption and state. A window shows itself.
    if (!widget->isWindow() && widget->isHidden() == control.visible) widget->setVisible(control.visible);
}

void ControlBinding::mirror_action(const Entry& entry) {
    const Control& control = *entry.control;
    QAction* action = entry.action;
    const QString text = shown_as_is(control.caption);
    if (action->text() != text) action->setText(text);
    const bool enabled = control.enabled && entry.available;
    if (action->isEnabled() != enabled) action->setEnabled(enabled);
    if (action->isVisible() != control.visible) action->setVisible(control.visible);
    if (entry.mirror_more) entry.mirror_more();
}

void ControlBinding::mirror() {
    std::vector<QSignalBlocker> blockers;
    blockers.reserve(entries_.size());
    for (const Entry& entry : entries_)
        entry.widget != nullptr ? blockers.emplace_back(entry.widget) : blockers.emplace_back(entry.action);
    for (const Entry& entry : entries_)
        entry.widget != nullptr ? mirror_widget(entry) : mirror_action(entry);
}

bool ControlBinding::eventFilter(QObject* watched, QEvent* event) {
    if (show_hint_ && (event->type() == QEvent::Enter || event->type() == QEvent::Leave)) {
        for (const Entry& entry : entries_) {
            if (entry.widget != watched || entry.control->hint.empty()) continue;
            if (event->type() == QEvent::Enter)
                hovered_ = entry.control;
            else if (hovered_ == entry.control)
                hovered_ = nullptr;
            show_hint_(hovered_);
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kelvor::ui
