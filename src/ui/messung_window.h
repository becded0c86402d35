#pragma once
// The main window of the hearing test: a thin view of the window logic's control state. It creates one
// widget or menu action per control and binds it (ui/control_binding.h); the command table says which
// handler each user event runs through the handler runner; after each handler the binding copies the
// control state back into the widgets (`sync`).
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>

#include "core/common/commands.h"
#include "core/hearing/messung.h"
#include "core/profile/hearing_profiles.h"
#include "ui/chart_image.h"
#include "ui/control_binding.h"
#include "ui/handler_runner.h"

class QAbstractButton;
class QCloseEvent;
class QDockWidget;
class QLabel;
class QPlainTextEdit;
class QStatusBar;
class QTimer;

namespace kelvor::diagnostics {
class PortLogRing;
}

namespace kelvor::ui {

// The window logic's hold on its window: closing it runs the window's close event, as the user's close
// does. The logic is made before the window, which is attached once it exists.
class MessungWindowHost final : public hearing::WindowHost {
  public:
    void attach(QWidget* window) { window_ = window; }
    void close() override {
        if (window_) window_->close();
    }

  private:
    QPointer<QWidget> window_;
};

class MessungWindow : public QMainWindow {
    Q_OBJECT
  public:
    // The window adopts the two chart images (the charts already draw on them) as children and shows
    // them at the left and right chart's bounds. `port_log` is the port log memo's text;
    // `show_port_listener` runs on Ctrl+Shift+L. `commands` is the window's command table
    // (hearing::messung_commands); empty: the window logic's own, without the file commands.
    MessungWindow(hearing::TMessung& messung, HandlerRunner& runner, ChartImage* left_chart,
                  ChartImage* right_chart, const diagnostics::PortLogRing& port_log,
                  std::function<void()> show_port_listener, CommandTable commands = {},
                  QWidget* parent = nullptr);
    ~MessungWindow() override;

    // Copies every control's state into its widget, under signal blockers.
    void sync();
    // The window's area below the menu bar, where the layout places the controls (status bar included).
    QWidget* client_area() const { return client_; }
    // Its size now (the window's layout settled first, also before the window is shown).
    QSize client_size() const;
    // Start-up: the window logic's FormCreate with the client size of this moment.
    void form_create();
    // The two timers, started once and never stopped.
    void start_timers();
    // What ends the program once the window has closed (the application's event loops quit by default).
    void set_quit(std::function<void()> quit) { quit_ = std::move(quit); }

    QStatusBar* status_bar() const { return status_bar_; }

    // The profiles' controls of this window: the reference run's item at the end of the options menu and
    // the hearing level panel at the window's foot; `commands` is profile::profile_commands.
    void add_profiles(profile::HearingProfiles& profiles, const CommandTable& commands);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    class ClientArea;

    template <class W, class C> W* add(C& control, QWidget* parent);
    QAbstractButton* add_picture_button(Control& control, QWidget* parent, const char* picture);
    void build_tone_panel();
    void build_command_panel();
    void build_outside_panels(ChartImage* left_chart, ChartImage* right_chart);
    void build_menu();
    void run(void (hearing::TMessung::*handler)());
    void place_status_bar();
    void show_status_text();
    void fit_levels_panel();

    hearing::TMessung& m_;
    hearing::MessungControls& c_;
    HandlerRunner& runner_;
    const diagnostics::PortLogRing& port_log_;
    std::function<void()> show_port_listener_;
    std::function<void()> quit_;
    ControlBinding binding_;

    QWidget* client_ = nullptr; // a ClientArea
    QStatusBar* status_bar_ = nullptr;
    QLabel* status_text_ = nullptr;
    QTimer* timer1_ = nullptr;
    QTimer* timer2_ = nullptr;
    const Control* hovered_ = nullptr;       // the control whose hint the status bar shows
    std::map<const Control*, QMenu*> menus_; // by their titles
    QDockWidget* levels_panel_ = nullptr;
    QPlainTextEdit* levels_text_ = nullptr;
    int levels_grown_ = 0; // what the window has grown by for the panel
    // What the panel was last fitted to: the window mirrors after every tick, the panel changes seldom.
    QString levels_fitted_text_;
    int levels_fitted_width_ = -1;
    bool syncing_ = false;
    bool closed_ = false;
};

} // namespace kelvor::ui
