#include "ui/messung_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <set>

#include "core/diagnostics/log_buffer.h"
#include "ui/control_mirror.h"
#include "ui/pictures.h"

namespace kelvor::ui {

using hearing::TMessung;

namespace {

constexpr int font_point_size = 8;
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

// A menu caption shown as it is: an ampersand would otherwise mark a shortcut letter.
QString menu_text(const std::string& caption) {
    return qt_text(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

QFont messung_font() {
    QFont font(QStringLiteral("DejaVu Sans"), font_point_size);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

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
                             std::function<void()> show_port_listener, MessungFileCommands file_commands,
                             QWidget* parent)
    : QMainWindow(parent), m_(messung), c_(messung.controls()), runner_(runner), port_log_(port_log),
      show_port_listener_(std::move(show_port_listener)), file_commands_(std::move(file_commands)),
      quit_([] { QCoreApplication::exit(0); }) {
    // Dialogs and menus opened from the window share its font.
    setAttribute(Qt::WA_WindowPropagation);
    setFont(messung_font());
    setWindowIcon(program_icon());
    bindings_.push_back({&c_.form, this, "Kelvor", false, true});
    name_widget(this, c_.form, "Kelvor");

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

template <class W> W* MessungWindow::add(Control& control, QWidget* parent, const char* description) {
    auto* widget = new W(parent);
    name_widget(widget, control, description);
    widget->installEventFilter(this); // hints in the status bar
    bindings_.push_back({&control, widget, description, true, true});
    return widget;
}

QAbstractButton* MessungWindow::add_picture_button(Control& control, QWidget* parent, const char* picture,
                                                   const char* description) {
    auto* button = add<QToolButton>(control, parent, description);
    button->setAutoRaise(true);
    const Bounds& b = control.bounds;
    const int side = std::max(8, std::min(b.width, b.height) - 6);
    button->setIconSize(QSize(side, side));
    button->setIcon(picture_icon(picture, QSize(side, side)));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return button;
}

void MessungWindow::build_outside_panels(ChartImage* left_chart, ChartImage* right_chart) {
    for (auto [chart, control, description, handler] :
         {std::tuple{left_chart, &c_.Ohr_li_img, "Left ear chart", &TMessung::Messung_liClick},
          std::tuple{right_chart, &c_.Ohr_re_img, "Right ear chart", &TMessung::Messung_reClick}}) {
        chart->setParent(client_);
        chart->follow(control);
        name_widget(chart, *control, description);
        chart->installEventFilter(this);
        bindings_.push_back({control, chart, description, true, true});
        connect(chart, &ChartImage::clicked, this, [this, handler = handler] { run(handler); });
    }

    for (auto [control, description, handler] :
         {std::tuple{&c_.F_Leiste_li, "Frequency, left ear", &TMessung::F_Leiste_liChange},
          std::tuple{&c_.F_Leiste_re, "Frequency, right ear", &TMessung::F_Leiste_reChange}}) {
        auto* bar = add<QSlider>(*control, client_, description);
        bar->setOrientation(Qt::Horizontal);
        bar->setTickPosition(QSlider::TicksBelow);
        bar->setTickInterval(track_tick_interval);
        bar->setSingleStep(1);
        bar->setPageStep(track_tick_interval);
        bars_.push_back({control, bar});
        connect_track_bar(bar, handler);
    }

    add<QLabel>(c_.f_No, client_, "Frequency index");

    auto* memo_d = add<QPlainTextEdit>(c_.Memo1_D, client_, "Information (German)");
    QPalette palette = memo_d->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, memo_german_background);
    // Greyed text stays readable on the lime background.
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(64, 64, 64));
    memo_d->setPalette(palette);
    bindings_.back().caption = false;
    memos_.push_back({&c_.Memo1_D, memo_d, {}});
    auto* memo_e = add<QPlainTextEdit>(c_.Memo1_E, client_, "Information (English)");
    bindings_.back().caption = false;
    memos_.push_back({&c_.Memo1_E, memo_e, {}});

    port_data_ = add<QPlainTextEdit>(c_.PortData, client_, "Port log");
    bindings_.back().caption = false;
    port_data_->setReadOnly(true);
    port_data_->setLineWrapMode(QPlainTextEdit::NoWrap);

    // The status bar belongs to the client area; the window keeps it at its bottom edge.
    status_bar_ = new QStatusBar(client_);
    name_widget(status_bar_, c_.StatusBar1, "Status");
    status_text_ = new QLabel(status_bar_);
    status_text_->setObjectName("StatusBar1_text");
    status_bar_->addWidget(status_text_, 1);
    bindings_.push_back({&c_.StatusBar1, status_bar_, "Status", false, false});
    place_status_bar();
}

void MessungWindow::build_tone_panel() {
    auto* panel = add<QFrame>(c_.Panel_TM, client_, "Tone");
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setAutoFillBackground(true);
    panel_tm_ = panel;

    add<QLabel>(c_.Frequenz_, panel)->setAlignment(Qt::AlignCenter);
    auto* test_f = add<QLabel>(c_.Test_F, panel, "Test frequency");
    test_f->setAlignment(Qt::AlignCenter);
    make_bold(test_f, bold_large_point_size);
    add_picture_button(c_.Kopfhoerer, panel, picture_headphones, "Headphones"); // shows, does nothing
    add<QLabel>(c_.Dezibel_, panel)->setAlignment(Qt::AlignCenter);
    auto* test_db = add<QLabel>(c_.Test_db, panel, "Test level");
    test_db->setAlignment(Qt::AlignCenter);
    make_bold(test_db, bold_large_point_size);

    // The pulse lamp: lit and dark with the tone's halves, never toggled by the user.
    auto* lamp = add<QRadioButton>(c_.Noise_on, panel, "Tone pulse");
    lamp->setAutoExclusive(false);
    lamp->setFocusPolicy(Qt::NoFocus);
    lamp->setAttribute(Qt::WA_TransparentForMouseEvents);
    checks_.push_back({&c_.Noise_on, lamp});

    add<QLabel>(c_.Messung_, panel);
}

void MessungWindow::build_command_panel() {
    auto* panel = add<QFrame>(c_.Panel_bot, client_, "Commands");
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel_bot_ = panel;

    connect_click(add<QPushButton>(c_.clear_li, panel), &TMessung::clear_liClick);
    connect_click(add<QPushButton>(c_.Messung_li, panel), &TMessung::Messung_liClick);
    connect_click(add_picture_button(c_.Ohr_gif_li, panel, picture_ear_left, "Left ear"),
                  &TMessung::Ohr_gif_liClick);
    db_progress_ = add<QProgressBar>(c_.db_Progress, panel, "Level steps");
    db_progress_->setTextVisible(false);
    connect_click(add_picture_button(c_.Ohr_gif_re, panel, picture_ear_right, "Right ear"),
                  &TMessung::Ohr_gif_reClick);
    connect_click(add<QPushButton>(c_.Messung_re, panel), &TMessung::Messung_reClick);
    connect_click(add<QPushButton>(c_.clear_re, panel), &TMessung::clear_reClick);

    connect_check(add<QCheckBox>(c_.f_extended, panel), c_.f_extended, &TMessung::f_extendedClick);
    connect_check(add<QCheckBox>(c_.auto_, panel), c_.auto_, &TMessung::autoClick);
    connect_check(add<QCheckBox>(c_.f_fine, panel), c_.f_fine, nullptr); // read by the frequency steps

    connect_click(add_picture_button(c_.F_dn, panel, picture_arrow_left, "Frequency down"),
                  &TMessung::Test_F_dn);
    add<QLabel>(c_.T_2_dBup, panel);
    connect_click(add_picture_button(c_.dB_up, panel, picture_arrow_up, "Level up 2 dB"),
                  &TMessung::db_upClick);
    auto* ok = add<QPushButton>(c_.ok_select, panel, "ok. detected");
    make_bold(ok);
    connect_click(ok, &TMessung::db_select);
    connect_click(add_picture_button(c_.db_dn, panel, picture_arrow_down, "Level down 6 dB"),
                  &TMessung::db_6dnClick);
    add<QLabel>(c_.T_6_dBdn, panel);
    connect_click(add_picture_button(c_.F_up, panel, picture_arrow_right, "Frequency up"),
                  &TMessung::Test_F_up);

    auto* start = add<QPushButton>(c_.Start, panel, "Start");
    make_bold(start, bold_large_point_size);
    connect_click(start, &TMessung::StartClick);
    connect_click(add<QPushButton>(c_.db_reset, panel), &TMessung::db_resetClick);

    auto* save = add<QPushButton>(c_.speichern, panel);
    connect_file_command(save, file_commands_.speichern);
    if (!file_commands_.speichern) unavailable_.push_back(&c_.speichern);
    auto* print = add<QPushButton>(c_.Drucken, panel);
    connect_file_command(print, file_commands_.Drucken);
    if (!file_commands_.Drucken) unavailable_.push_back(&c_.Drucken);

    add<QLabel>(c_.Name_label, panel);
    testname_ = add<QLineEdit>(c_.Testname, panel, "Name of the test person");
    bindings_.back().caption = false;
    // The report takes the name from the control state, so each edit goes there at once.
    connect(testname_, &QLineEdit::textEdited, this, [this](const QString& text) {
        runner_.run([this, name = text.toStdString()] { c_.Testname.lines = {name}; });
    });
}

void MessungWindow::build_menu() {
    hearing::MessungMenu& menu = c_.menu;
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    bar->setAccessibleDescription("MainMenu1");
    bar->setAccessibleName("Main menu");

    const std::set<const Control*> titles{&menu.Programm1, &menu.MessMenu,   &menu.Lautstrke1,
                                          &menu.Frequenz1, &menu.Messpunkt1, &menu.Parameterwahl1,
                                          &menu.Infos1,    &menu.Language1};
    using Handler = void (TMessung::*)();
    const std::vector<std::pair<const Control*, Handler>> handlers{
        {&menu.Start1, &TMessung::StartClick},
        {&menu.beenden1, &TMessung::beenden1Click},
        {&menu.Justierung1kHz12dB1, &TMessung::Justierung1kHz12dB1Click},
        {&menu.neu1, &TMessung::neu1Click},
        {&menu.zeichnen1, &TMessung::zeichnen1Click},
        {&menu.zeichnenauto1, &TMessung::zeichnenauto1Click},
        {&menu.zeichnenman1, &TMessung::zeichnenman1Click},
        {&menu.N1dB1, &TMessung::db_upClick}, // "+ 1 dB" steps by 2 dB, as the button does
        {&menu.N6dB1, &TMessung::db_6dnClick},
        {&menu.N10dB1, &TMessung::level_down_10},
        {&menu.N0dB1, &TMessung::db_resetClick},
        {&menu.anzeigen1, &TMessung::anzeigen},
        {&menu.ausblenden1, &TMessung::ausblenden1Click},
        {&menu.min1, &TMessung::min1Click},
        {&menu.kleiner1, &TMessung::Test_F_dn},
        {&menu.grer1, &TMessung::Test_F_up},
        {&menu.max1, &TMessung::max1Click},
        {&menu.auswhlen1, &TMessung::auswhlen1Click},
        {&menu.DevMethPorts, &TMessung::DevMethPortsClick},
        {&menu.anzeigen2, &TMessung::anzeigen2Click},
        {&menu.ausblenden2, &TMessung::ausblenden2Click},
        {&menu.WWWHomepage1, &TMessung::WWWHomepage1Click},
        {&menu.PortLogInfo1, &TMessung::PortLogInfo1Click},
        {&menu.downloadPortDrivers1, &TMessung::downloadPortDrivers1Click},
        {&menu.Deutsch1, &TMessung::Deutsch1Click},
        {&menu.English1, &TMessung::English1Click},
    };
    const std::vector<std::pair<const Control*, const std::function<void()>*>> file_items{
        {&menu.speichern1, &file_commands_.speichern},
        {&menu.drucken1, &file_commands_.drucken1},
        {&menu.lesen1, &file_commands_.lesen1},
        {&menu.Bildschirmdrucken1, &file_commands_.Bildschirmdrucken1},
        {&menu.Bildschirmspeichern1, &file_commands_.Bildschirmspeichern1},
        // exports
        {&menu.PDFspeichern1, &file_commands_.PDFspeichern1},
        {&menu.CSVspeichern1, &file_commands_.CSVspeichern1},
        {&menu.FHIRspeichern1, &file_commands_.FHIRspeichern1},
    };

    QMenu* current = nullptr;
    hearing::for_each_menu_entry(menu, [&](Control& entry) {
        if (titles.count(&entry) > 0) {
            current = bar->addMenu(menu_text(entry.caption));
            current->setObjectName(qt_text(entry.name));
            current->menuAction()->setObjectName(qt_text(entry.name));
            actions_.push_back({&entry, current->menuAction()});
            return;
        }
        QAction* action = current->addAction(menu_text(entry.caption));
        action->setObjectName(qt_text(entry.name));
        actions_.push_back({&entry, action});
        // A menu command runs once the event that chose it has been answered. Assistive technology
        // chooses an item by a request that waits for its answer: a command that opens a message box
        // (print, read, Start on first use) would otherwise keep it waiting until the box is closed.
        for (const auto& [control, handler] : handlers)
            if (control == &entry)
                connect(
                    action, &QAction::triggered, this, [this, handler = handler] { run(handler); },
                    Qt::QueuedConnection);
        for (const auto& [control, command] : file_items)
            if (control == &entry) {
                if (*command)
                    connect(
                        action, &QAction::triggered, this,
                        [this, command = command] { runner_.run(*command); }, Qt::QueuedConnection);
                else
                    unavailable_.push_back(&entry);
            }
    });
}

// ---------------------------------------------------------------- events

void MessungWindow::run(void (TMessung::*handler)()) {
    runner_.run([this, handler] { (m_.*handler)(); });
}

void MessungWindow::connect_click(QAbstractButton* button, void (TMessung::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] { run(handler); });
}

// The logic reads the box as the user left it, then runs its click handler.
void MessungWindow::connect_check(QAbstractButton* box, CheckControl& control, void (TMessung::*handler)()) {
    checks_.push_back({&control, box});
    connect(box, &QAbstractButton::clicked, this, [this, box, &control, handler] {
        runner_.run([this, box, &control, handler] {
            control.checked = box->isChecked();
            if (handler) (m_.*handler)();
        });
    });
}

// Every move by the user (drag, click beside the handle, keys, wheel) is an action of the bar, which
// already holds the new position when it reports the action. A bar moved by the program reports nothing.
void MessungWindow::connect_track_bar(QAbstractSlider* bar, void (TMessung::*handler)(int)) {
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar, handler](int action) {
        if (action == QAbstractSlider::SliderNoAction) return;
        const int position = bar->sliderPosition();
        runner_.run([this, handler, position] { (m_.*handler)(position); });
    });
}

void MessungWindow::connect_file_command(QAbstractButton* button, const std::function<void()>& command) {
    if (command) connect(button, &QAbstractButton::clicked, this, [this, &command] { runner_.run(command); });
}

bool MessungWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
        for (const Binding& b : bindings_) {
            if (b.widget != watched || b.control->hint.empty()) continue;
            if (event->type() == QEvent::Enter)
                hovered_ = b.control;
            else if (hovered_ == b.control)
                hovered_ = nullptr;
            show_status_text();
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
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

bool MessungWindow::available(const Control& control) const {
    return std::find(unavailable_.begin(), unavailable_.end(), &control) == unavailable_.end();
}

void MessungWindow::sync() {
    std::vector<QSignalBlocker> blockers;
    blockers.reserve(bindings_.size() + actions_.size());
    for (const Binding& b : bindings_)
        blockers.emplace_back(b.widget);
    for (const auto& [control, action] : actions_)
        blockers.emplace_back(action);

    for (const Binding& b : bindings_) {
        MirrorOptions options;
        options.place = b.place;
        options.caption = b.caption;
        options.description = b.description;
        options.available = available(*b.control);
        mirror_control(*b.control, b.widget, options);
    }
    for (const auto& [control, box] : checks_)
        mirror_checked(*control, box);
    for (const auto& [control, bar] : bars_)
        mirror_range(*control, bar);
    mirror_range(c_.db_Progress, db_progress_);
    for (Memo& memo : memos_)
        mirror_lines(memo.control->lines, memo.widget, memo.shown);
    mirror_lines({port_log_.lines().begin(), port_log_.lines().end()}, port_data_, port_data_shown_);
    QStringList name;
    for (const std::string& line : c_.Testname.lines)
        name << qt_text(line);
    if (testname_->text() != name.join(' ')) testname_->setText(name.join(' '));
    show_status_text();

    for (const auto& [control, action] : actions_) {
        const QString text = menu_text(control->caption);
        if (action->text() != text) action->setText(text);
        const bool enabled = control->enabled && available(*control);
        if (action->isEnabled() != enabled) action->setEnabled(enabled);
        if (action->isVisible() != control->visible) action->setVisible(control->visible);
    }
}

} // namespace kelvor::ui
