#include "ui/parameter_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <type_traits>

namespace kelvor::ui {

using settings::ParameterControls;
using settings::TParameter;

namespace {

// Accessible names of the controls that have no caption of their own.
QString description_of(const std::string& name) {
    if (name == "OS_Panel") return QStringLiteral("Operating system");
    if (name == "Vol_0dB") return QStringLiteral("Calibration volume");
    return QString::fromStdString(name);
}

// Buttons and group titles read "&" as a shortcut mark; captions are shown as they are.
QString literal(const std::string& caption) {
    return QString::fromStdString(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
}

void set_text_colour(QWidget* widget, Rgb colour) {
    QPalette palette = widget->palette();
    const QColor c(colour.r, colour.g, colour.b);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::WindowText, c);
    widget->setPalette(palette);
}

// Group contents close together, as the small font wants.
void tighten(QLayout* layout) {
    layout->setContentsMargins(8, 4, 8, 6);
    layout->setSpacing(3);
}

QLabel* make_panel(QWidget* parent) {
    auto* panel = new QLabel(parent);
    panel->setTextFormat(Qt::PlainText);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setMargin(2);
    QFont bold = panel->font();
    bold.setBold(true);
    panel->setFont(bold);
    return panel;
}

} // namespace

template <class W> W* ParameterDialog::add(W* widget, const Control& control) {
    widget->setObjectName(QString::fromStdString(control.name));
    widget->setAccessibleDescription(QString::fromStdString(control.name));
    widgets_[control.name] = widget;
    return widget;
}

QAbstractButton* ParameterDialog::add_radio(CheckControl& radio, QWidget* parent) {
    auto* button = add(new QRadioButton(parent), radio);
    connect(button, &QAbstractButton::clicked, this,
            [this, &radio] { runner_.run([&] { core_.radio_click(radio); }); });
    return button;
}

void ParameterDialog::add_button(Control& control, QWidget* parent, void (TParameter::*click)()) {
    auto* button = add(new QPushButton(parent), control);
    button->setAutoDefault(false);
    connect(button, &QAbstractButton::clicked, this,
            [this, click] { runner_.run([&] { (core_.*click)(); }); });
}

// A check box: the box takes the user's click first, its handler then reads it.
QAbstractButton* ParameterDialog::add_check(CheckControl& box, QWidget* parent, void (TParameter::*click)()) {
    auto* check = add(new QCheckBox(parent), box);
    connect(check, &QAbstractButton::clicked, this, [this, &box, check, click] {
        box.checked = check->isChecked();
        runner_.run([&] { (core_.*click)(); });
    });
    return check;
}

// The up-down control: two arrows, each stepping the volume; held down, an arrow repeats.
QWidget* ParameterDialog::make_volume_arrows(QWidget* parent) {
    auto* arrows = add(new QWidget(parent), core_.controls().Vol_0dB);
    auto* layout = new QVBoxLayout(arrows);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const std::pair<Qt::ArrowType, settings::UpDownButton> both[] = {
        {Qt::UpArrow, settings::UpDownButton::up}, {Qt::DownArrow, settings::UpDownButton::down}};
    for (const auto& [arrow, which] : both) {
        auto* button = new QToolButton(arrows);
        const bool up = which == settings::UpDownButton::up;
        button->setObjectName(up ? QStringLiteral("Vol_0dB_up") : QStringLiteral("Vol_0dB_down"));
        button->setAccessibleDescription(button->objectName());
        button->setAccessibleName(up ? QStringLiteral("Volume up") : QStringLiteral("Volume down"));
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFixedSize(18, 12);
        connect(button, &QAbstractButton::clicked, this,
                [this, which] { runner_.run([&] { core_.Vol_0dBClick(which); }); });
        layout->addWidget(button);
    }
    return arrows;
}

ParameterDialog::ParameterDialog(TParameter& core, HandlerRunner& runner, QWidget* parent)
    : QWidget(parent, Qt::Dialog), core_(core), runner_(runner) {
    ParameterControls& c = core.controls();
    add(static_cast<QWidget*>(this), c.form);
    QFont small(QStringLiteral("Sans Serif"), 8);
    small.setStyleHint(QFont::SansSerif);
    setFont(small);

    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(8, 8, 8, 8);
    columns->setSpacing(10);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    left->setSpacing(6);
    right->setSpacing(6);
    columns->addLayout(left);
    columns->addLayout(right);

    auto* os = add(new QFrame(this), c.OS_Panel);
    os->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* os_layout = new QVBoxLayout(os);
    tighten(os_layout);
    os_layout->addWidget(add_radio(c.OS_Win_NT2000XP, os));
    os_layout->addWidget(add_radio(c.OS_Win_9598, os));
    left->addWidget(os);

    auto group = [&](Control& control, std::initializer_list<CheckControl*> radios) {
        auto* box = add(new QGroupBox(this), control);
        auto* layout = new QVBoxLayout(box);
        tighten(layout);
        for (CheckControl* radio : radios)
            layout->addWidget(add_radio(*radio, box));
        left->addWidget(box);
        return box;
    };
    group(c.IO_Device, {&c.Dev_Sound_Card, &c.Dev_PC_Speaker});
    group(c.IO_Method, {&c.MethB_Direct_Port, &c.MethB_Port_Driver, &c.MethB_Data_Stream});
    group(c.IO_Port_Drivers, {&c.Driver_sys, &c.Driver_vxd});
    QGroupBox* calibration = group(c.Calib_Volume, {});
    auto* volume_row = new QHBoxLayout;
    volume_row->addWidget(make_volume_arrows(calibration));
    auto* percent = add(new QLabel(calibration), c.Vol_percent);
    percent->setTextFormat(Qt::PlainText);
    volume_row->addWidget(percent);
    volume_row->addStretch();
    static_cast<QVBoxLayout*>(calibration->layout())->addLayout(volume_row);
    // The output's own options, below the groups of the paths.
    auto* options = new QVBoxLayout;
    options->setContentsMargins(2, 4, 0, 0);
    options->setSpacing(3);
    options->addWidget(add_check(c.Ear_Routing, this, &TParameter::Ear_RoutingClick));
    options->addWidget(add_check(c.Soft_Onset, this, &TParameter::Soft_OnsetClick));
    left->addLayout(options);
    left->addStretch();

    auto* ports = add(new QGroupBox(this), c.Port_Addr);
    auto* grid = new QGridLayout(ports);
    tighten(grid);
    constexpr int rows = static_cast<int>(settings::port_choice_count) / 2;
    for (int i = 0; i < static_cast<int>(settings::port_choice_count); ++i)
        grid->addWidget(add_radio(c.ports[static_cast<std::size_t>(i)], ports), i % rows, i / rows);
    QLabel* test_port = add(make_panel(ports), c.Test_port);
    QLabel* active_port = add(make_panel(ports), c.active_Port);
    // Wide enough for the longest port text in either language, so the window keeps its size.
    const QFontMetrics bold(test_port->font());
    const int text_width = bold.horizontalAdvance(QString::fromStdString(
        settings::german_dialog_texts().active_prefix + settings::port_table[0].description));
    test_port->setMinimumWidth(text_width + 12);
    grid->addWidget(test_port, rows, 0, 1, 2);
    grid->addWidget(active_port, rows + 1, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    add_button(c.Port_Test, ports, &TParameter::Port_TestClick);
    add_button(c.Port_Cancel, ports, &TParameter::Port_CancelClick);
    buttons->addWidget(widgets_.at(c.Port_Test.name));
    buttons->addWidget(widgets_.at(c.Port_Cancel.name));
    buttons->addStretch();
    grid->addLayout(buttons, rows + 2, 0, 1, 2);
    right->addWidget(ports);
    right->addStretch();
    auto* ok_row = new QHBoxLayout;
    ok_row->addStretch();
    add_button(c.Port_ok, this, &TParameter::Port_okClick);
    ok_row->addWidget(widgets_.at(c.Port_ok.name));
    right->addLayout(ok_row);

    runner.add_view([this] { sync(); });
    sync();
}

QWidget* ParameterDialog::widget_of(const std::string& name) const {
    const auto it = widgets_.find(name);
    return it == widgets_.end() ? nullptr : it->second;
}

void ParameterDialog::mirror(const Control& control) {
    QWidget* w = widget_of(control.name);
    if (w == nullptr || w == this) return;
    const QSignalBlocker blocker(w);
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(literal(control.caption));
    else if (auto* box = qobject_cast<QGroupBox*>(w))
        box->setTitle(literal(control.caption));
    else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(QString::fromStdString(control.caption));
        set_text_colour(label, control.text_colour);
    }
    w->setAccessibleName(control.caption.empty() ? description_of(control.name)
                                                 : QString::fromStdString(control.caption));
    w->setToolTip(QString::fromStdString(control.hint));
    w->setEnabled(control.enabled);
    w->setVisible(control.visible);
}

void ParameterDialog::mirror_form() {
    const Control& form = core_.controls().form;
    setWindowTitle(QString::fromStdString(form.caption));
    setAccessibleName(QString::fromStdString(form.caption));
    if (!form.visible) {
        if (isVisible()) hide();
        return;
    }
    // Asked to show while already shown: the window comes to the front and becomes active again.
    if (!isVisible() || shown_requests_ != core_.show_requests()) {
        shown_requests_ = core_.show_requests();
        show();
        raise();
        activateWindow();
    }
}

void ParameterDialog::sync() {
    core_.controls().for_each([this](auto& control) {
        mirror(control);
        if constexpr (std::is_same_v<std::decay_t<decltype(control)>, CheckControl>) {
            auto* radio = qobject_cast<QAbstractButton*>(widget_of(control.name));
            const QSignalBlocker blocker(radio);
            radio->setChecked(control.checked);
        }
    });
    mirror_form();
}

bool ParameterDialog::event(QEvent* event) {
    // Every activation, also when focus comes back from the main window or from a message box.
    if (event->type() == QEvent::WindowActivate) runner_.run([this] { core_.FormActivate(); });
    return QWidget::event(event);
}

void ParameterDialog::closeEvent(QCloseEvent* event) {
    // The title bar's close; "o.k. select" closes the dialog in the logic, which then only hides it here.
    if (core_.controls().form.visible) runner_.run([this] { core_.FormClose(); });
    QWidget::closeEvent(event);
}

} // namespace kelvor::ui
