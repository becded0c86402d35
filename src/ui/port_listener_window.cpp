#include "ui/port_listener_window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace kelvor::ui {

using diagnostics::PortListenerControls;
using diagnostics::TTinyPortListener;

PortListenerWindow::PortListenerWindow(TTinyPortListener& listener, HandlerRunner& runner, QWidget* parent)
    : QWidget(parent, Qt::Window), listener_(listener), runner_(runner) {
    PortListenerControls& c = listener_.controls();
    // The main window alone decides when the program ends; an open listener does not keep it running.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(window_font());
    binding_.bind(c.form, this);

    auto* response = new QPlainTextEdit(this);
    response->setReadOnly(true);
    response->setLineWrapMode(QPlainTextEdit::NoWrap);
    response->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    response->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    response->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The newest reading is the last line: it stays in view.
    binding_.bind_lines(
        c.PortResponse, response, [&c] { return c.PortResponse.lines; }, {}, true);

    auto* group1 = new QGroupBox(this);
    binding_.bind(c.GroupBox1, group1);
    c.for_each_port_button([&](CheckControl& button) {
        auto* radio = new QRadioButton(group1);
        // The logic checks the chosen button and clears the others; Qt's own exclusivity would refuse to
        // clear a checked button and could disagree with it.
        radio->setAutoExclusive(false);
        binding_.bind(button, radio);
    });
    for (Control* control : {&c.Start, &c.ListenButton, &c.Stop, &c.scan, &c.Exit})
        binding_.bind(*control, new QPushButton(this));

    auto* group2 = new QGroupBox(this);
    binding_.bind(c.GroupBox2, group2);
    binding_.bind(c.Clear, new QPushButton(group2));
    binding_.bind(c.Extension, static_cast<QAbstractButton*>(new QCheckBox(group2)));
    binding_.connect_commands(diagnostics::listener_commands(listener_), runner_);

    setGeometry(c.form.bounds.left, c.form.bounds.top, c.form.bounds.width, c.form.bounds.height);
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
    binding_.mirror();

    if (timer_.interval() != c.Timer.interval_ms) timer_.setInterval(c.Timer.interval_ms);
    if (timer_.isActive() != c.Timer.enabled) c.Timer.enabled ? timer_.start() : timer_.stop();

    if (isHidden() == c.form.visible) setVisible(c.form.visible);
}

} // namespace kelvor::ui
