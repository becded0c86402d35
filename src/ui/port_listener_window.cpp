#include "ui/port_listener_window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <type_traits>

namespace kelvor::ui {

using diagnostics::PortListenerControls;
using diagnostics::TTinyPortListener;

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QRect rect_of(const Bounds& b) {
    return {b.left, b.top, b.width, b.height};
}

// What a screen reader calls a control without a caption.
QString description_of(const Control& c) {
    if (c.name == "PortResponse") return "Port readings";
    if (c.name == "GroupBox2") return "List options";
    return qs(c.name);
}

} // namespace

PortListenerWindow::PortListenerWindow(TTinyPortListener& listener, HandlerRunner& runner, QWidget* parent)
    : QWidget(parent, Qt::Window), listener_(listener), runner_(runner) {
    PortListenerControls& c = listener_.controls();
    // The main window alone decides when the program ends; an open listener does not keep it running.
    setAttribute(Qt::WA_QuitOnClose, false);
    widgets_[&c.form] = this;

    auto* response = new QPlainTextEdit(this);
    response->setReadOnly(true);
    response->setLineWrapMode(QPlainTextEdit::NoWrap);
    response->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    response->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    response->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    response_ = response;
    widgets_[&c.PortResponse] = response;

    auto* group1 = new QGroupBox(this);
    widgets_[&c.GroupBox1] = group1;
    const std::pair<CheckControl*, void (TTinyPortListener::*)()> port_buttons[] = {
        {&c.Port0220, &TTinyPortListener::Port0220Click}, {&c.Port0240, &TTinyPortListener::Port0240Click},
        {&c.Port0260, &TTinyPortListener::Port0260Click}, {&c.Port0280, &TTinyPortListener::Port0280Click},
        {&c.Port0330, &TTinyPortListener::Port0330Click}, {&c.Port0388, &TTinyPortListener::Port0388Click},
        {&c.Port0530, &TTinyPortListener::Port0530Click}, {&c.PortD400, &TTinyPortListener::PortD400Click},
        {&c.COM1, &TTinyPortListener::COM1Click},         {&c.COM2, &TTinyPortListener::COM2Click},
        {&c.LPT1, &TTinyPortListener::LPT1Click},         {&c.LPT2, &TTinyPortListener::LPT2Click},
        {&c.User1, &TTinyPortListener::User1Click},       {&c.User2, &TTinyPortListener::User2Click},
        {&c.User3, &TTinyPortListener::User3Click},       {&c.User4, &TTinyPortListener::User4Click},
    };
    for (auto [control, handler] : port_buttons) {
        auto* radio = new QRadioButton(group1);
        // The logic checks the chosen button and clears the others; Qt's own exclusivity would refuse to
        // clear a checked button and could disagree with it.
        radio->setAutoExclusive(false);
        connect(radio, &QAbstractButton::clicked, this, [this, handler = handler] { run(handler); });
        widgets_[control] = radio;
    }

    const std::pair<Control*, void (TTinyPortListener::*)()> buttons[] = {
        {&c.Start, &TTinyPortListener::StartClick}, {&c.ListenButton, &TTinyPortListener::ListenButtonClick},
        {&c.Stop, &TTinyPortListener::StopClick},   {&c.scan, &TTinyPortListener::scanClick},
        {&c.Exit, &TTinyPortListener::ExitClick},
    };
    for (auto [control, handler] : buttons) {
        auto* button = new QPushButton(this);
        connect(button, &QAbstractButton::clicked, this, [this, handler = handler] { run(handler); });
        widgets_[control] = button;
    }

    auto* group2 = new QGroupBox(this);
    widgets_[&c.GroupBox2] = group2;
    auto* clear = new QPushButton(group2);
    connect(clear, &QAbstractButton::clicked, this, [this] { run(&TTinyPortListener::ClearClick); });
    widgets_[&c.Clear] = clear;
    auto* extension = new QCheckBox(group2);
    connect(extension, &QAbstractButton::clicked, this, [this, extension] {
        runner_.run([this, extension] {
            listener_.controls().Extension.checked = extension->isChecked();
            listener_.ExtensionClick();
        });
    });
    widgets_[&c.Extension] = extension;

    c.for_each([&](Control& control) {
        QWidget* w = widgets_.at(&control);
        w->setObjectName(qs(control.name));
        w->setAccessibleDescription(qs(control.name));
        w->setGeometry(rect_of(control.bounds));
    });
    // A top-level window's position counts its frame, as the designed position does.
    move(c.form.bounds.left, c.form.bounds.top);

    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(c.Timer.interval_ms);
    connect(&timer_, &QTimer::timeout, this, &PortListenerWindow::tick);

    runner_.add_view([this] { sync(); });
    sync();
}

void PortListenerWindow::run(void (TTinyPortListener::*handler)()) {
    runner_.run([this, handler] { (listener_.*handler)(); });
}

// The timer always runs; a tick reads only while reading is on, so idle ticks (20 a second after Listen
// and STOP) skip the handler and the mirroring of every window.
void PortListenerWindow::tick() {
    if (listener_.running()) run(&TTinyPortListener::TimerTimer);
}

void PortListenerWindow::show_window() {
    runner_.run([this] { listener_.show(); });
    raise();
    activateWindow();
}

void PortListenerWindow::closeEvent(QCloseEvent* event) {
    runner_.run([this] { listener_.FormClose(); });
    event->accept();
}

void PortListenerWindow::sync() {
    PortListenerControls& c = listener_.controls();
    c.for_each([&](auto& control) {
        using Kind = std::decay_t<decltype(control)>;
        QWidget* w = widgets_.at(&control);
        const QSignalBlocker block(w);
        const QString caption = qs(control.caption);
        const QString name = caption.isEmpty() ? description_of(control) : caption;
        if (w->accessibleName() != name) w->setAccessibleName(name);
        if (w->isEnabled() != control.enabled) w->setEnabled(control.enabled);
        if (w == this) {
            if (windowTitle() != caption) setWindowTitle(caption);
            return; // shown and hidden last, with every widget up to date
        }
        if (w->isHidden() == control.visible) w->setVisible(control.visible);
        if (w->geometry() != rect_of(control.bounds)) w->setGeometry(rect_of(control.bounds));
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (button->text() != caption) button->setText(caption);
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            if (group->title() != caption) group->setTitle(caption);
        }
        if constexpr (std::is_same_v<Kind, CheckControl>) {
            auto* box = static_cast<QAbstractButton*>(w);
            if (box->isChecked() != control.checked) box->setChecked(control.checked);
        }
        if constexpr (std::is_same_v<Kind, TextControl>) {
            QString text;
            for (std::size_t i = 0; i < control.lines.size(); ++i) {
                if (i > 0) text += '\n';
                text += qs(control.lines[i]);
            }
            if (response_->toPlainText() != text) {
                response_->setPlainText(text);
                // The newest reading is the last line: keep it in view.
                response_->verticalScrollBar()->setValue(response_->verticalScrollBar()->maximum());
            }
        }
    });

    if (timer_.interval() != c.Timer.interval_ms) timer_.setInterval(c.Timer.interval_ms);
    if (timer_.isActive() != c.Timer.enabled) c.Timer.enabled ? timer_.start() : timer_.stop();

    if (isHidden() == c.form.visible) setVisible(c.form.visible);
}

} // namespace kelvor::ui
