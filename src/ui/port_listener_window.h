#pragma once
// The port listener's window: one widget per control of the listener's logic, each user event forwarded to
// its handler through the runner, and one timer that keeps running at the interval the logic sets.
#include <QTimer>
#include <QWidget>

#include "core/diagnostics/port_listener.h"
#include "ui/control_binding.h"
#include "ui/handler_runner.h"

namespace kelvor::ui {

class PortListenerWindow : public QWidget {
    Q_OBJECT
  public:
    // Created hidden, as the logic's window state says; registers its mirror with the runner. The listener
    // and the runner outlive the window.
    PortListenerWindow(diagnostics::TTinyPortListener& listener, HandlerRunner& runner,
                       QWidget* parent = nullptr);

    // Shows the window and brings it to the front (the main window's key for it calls this).
    void show_window();
    // Copies the control state into the widgets and the timer.
    void sync();

    const QTimer& timer() const { return timer_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void tick();
    // Runs a handler of the listener, then every window mirrors.
    void run(void (diagnostics::TTinyPortListener::*handler)());

    diagnostics::TTinyPortListener& listener_;
    HandlerRunner& runner_;
    QTimer timer_;
    ControlBinding binding_;
};

} // namespace kelvor::ui
