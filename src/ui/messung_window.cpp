#include "ui/messung_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "core/diagnostics/log_buffer.h"
#include "core/hearing/messung_command_table.h"
#include "ui/pictures.h"

namespace kelvor::ui {

using hearing::TMessung;

namespace {

constexpr int bold_large_point_size = 10;
constexpr int track_tick_interval = 2;
const QColor memo_german_background(0, 255, 0); // lime
const QKeySequence port_listener_keys(Qt::CTRL | Qt::SHIFT | Qt::Key_L);

void make_bold(QWidget* widget, int point_size = 0) {
    QFont font = widget->font();
    font.setBold(true);
    if (point_size > 0) font.setPointSize(point_size);
    widget->setFont(font);
}

} // namespace

// The window's area below the menu bar. Every change of its size is the window logic's resize.
class MessungWindow::ClientArea : public QWidget {
  public:
    explicit ClientArea(MessungWindow& window) : QWidget(&window), window_(window) {}

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        window_.place_status_bar();
        const int w = width(), h = height();
        window_.runner_.run([this, w, h] { window_.m_.FormResize(w, h); });
    }

  private:
    MessungWindow& window_;
};

MessungWindow::MessungWindow(TMessung& messung, HandlerRunner& runner, ChartImage* left_chart,
                             ChartImage* right_chart, const diagnostics::PortLogRing& port_log,
                             std::function<void()> show_port_listener, CommandTable commands, QWidget* parent)
    : QMainWindow(parent), m_(messung), c_(messung.controls()), runner_(runner), port_log_(port_log),
      show_port_listener_(std::move(show_port_listener)), quit_([] { QCoreApplication::exit(0); }) {
    // Dialogs and menus opened from the window share its font.
    setAttribute(Qt::WA_WindowPropagation);
    setFont(window_font());
    setWindowIcon(program_icon());
    binding_.trim_names(true);
    binding_.bind(c_.form, this);
    binding_.show_hints_with([this](const Control* hovered) {
        hovered_ = hovered;
        show_status_text();
    });

    client_ = new ClientArea(*this);
    client_->setObjectName("ClientArea");
    setCentralWidget(client_);

    // Stacking follows creation: the charts lie lowest, as pictures painted on the window; panels, bars
    // and memos lie over them where the layout makes them overlap, the status bar over everything.
    build_outside_panels(left_chart, right_chart);
    build_tone_panel();
    build_command_panel();
    build_menu();
    left_chart->lower();
    right_chart->lower();
    status_bar_->raise();
    binding_.connect_commands(commands.empty() ? hearing::messung_commands(m_, nullptr) : commands, runner_);

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setTimerType(Qt::PreciseTimer);
    timer1_->setInterval(hearing::timer1_interval_ms);
    connect(timer1_, &QTimer::timeout, this, [this] { run(&TMessung::Ton_on_off); });
    timer2_ = new QTimer(this);
    timer2_->setObjectName("Timer2");
    timer2_->setTimerType(Qt::PreciseTimer);
    timer2_->setInterval(hearing::timer2_interval_ms);
    connect(timer2_, &QTimer::timeout, this, [this] { run(&TMessung::Timer2Timer); });

    auto* listener_keys = new QShortcut(port_listener_keys, this);
    listener_keys->setObjectName("PortListenerShortcut");
    connect(listener_keys, &QShortcut::activated, this, [this] {
        if (show_port_listener_) runner_.run(show_port_listener_);
    });

    resize(hearing::messung_initial_width, hearing::messung_initial_height);
    runner_.add_view([this] { sync(); });
    sync();
}

MessungWindow::~MessungWindow() = default;

// ---------------------------------------------------------------- building

template <class W, class C> W* MessungWindow::add(C& control, QWidget* parent) {
    auto* widget = new W(parent);
    binding_.bind(control, widget);
    return widget;
}

QAbstractButton* MessungWindow::add_picture_button(Control& control, QWidget* parent, const char* picture) {
    auto* button = add<QToolButton>(control, parent);
    button->setAutoRaise(true);
    const Bounds& b = control.bounds;
    const int side = std::max(8, std::min(b.width, b.height) - 6);
    button->setIconSize(QSize(side, side));
    button->setIcon(picture_icon(picture, QSize(side, side)));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return button;
}

void MessungWindow::build_outside_panels(ChartImage* left_chart, ChartImage* right_chart) {
    for (auto [chart, control] :
         {std::pair{left_chart, &c_.Ohr_li_img}, std::pair{right_chart, &c_.Ohr_re_img}}) {
        chart->setParent(client_);
        chart->follow(control);
        binding_.bind(*control, chart);
    }

    for (RangeControl* control : {&c_.F_Leiste_li, &c_.F_Leiste_re}) {
        auto* bar = add<QSlider>(*control, client_);
        bar->setOrientation(Qt::Horizontal);
        bar->setTickPosition(QSlider::TicksBelow);
        bar->setTickInterval(track_tick_interval);
        bar->setSingleStep(1);
        bar->setPageStep(track_tick_interval);
    }

    add<QLabel>(c_.f_No, client_);

    auto* memo_d = add<QPlainTextEdit>(c_.Memo1_D, client_);
    QPalette palette = memo_d->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, memo_german_background);
    // Greyed text stays readable on the lime background.
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(64, 64, 64));
    memo_d->setPalette(palette);
    add<QPlainTextEdit>(c_.Memo1_E, client_);

    auto* port_data = new QPlainTextEdit(client_);
    binding_.bind_lines(c_.PortData, port_data, [this] {
        return std::vector<std::string>(port_log_.lines().begin(), port_log_.lines().end());
    });
    port_data->setReadOnly(true);
    port_data->setLineWrapMode(QPlainTextEdit::NoWrap);

    // The status bar belongs to the client area; the window keeps it at its bottom edge.
    status_bar_ = new QStatusBar(client_);
    binding_.bind(c_.StatusBar1, status_bar_, {.place = false});
    status_text_ = new QLabel(status_bar_);
    status_text_->setObjectName("StatusBar1_text");
    status_bar_->addWidget(status_text_, 1);
    place_status_bar();
}

void MessungWindow::build_tone_panel() {
    auto* panel = add<QFrame>(c_.Panel_TM, client_);
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setAutoFillBackground(true);

    add<QLabel>(c_.Frequenz_, panel)->setAlignment(Qt::AlignCenter);
    auto* test_f = add<QLabel>(c_.Test_F, panel);
    test_f->setAlignment(Qt::AlignCenter);
    make_bold(test_f, bold_large_point_size);
    add_picture_button(c_.Kopfhoerer, panel, picture_headphones); // shows, does nothing
    add<QLabel>(c_.Dezibel_, panel)->setAlignment(Qt::AlignCenter);
    auto* test_db = add<QLabel>(c_.Test_db, panel);
    test_db->setAlignment(Qt::AlignCenter);
    make_bold(test_db, bold_large_point_size);

    // The pulse lamp: lit and dark with the tone's halves, never toggled by the user.
    auto* lamp = add<QRadioButton>(c_.Noise_on, panel);
    lamp->setAutoExclusive(false);
    lamp->setFocusPolicy(Qt::NoFocus);
    lamp->setAttribute(Qt::WA_TransparentForMouseEvents);

    add<QLabel>(c_.Messung_, panel);
}

void MessungWindow::build_command_panel() {
    auto* panel = add<QFrame>(c_.Panel_bot, client_);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setAutoFillBackground(true);

    add<QPushButton>(c_.clear_li, panel);
    add<QPushButton>(c_.Messung_li, panel);
    add_picture_button(c_.Ohr_gif_li, panel, picture_ear_left);
    add<QProgressBar>(c_.db_Progress, panel)->setTextVisible(false);
    add_picture_button(c_.Ohr_gif_re, panel, picture_ear_right);
    add<QPushButton>(c_.Messung_re, panel);
    add<QPushButton>(c_.clear_re, panel);

    add<QCheckBox>(c_.f_extended, panel);
    add<QCheckBox>(c_.auto_, panel);
    add<QCheckBox>(c_.f_fine, panel);

    add_picture_button(c_.F_dn, panel, picture_arrow_left);
    add<QLabel>(c_.T_2_dBup, panel);
    add_picture_button(c_.dB_up, panel, picture_arrow_up);
    make_bold(add<QPushButton>(c_.ok_select, panel));
    add_picture_button(c_.db_dn, panel, picture_arrow_down);
    add<QLabel>(c_.T_6_dBdn, panel);
    add_picture_button(c_.F_up, panel, picture_arrow_right);

    make_bold(add<QPushButton>(c_.Start, panel), bold_large_point_size);
    add<QPushButton>(c_.db_reset, panel);
    add<QPushButton>(c_.speichern, panel);
    add<QPushButton>(c_.Drucken, panel);

    add<QLabel>(c_.Name_label, panel);
    auto* testname = add<QLineEdit>(c_.Testname, panel);
    // The report takes the name from the control state, so each edit goes there at once.
    connect(testname, &QLineEdit::textEdited, this, [this](const QString& text) {
        runner_.run([this, name = text.toStdString()] { c_.Testname.lines = {name}; });
    });
}

void MessungWindow::build_menu() {
    hearing::MessungMenu& menu = c_.menu;
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    bar->setAccessibleDescription("MainMenu1");
    bar->setAccessibleName("Main menu");

    QMenu* current = nullptr;
    hearing::for_each_menu_entry(menu, [&](Control& entry) {
        if (hearing::is_menu_title(menu, entry)) {
            current = bar->addMenu(qt_text(entry.caption));
            current->setObjectName(qt_text(entry.name));
            menus_[&entry] = current;
            binding_.bind(entry, current->menuAction());
        } else if (&entry == &menu.Keep_Tests) {
            binding_.bind(menu.Keep_Tests, current->addAction(qt_text(entry.caption)));
        } else {
            binding_.bind(entry, current->addAction(qt_text(entry.caption)));
        }
    });
}

namespace {
constexpr int levels_panel_lines = 10;
constexpr int levels_panel_lines_max = 16; // beyond that the panel scrolls down
constexpr int levels_panel_margin = 12;
} // namespace

void MessungWindow::add_profiles(profile::HearingProfiles& profiles, const CommandTable& commands) {
    profile::ProfileControls& p = profiles.controls();
    QMenu* options = menus_.at(&c_.menu.Parameterwahl1);
    binding_.bind(p.Referenzmessung1, options->addAction(qt_text(p.Referenzmessung1.caption)));

    levels_panel_ = new QDockWidget(this);
    levels_panel_->setFeatures(QDockWidget::NoDockWidgetFeatures);
    auto* levels = new QPlainTextEdit(levels_panel_);
    binding_.bind_lines(p.Hearing_Levels, levels, [&profiles] { return profiles.status_lines(); },
                        {.place = false});
    levels->setReadOnly(true);
    // Fixed columns: a frequency over each ear's hearing level (the core breaks a wide table into blocks);
    // below them the hearing number, its grade and what stands beside it, wrapped at the panel's edge.
    levels->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    levels->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    levels->setFixedHeight(levels->fontMetrics().lineSpacing() * levels_panel_lines + levels_panel_margin);
    levels_text_ = levels;
    levels_panel_->setWidget(levels);
    addDockWidget(Qt::BottomDockWidgetArea, levels_panel_);
    levels_panel_->hide(); // until a profile is chosen
    binding_.bind(p.Hearing_Levels_Panel, levels_panel_, {.place = false});

    binding_.connect_commands(commands, runner_);
    sync();
}

// The panel grows with its wrapped lines, up to a limit, and never shrinks below the ten lines it opens
// with. The window grows by the panel while it shows and shrinks back when it goes, so the controls above
// keep the room their layout was made for. The window's growth is kept count of, so it shrinks back by
// exactly what it grew.
void MessungWindow::fit_levels_panel() {
    const bool hidden = levels_panel_->isHidden();
    if (hidden && levels_grown_ == 0) return; // no panel and nothing grown: the window as without profiles
    QString text = levels_text_->toPlainText();
    if (text == levels_fitted_text_ && client_->width() == levels_fitted_width_ &&
        (hidden ? 0 : levels_panel_->sizeHint().height()) == levels_grown_)
        return;
    levels_fitted_width_ = client_->width();
    levels_fitted_text_ = std::move(text);
    const QFontMetrics metrics(levels_text_->font());
    const int room = std::max(1, client_->width() - 2 * levels_panel_margin -
                                     levels_text_->verticalScrollBar()->sizeHint().width());
    int rows = 0;
    for (const QString& line : levels_fitted_text_.split(QLatin1Char('\n')))
        rows += std::max(1, (metrics.horizontalAdvance(line) + room - 1) / room);
    rows = std::clamp(rows, levels_panel_lines, levels_panel_lines_max);
    const int text_height = metrics.lineSpacing() * rows + levels_panel_margin;
    if (levels_text_->minimumHeight() != text_height) levels_text_->setFixedHeight(text_height);

    const int wanted = hidden ? 0 : levels_panel_->sizeHint().height();
    if (wanted == levels_grown_ || isMaximized() || isFullScreen()) return;
    const int by = wanted - levels_grown_;
    levels_grown_ = wanted;
    resize(width(), height() + by);
}

// ---------------------------------------------------------------- events

void MessungWindow::run(void (TMessung::*handler)()) {
    runner_.run([this, handler] { (m_.*handler)(); });
}

// Closing the window ends the program, also while the settings dialog or the port listener is open.
void MessungWindow::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        runner_.run([this] { m_.FormClose(); });
    }
    event->accept();
    if (quit_) quit_();
}

// ---------------------------------------------------------------- start-up and mirroring

QSize MessungWindow::client_size() const {
    if (layout() != nullptr) layout()->activate();
    return client_->size();
}

void MessungWindow::form_create() {
    const QSize size = client_size();
    runner_.run([this, size] { m_.FormCreate(size.width(), size.height()); });
}

void MessungWindow::start_timers() {
    if (!timer1_->isActive()) timer1_->start();
    if (!timer2_->isActive()) timer2_->start();
}

void MessungWindow::place_status_bar() {
    const int height = status_bar_->sizeHint().height();
    status_bar_->setGeometry(0, client_->height() - height, client_->width(), height);
}

void MessungWindow::show_status_text() {
    const QString text = qt_text(hovered_ != nullptr ? hovered_->hint : c_.StatusBar1.caption);
    if (status_text_->text() != text) status_text_->setText(text);
    status_text_->setAccessibleName(text);
}

void MessungWindow::sync() {
    // Showing the panel resizes the client area, whose handler mirrors again inside this mirroring; the
    // window is fitted to the panel once, by the outer one, when the layout has settled.
    const bool outer = !syncing_;
    syncing_ = true;
    binding_.mirror();
    show_status_text();
    if (outer && levels_panel_ != nullptr) fit_levels_panel();
    if (outer) syncing_ = false;
}

} // namespace kelvor::ui
