#pragma once
// The main window of the hearing test: a thin view of the window logic's control state. It creates one
// widget or menu action per control, forwards every user event to the logic's handler through the handler
// runner, and after each handler copies the control state back into the widgets (`sync`).
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <vector>

#include "core/hearing/messung.h"
#include "ui/chart_image.h"
#include "ui/handler_runner.h"

class QAbstractButton;
class QAbstractSlider;
class QAction;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QStatusBar;
class QTimer;

namespace kelvor::diagnostics {
class PortLogRing;
}

namespace kelvor::ui {

struct MirrorOptions;

// The window's font: 8-point sans serif, the face every Debian desktop has.
QFont messung_font();

// Commands that belong to the results file, printing and the screen image. The window logic does not
// carry them; a command without a function stays disabled in the window.
struct MessungFileCommands {
    std::function<void()> speichern;            // button "speichern" and menu item `speichern1`
    std::function<void()> Drucken;              // button "Drucken"
    std::function<void()> drucken1;             // menu item: print the results
    std::function<void()> lesen1;               // menu item: read the results file
    std::function<void()> Bildschirmdrucken1;   // menu item: print the window
    std::function<void()> Bildschirmspeichern1; // menu item: save the window image
    // The exports, at the end of the results menu
    std::function<void()> PDFspeichern1{};  // menu item: the printed report as "Kelvor.pdf"
    std::function<void()> CSVspeichern1{};  // menu item: "Kelvor.csv"
    std::function<void()> FHIRspeichern1{}; // menu item: "Kelvor.fhir.json"
};

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
    // `show_port_listener` runs on Ctrl+Shift+L.
    MessungWindow(hearing::TMessung& messung, HandlerRunner& runner, ChartImage* left_chart,
                  ChartImage* right_chart, const diagnostics::PortLogRing& port_log,
                  std::function<void()> show_port_listener, MessungFileCommands file_commands = {},
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

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    class ClientArea;
    struct Binding {
        const Control* control;
        QWidget* widget;
        const char* description;
        bool place;
        bool caption;
    };

    template <class W> W* add(Control& control, QWidget* parent, const char* description = "");
    QAbstractButton* add_picture_button(Control& control, QWidget* parent, const char* picture,
                                        const char* description);
    void build_tone_panel();
    void build_command_panel();
    void build_outside_panels(ChartImage* left_chart, ChartImage* right_chart);
    void build_menu();
    void connect_click(QAbstractButton* button, void (hearing::TMessung::*handler)());
    void connect_check(QAbstractButton* box, CheckControl& control, void (hearing::TMessung::*handler)());
    void connect_track_bar(QAbstractSlider* bar, void (hearing::TMessung::*handler)(int));
    void connect_file_command(QAbstractButton* button, const std::function<void()>& command);
    void run(void (hearing::TMessung::*handler)());
    void place_status_bar();
    void show_status_text();
    bool available(const Control& control) const;

    hearing::TMessung& m_;
    hearing::MessungControls& c_;
    HandlerRunner& runner_;
    const diagnostics::PortLogRing& port_log_;
    std::function<void()> show_port_listener_;
    MessungFileCommands file_commands_;
    std::function<void()> quit_;

    QWidget* client_ = nullptr; // a ClientArea
    QWidget* panel_tm_ = nullptr;
    QWidget* panel_bot_ = nullptr;
    QStatusBar* status_bar_ = nullptr;
    QLabel* status_text_ = nullptr;
    QTimer* timer1_ = nullptr;
    QTimer* timer2_ = nullptr;

    std::vector<Binding> bindings_;
    std::vector<std::pair<const CheckControl*, QAbstractButton*>> checks_;
    std::vector<std::pair<const RangeControl*, QAbstractSlider*>> bars_;
    QProgressBar* db_progress_ = nullptr;
    struct Memo {
        const TextControl* control;
        QPlainTextEdit* widget;
        std::vector<std::string> shown;
    };
    std::vector<Memo> memos_;
    QPlainTextEdit* port_data_ = nullptr;
    std::vector<std::string> port_data_shown_;
    QLineEdit* testname_ = nullptr;
    std::vector<std::pair<const Control*, QAction*>> actions_;
    // Controls whose command is not there yet: shown, but disabled.
    std::vector<const Control*> unavailable_;
    const Control* hovered_ = nullptr; // the control whose hint the status bar shows
    bool closed_ = false;
};

} // namespace kelvor::ui
