#include "ui/parameter_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace kelvor::ui {

using settings::ParameterControls;

namespace {

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

// Placed by the dialog's layouts, not at bounds.
template <class W, class C> W* ParameterDialog::add(W* widget, C& control) {
    binding_.bind(control, widget, {.place = false});
    widgets_[control.name] = widget;
    return widget;
}

// The up-down control: two arrows, each stepping the volume; held down, an arrow repeats.
QWidget* ParameterDialog::make_volume_arrows(QWidget* parent) {
    auto* arrows = add(new QWidget(parent), core_.controls().Vol_0dB);
    auto* layout = new QVBoxLayout(arrows);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The command table's step runs for each click (core/common/commands.h).
    for (const bool up : {true, false}) {
        const Qt::ArrowType arrow = up ? Qt::UpArrow : Qt::DownArrow;
        auto* button = new QToolButton(arrows);
        button->setObjectName(up ? QStringLiteral("Vol_0dB_up") : QStringLiteral("Vol_0dB_down"));
        button->setAccessibleDescription(button->objectName());
        button->setAccessibleName(up ? QStringLiteral("Volume up") : QStringLiteral("Volume down"));
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFixedSize(18, 12);
        layout->addWidget(button);
    }
    return arrows;
}

ParameterDialog::ParameterDialog(settings::TParameter& core, HandlerRunner& runner, QWidget* parent)
    : QWidget(parent, Qt::Dialog), core_(core), runner_(runner) {
    ParameterControls& c = core.controls();
    add(static_cast<QWidget*>(this), c.form);
    setFont(window_font());
    const auto radio = [&](CheckControl& control, QWidget* parent) {
        return add(new QRadioButton(parent), control);
    };
    const auto button = [&](Control& control, QWidget* parent) {
        auto* push = add(new QPushButton(parent), control);
        push->setAutoDefault(false);
        return push;
    };

    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(8, 8, 8, 8);
    columns->setSpacing(10);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    right_column_ = right;
    left->setSpacing(6);
    right->setSpacing(6);
    columns->addLayout(left);
    columns->addLayout(right);

    auto* os = add(new QFrame(this), c.OS_Panel);
    os->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* os_layout = new QVBoxLayout(os);
    tighten(os_layout);
    os_layout->addWidget(radio(c.OS_Win_NT2000XP, os));
    os_layout->addWidget(radio(c.OS_Win_9598, os));
    left->addWidget(os);

    auto group = [&](Control& control, std::initializer_list<CheckControl*> radios) {
        auto* box = add(new QGroupBox(this), control);
        auto* layout = new QVBoxLayout(box);
        tighten(layout);
        for (CheckControl* choice : radios)
            layout->addWidget(radio(*choice, box));
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
    options->addWidget(add(new QCheckBox(this), c.Ear_Routing));
    options->addWidget(add(new QCheckBox(this), c.Soft_Onset));
    options->addWidget(add(new QCheckBox(this), c.Confirm_Thresholds));
    options->addWidget(add(new QCheckBox(this), c.Watch_Room));
    left->addLayout(options);
    left->addStretch();

    auto* ports = add(new QGroupBox(this), c.Port_Addr);
    auto* grid = new QGridLayout(ports);
    tighten(grid);
    constexpr int rows = static_cast<int>(settings::port_choice_count) / 2;
    for (int i = 0; i < static_cast<int>(settings::port_choice_count); ++i)
        grid->addWidget(radio(c.ports[static_cast<std::size_t>(i)], ports), i % rows, i / rows);
    QLabel* test_port = add(make_panel(ports), c.Test_port);
    QLabel* active_port = add(make_panel(ports), c.active_Port);
    // Wide enough for the longest port text in either language, so the window keeps its size.
    const QFontMetrics bold(test_port->font());
    const int text_width =
        bold.horizontalAdvance(qt_text(std::string(settings::text_in(settings::Text::active_port, true)) +
                                       settings::port_table[0].description));
    test_port->setMinimumWidth(text_width + 12);
    grid->addWidget(test_port, rows, 0, 1, 2);
    grid->addWidget(active_port, rows + 1, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button(c.Port_Test, ports));
    buttons->addWidget(button(c.Port_Cancel, ports));
    buttons->addStretch();
    grid->addLayout(buttons, rows + 2, 0, 1, 2);
    right->addWidget(ports);
    right->addStretch();
    auto* ok_row = new QHBoxLayout;
    ok_row->addStretch();
    ok_row->addWidget(button(c.Port_ok, this));
    right->addLayout(ok_row);

    binding_.connect_commands(settings::parameter_commands(core_), runner_);
    binding_.connect_commands(settings::test_option_commands(core_), runner_);
    binding_.connect_commands(settings::room_option_commands(core_), runner_);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
        if (focus != nullptr && focus != windowHandle()) core_.focus_elsewhere();
    });
    runner.add_view([this] { sync(); });
    sync();
}

QWidget* ParameterDialog::widget_of(const std::string& name) const {
    const auto it = widgets_.find(name);
    return it == widgets_.end() ? nullptr : it->second;
}

void ParameterDialog::add_profiles(profile::ProfileControls& controls, const CommandTable& commands) {
    auto* box = add(new QGroupBox(this), controls.Profile_Group);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->addWidget(add(new QComboBox(box), controls.Profile_List));
    right_column_->insertWidget(1, box); // below the port group
    binding_.connect_commands(commands, runner_);
    sync();
}

void ParameterDialog::mirror_form() {
    const Control& form = core_.controls().form;
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
    binding_.mirror();
    mirror_form();
}

bool ParameterDialog::event(QEvent* event) {
    // Every activation, also when focus comes back from the main window or from a message box.
    if (event->type() == QEvent::WindowActivate) runner_.run([this] { core_.window_activated(); });
    return QWidget::event(event);
}

void ParameterDialog::showEvent(QShowEvent* event) {
    // Shown by the program (not restored from the task bar): set up now, focus or not.
    if (!event->spontaneous()) runner_.run([this] { core_.FormShow(); });
    QWidget::showEvent(event);
}

void ParameterDialog::closeEvent(QCloseEvent* event) {
    // The title bar's close; "o.k. select" closes the dialog in the logic, which then only hides it here.
    if (core_.controls().form.visible) runner_.run([this] { core_.FormClose(); });
    QWidget::closeEvent(event);
}

} // namespace kelvor::ui
