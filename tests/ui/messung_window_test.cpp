// The main window's wiring: every widget and menu item reaches its handler in the window logic, the
// widgets show the control state after it, and the layout's bounds arrive at the real widgets. What the
// handlers decide is the core tests' matter.
#include "ui/messung_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDockWidget>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "core/chart/charts.h"
#include "core/diagnostics/log_buffer.h"
#include "core/hearing/help_pages.h"
#include "core/hearing/messung_command_table.h"
#include "core/profile/profile_commands.h"
#include "core/profile/profile_file.h"
#include "core/results/results_commands.h"
#include "support/fake_host.h"
#include "support/messung_rig.h"
#include "support/profile_fakes.h"
#include "ui/history_window.h"
#include "ui/qt_dialogs.h"

// Readable failure messages for Qt strings.
static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace kelvor::ui {
namespace {

using hearing::ear_left;
using hearing::ear_right;

// The window over the real charts drawing on its two chart images, the window logic over recording fakes.
// `file_commands`: the file commands by control name, in place of the results commands (none: disabled).
struct WindowRig : testing::MessungFakes {
    explicit WindowRig(std::map<std::string, std::function<void()>> file_commands = {},
                       std::uint32_t platform = host::platform_windows_nt) {
        system.version.platform_id = platform;
        charts.use_controls(&frame);
        charts.use_texts(&languages.current());
        CommandTable commands = hearing::messung_commands(m, nullptr);
        for (Command& command : commands)
            if (const auto it = file_commands.find(command.control->name); it != file_commands.end())
                command.run = [run = it->second](int) { run(); };
        window = std::make_unique<MessungWindow>(
            m, runner, li, re, port_log, [this] { ++listener_shown; }, std::move(commands));
        window->set_quit([this] { ++quits; });
        window_host.attach(window.get());
        window->form_create();
        window->show();
        QCoreApplication::processEvents();
        log.take();
    }

    template <class W = QWidget> W* find(const char* name) const {
        W* widget = window->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QAction* action(const char* name) const { return find<QAction>(name); }
    QString text_of(const char* name) const { return find<QAbstractButton>(name)->text(); }
    bool shown(const char* name) const { return find(name)->isVisibleTo(window.get()); }
    // Resizes the window so that its client area gets w x h.
    void set_client_size(int w, int h) {
        window->resize(w, h + window->menuBar()->height());
        QCoreApplication::processEvents();
    }

    ChartImage* li = new ChartImage; // adopted by the window
    ChartImage* re = new ChartImage;
    chart::Charts charts{*li, *re, state};
    MessungWindowHost window_host;
    hearing::TMessung m{services({.chart = &charts, .window = &window_host})};
    hearing::MessungControls& c = m.controls();
    chart::MessungFrameControls frame{c};
    HandlerRunner runner;
    int listener_shown = 0;
    int quits = 0;
    std::unique_ptr<MessungWindow> window; // the real window (the fakes' window host stays unused)
};

// A click as the user makes it: at the widget's place in its window, so that the application finds the
// widget under the pointer (a check box takes it on its box, at its left).
void click(QWidget* widget) {
    ASSERT_NE(widget, nullptr);
    ASSERT_TRUE(widget->isVisible()) << widget->objectName().toStdString();
    const bool box =
        qobject_cast<QCheckBox*>(widget) != nullptr || qobject_cast<QRadioButton*>(widget) != nullptr;
    const QPoint at = box ? QPoint(8, widget->height() / 2) : widget->rect().center();
    QWidget* window = widget->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, widget->mapTo(window, at));
}

// Typing, also letters beyond ASCII (which arrive as key events with their text).
void type(QWidget* widget, const QString& text) {
    for (QChar ch : text) {
        if (ch.unicode() < 128)
            QTest::keyClick(widget, ch.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

QString joined(const std::vector<std::string>& lines) {
    QStringList text;
    for (const std::string& line : lines)
        text << QString::fromStdString(line);
    return text.join('\n');
}

// ---------------------------------------------------------------- start-up

TEST(MessungWindow, StartsAsDesignedInEnglish) {
    WindowRig rig;
    MessungWindow& w = *rig.window;
    EXPECT_EQ(w.windowTitle(), " Kelvor 2.0  /  06.2004  ");
    EXPECT_EQ(w.size(), QSize(623, 425)); // menu bar included
    EXPECT_EQ(w.client_area()->geometry().top(), w.menuBar()->geometry().bottom() + 1);
    EXPECT_EQ(w.client_size(), QSize(623, 425 - w.menuBar()->height()));
    EXPECT_EQ(w.font().family(), "DejaVu Sans");
    EXPECT_EQ(w.font().pointSize(), 8);
    EXPECT_FALSE(w.windowIcon().isNull());

    EXPECT_EQ(rig.text_of("clear_li"), "clear l");
    EXPECT_EQ(rig.find<QMenu>("MessMenu")->title(), "Chart");
    EXPECT_EQ(rig.text_of("f_fine"), "fine");
    EXPECT_EQ(rig.text_of("ok_select"), "ok. detected");
    EXPECT_EQ(rig.text_of("Start"), "Start");
    // The NT family: the extended range is locked away at start-up.
    auto* extended = rig.find<QCheckBox>("f_extended");
    EXPECT_FALSE(extended->isChecked());
    EXPECT_FALSE(extended->isEnabled());
    EXPECT_TRUE(rig.find<QCheckBox>("auto")->isChecked());

    for (auto [name, bold, points] : {std::tuple{"Test_F", true, 10},
                                      {"Test_db", true, 10},
                                      {"Start", true, 10},
                                      {"ok_select", true, 8},
                                      {"clear_li", false, 8},
                                      {"Frequenz_", false, 8}}) {
        const QFont font = rig.find(name)->font();
        EXPECT_EQ(font.bold(), bold) << name;
        EXPECT_EQ(font.pointSize(), points) << name;
    }
    EXPECT_EQ(rig.find<QLabel>("Test_F")->text(), QString::fromStdString(rig.c.Test_F.caption));

    auto* bar = rig.find<QSlider>("F_Leiste_li");
    EXPECT_EQ(bar->minimum(), 2);
    EXPECT_EQ(bar->maximum(), 22);
    EXPECT_EQ(bar->tickInterval(), 2);
    EXPECT_EQ(bar->tickPosition(), QSlider::TicksBelow);
    EXPECT_EQ(bar->value(), rig.c.F_Leiste_li.position);
    auto* progress = rig.find<QProgressBar>("db_Progress");
    EXPECT_EQ(progress->maximum(), 14);
    EXPECT_EQ(progress->value(), rig.c.db_Progress.position);

    for (const char* hidden : {"F_Leiste_re", "f_No", "Memo1_D", "Memo1_E", "PortData", "Ohr_gif_re"})
        EXPECT_FALSE(rig.shown(hidden)) << hidden;
    for (const char* visible :
         {"F_Leiste_li", "Ohr_gif_li", "Ohr_li_img", "Ohr_re_img", "Panel_TM", "Panel_bot"})
        EXPECT_TRUE(rig.shown(visible)) << visible;
    EXPECT_EQ(rig.find("Ohr_re_img")->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(rig.find("F_dn")->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(rig.find("ok_select")->cursor().shape(), Qt::PointingHandCursor);

    // The information texts line by line, umlauts intact.
    auto* german = rig.find<QPlainTextEdit>("Memo1_D");
    EXPECT_EQ(german->toPlainText(), joined(rig.c.Memo1_D.lines));
    EXPECT_TRUE(
        german->toPlainText().contains(QString::fromUtf8("Zur zweckgem\u00e4\u00dfen Verwendung des Pro-")));
    EXPECT_TRUE(german->toPlainText().contains(
        QString::fromUtf8("grammes mu\u00df die Ausgabelautst\u00e4rke mit ")));
    EXPECT_FALSE(german->isEnabled());
    EXPECT_EQ(german->palette().color(QPalette::Disabled, QPalette::Base), QColor(0, 255, 0));
    EXPECT_EQ(rig.find<QPlainTextEdit>("Memo1_E")->toPlainText(), joined(rig.c.Memo1_E.lines));
    EXPECT_TRUE(rig.find<QPlainTextEdit>("PortData")->isReadOnly());
    EXPECT_EQ(rig.find<QPlainTextEdit>("PortData")->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(rig.find<QLineEdit>("Testname")->text(), "Testname");

    EXPECT_EQ(rig.find<QLabel>("StatusBar1_text")->text(), QString::fromStdString(rig.c.StatusBar1.caption));
    EXPECT_TRUE(rig.find<QLabel>("StatusBar1_text")->text().startsWith("Infos :"));
}

TEST(MessungWindow, EveryControlAndMenuEntryIsNamedForAutomation) {
    WindowRig rig;
    rig.c.for_each([&](const Control& control) {
        QWidget* widget = control.name == "Messung" ? rig.window.get() : rig.find(control.name.c_str());
        if (widget == nullptr) return;
        EXPECT_EQ(widget->objectName().toStdString(), control.name);
        EXPECT_EQ(widget->accessibleDescription().toStdString(), control.name);
        EXPECT_FALSE(widget->accessibleName().trimmed().isEmpty()) << control.name;
        if (!control.caption.empty() && control.name != "StatusBar1") {
            EXPECT_EQ(widget->accessibleName(), QString::fromStdString(control.caption).trimmed())
                << control.name;
        }
    });
    EXPECT_EQ(rig.find("Kopfhoerer")->accessibleName(), "Headphones");
    EXPECT_EQ(rig.find("F_dn")->accessibleName(), "Frequency down");

    // Menu titles in the bar's order, each item under its title, captions as the logic has them.
    QStringList titles;
    for (QAction* a : rig.window->menuBar()->actions())
        titles << a->objectName();
    EXPECT_EQ(titles, QStringList({"Programm1", "MessMenu", "Lautstrke1", "Frequenz1", "Messpunkt1",
                                   "Parameterwahl1", "Infos1", "Language1"}));
    int items = 0, entries = 0;
    hearing::for_each_menu_entry(rig.c.menu, [&](const Control& entry) {
        ++entries;
        QAction* a = rig.action(entry.name.c_str());
        if (a == nullptr) return;
        ++items;
        EXPECT_EQ(a->text().replace("&&", "&").toStdString(), entry.caption) << entry.name;
    });
    EXPECT_EQ(items, entries); // every entry of the menu's table, the three exports too
    EXPECT_EQ(rig.find<QMenu>("Infos1")->actions().size(), 5);
    EXPECT_EQ(rig.action("grer1")->text(), QString::fromUtf8("-> higher"));
    EXPECT_EQ(rig.action("Lautstrke1")->text(), QString::fromUtf8("Volume"));
}

// ---------------------------------------------------------------- user events

struct EventCase {
    const char* widget;
    std::function<void(WindowRig&)> before;
    std::function<void(WindowRig&)> after; // the handler's effect, seen in the state and the widgets
};

// Blue pixels of a chart: the measured curves and marks.
int blue_pixels(const ChartImage* chart) {
    const QImage image = chart->image().convertToFormat(QImage::Format_RGB32);
    int blue = 0;
    for (int y = 0; y < chart->height(); ++y)
        for (int x = 0; x < chart->width(); ++x)
            blue += (image.pixel(x, y) & 0xffffffu) == 0x0000ffu;
    return blue;
}

// A left-ear result whose curve the left chart does not show yet.
void undrawn_left_result(WindowRig& rig) {
    hearing::set_result_entry(rig.state.results_li, 10, 1000, 20);
    hearing::set_result_entry(rig.state.results_li, 14, 2000, 30);
    rig.charts.clear_Chart_li();
    ASSERT_EQ(blue_pixels(rig.li), 0);
}

void running_left(WindowRig& rig) {
    rig.state.test_started = true;
    rig.runner.run([&] { rig.m.Messung_liClick(); });
}

TEST(MessungWindow, ButtonsPicturesAndChartsRunTheirHandlers) {
    const EventCase cases[] = {
        {"Messung_re", running_left,
         [](WindowRig& r) {
             EXPECT_EQ(r.state.cur_ear, ear_right);
             EXPECT_TRUE(r.shown("F_Leiste_re"));
             EXPECT_FALSE(r.shown("F_Leiste_li"));
             EXPECT_TRUE(r.shown("Ohr_gif_re"));
         }},
        {"Ohr_li_img", [](WindowRig& r) { r.runner.run([&] { r.m.Messung_reClick(); }); },
         [](WindowRig& r) {
             EXPECT_EQ(r.state.cur_ear, ear_left);
             EXPECT_EQ(r.find("Ohr_re_img")->cursor().shape(), Qt::PointingHandCursor);
         }},
        {"Ohr_re_img", running_left, [](WindowRig& r) { EXPECT_EQ(r.state.cur_ear, ear_right); }},
        {"Messung_li", [](WindowRig& r) { r.runner.run([&] { r.m.Messung_reClick(); }); },
         [](WindowRig& r) { EXPECT_EQ(r.state.cur_ear, ear_left); }},
        {"dB_up", running_left,
         [](WindowRig& r) {
             EXPECT_EQ(r.state.test_level, 2);
             EXPECT_EQ(r.find<QLabel>("Test_db")->text(), "  2");
             EXPECT_EQ(r.find<QProgressBar>("db_Progress")->value(), 2);
         }},
        {"db_dn", [](WindowRig& r) { r.runner.run([&] { r.m.set_test_level(20); }); },
         [](WindowRig& r) {
             EXPECT_EQ(r.state.test_level, 14);
             EXPECT_EQ(r.find<QLabel>("Test_db")->text(), " 14");
         }},
        {"db_reset", [](WindowRig& r) { r.runner.run([&] { r.m.set_test_level(20); }); },
         [](WindowRig& r) {
             EXPECT_EQ(r.state.test_level, 0);
             EXPECT_EQ(r.find<QProgressBar>("db_Progress")->value(), 0);
         }},
        {"F_dn", running_left,
         [](WindowRig& r) {
             EXPECT_EQ(r.state.test_freq, 6000);
             EXPECT_EQ(r.find<QLabel>("Test_F")->text(), " 6000");
             EXPECT_EQ(r.find<QSlider>("F_Leiste_li")->value(), 20);
         }},
        {"F_up", [](WindowRig& r) { r.runner.run([&] { r.m.set_test_freq(1000); }); },
         [](WindowRig& r) { EXPECT_EQ(r.state.test_freq, 1500); }},
        {"ok_select", running_left,
         [](WindowRig& r) {
             EXPECT_EQ(r.state.results_li.entries[22].flag, 1); // recorded at 8000 Hz
             EXPECT_EQ(r.state.test_freq, 6000);
         }},
        {"clear_li", [](WindowRig& r) { hearing::set_result_entry(r.state.results_li, 10, 1000, 20); },
         [](WindowRig& r) { EXPECT_NE(r.state.results_li.entries[10].flag, 1); }},
        {"clear_re", [](WindowRig& r) { hearing::set_result_entry(r.state.results_re, 10, 1000, 20); },
         [](WindowRig& r) { EXPECT_NE(r.state.results_re.entries[10].flag, 1); }},
        {"Start", nullptr, [](WindowRig& r) { EXPECT_TRUE(r.state.test_started); }},
        {"Ohr_gif_li",
         [](WindowRig& r) {
             r.runner.run([&] { r.m.zeichnenman1Click(); });
             undrawn_left_result(r);
         },
         [](WindowRig& r) { EXPECT_GT(blue_pixels(r.li), 0) << "manual mode draws the curves"; }},
    };
    for (const EventCase& k : cases) {
        SCOPED_TRACE(k.widget);
        WindowRig rig;
        if (k.before) k.before(rig);
        rig.log.take();
        click(rig.find(k.widget));
        k.after(rig);
    }
}

TEST(MessungWindow, CheckBoxesHandTheirStateToTheLogicFirst) {
    {
        WindowRig rig({}, host::platform_windows_95);
        auto* extended = rig.find<QCheckBox>("f_extended");
        rig.runner.run([&] { rig.m.set_extended_range(); }); // what Start's dialog does on the 95 family
        ASSERT_TRUE(extended->isEnabled());
        click(extended);
        EXPECT_TRUE(rig.c.f_extended.checked);
        EXPECT_EQ(rig.state.f_max, 16000);
        EXPECT_EQ(rig.state.test_freq, 16000);
        EXPECT_EQ(rig.find<QSlider>("F_Leiste_li")->maximum(), 28);
        click(extended);
        EXPECT_FALSE(extended->isChecked());
        EXPECT_EQ(rig.find<QSlider>("F_Leiste_li")->maximum(), 22);
    }
    {
        WindowRig rig;
        click(rig.find("auto"));
        EXPECT_FALSE(rig.c.auto_.checked);
        EXPECT_FALSE(rig.state.auto_mode);
        EXPECT_EQ(rig.find("Ohr_gif_li")->cursor().shape(), Qt::PointingHandCursor);
        click(rig.find("f_fine"));
        EXPECT_TRUE(rig.c.f_fine.checked);
        rig.runner.run([&] { rig.m.set_test_freq(8000); });
        click(rig.find("F_dn"));
        EXPECT_EQ(rig.state.test_freq, 7000); // the fine step
    }
}

TEST(MessungWindow, TrackBarRunsItsHandlerOnlyForTheUsersMoves) {
    WindowRig rig;
    running_left(rig);
    rig.runner.run([&] { rig.m.set_test_level(20); });
    auto* bar = rig.find<QSlider>("F_Leiste_li");
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub); // 22 -> 21
    EXPECT_EQ(rig.state.test_freq, hearing::index_to_freq(21));
    EXPECT_EQ(rig.state.test_level, 20) << "moving the bar keeps the level";
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(rig.state.test_freq, hearing::index_to_freq(2));
    // Keys and the mouse reach it the same way.
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_End);
    EXPECT_EQ(rig.state.test_freq, 8000);
    EXPECT_EQ(bar->value(), 22);
    // A position set by the program runs nothing.
    bar->setValue(13);
    EXPECT_EQ(rig.state.test_freq, 8000);
    rig.runner.sync_views();
    EXPECT_EQ(bar->value(), 22) << "the next mirror puts the logic's position back";
}

TEST(MessungWindow, PulseLampAndHeadphonesDoNothingWhenClicked) {
    WindowRig rig;
    running_left(rig);
    auto* lamp = rig.find<QRadioButton>("Noise_on");
    click(lamp);
    EXPECT_FALSE(lamp->isChecked());
    EXPECT_FALSE(rig.c.Noise_on.checked);
    rig.log.take();
    click(rig.find("Kopfhoerer"));
    EXPECT_TRUE(rig.log.take().empty());
    // The lamp follows the pulse.
    rig.runner.run([&] { rig.m.Ton_on_off(); });
    EXPECT_EQ(lamp->isChecked(), rig.c.Noise_on.checked);
}

TEST(MessungWindow, TypedNameGoesToTheControlState) {
    WindowRig rig;
    auto* name = rig.find<QLineEdit>("Testname");
    name->selectAll();
    type(name, QString::fromUtf8("J\u00fcrgen M\u00fcller"));
    EXPECT_EQ(rig.c.Testname.lines, std::vector<std::string>{"J\u00fcrgen M\u00fcller"}); // UTF-8
    EXPECT_EQ(name->cursorPosition(), name->text().size()) << "mirroring leaves the typing alone";
}

TEST(MessungWindow, MenuItemsRunTheirHandlers) {
    using Check = std::function<void(WindowRig&)>;
    const std::vector<std::tuple<const char*, Check, Check>> cases = {
        {"Start1", nullptr, [](WindowRig& r) { EXPECT_TRUE(r.state.test_started); }},
        {"Justierung1kHz12dB1", nullptr,
         [](WindowRig& r) {
             EXPECT_TRUE(r.state.on_hold);
             EXPECT_EQ(r.state.test_freq, 1000);
             EXPECT_EQ(r.find<QLabel>("Test_F")->text(), " 1000");
         }},
        {"neu1", [](WindowRig& r) { r.runner.run([&] { r.m.Messung_reClick(); }); },
         [](WindowRig& r) { EXPECT_EQ(r.state.cur_ear, ear_left); }},
        {"zeichnen1", undrawn_left_result, [](WindowRig& r) { EXPECT_GT(blue_pixels(r.li), 0); }},
        {"zeichnenman1", nullptr, [](WindowRig& r) { EXPECT_FALSE(r.state.auto_mode); }},
        {"zeichnenauto1", [](WindowRig& r) { r.runner.run([&] { r.m.zeichnenman1Click(); }); },
         [](WindowRig& r) { EXPECT_TRUE(r.state.auto_mode); }},
        {"N1dB1", running_left, [](WindowRig& r) { EXPECT_EQ(r.state.test_level, 2); }},
        {"N6dB1", [](WindowRig& r) { r.runner.run([&] { r.m.set_test_level(20); }); },
         [](WindowRig& r) { EXPECT_EQ(r.state.test_level, 14); }},
        {"N10dB1", [](WindowRig& r) { r.runner.run([&] { r.m.set_test_level(20); }); },
         [](WindowRig& r) { EXPECT_EQ(r.state.test_level, 10); }},
        {"N0dB1", [](WindowRig& r) { r.runner.run([&] { r.m.set_test_level(20); }); },
         [](WindowRig& r) { EXPECT_EQ(r.state.test_level, 0); }},
        {"ausblenden1", nullptr,
         [](WindowRig& r) {
             EXPECT_FALSE(r.state.show_level);
             EXPECT_FALSE(r.shown("Test_db"));
         }},
        {"anzeigen1", [](WindowRig& r) { r.runner.run([&] { r.m.ausblenden1Click(); }); },
         [](WindowRig& r) { EXPECT_TRUE(r.shown("Test_db")); }},
        {"min1", nullptr, [](WindowRig& r) { EXPECT_EQ(r.state.test_freq, r.state.f_min); }},
        {"max1", nullptr, [](WindowRig& r) { EXPECT_EQ(r.state.test_freq, r.state.f_max); }},
        {"kleiner1", running_left, [](WindowRig& r) { EXPECT_EQ(r.state.test_freq, 6000); }},
        {"grer1", [](WindowRig& r) { r.runner.run([&] { r.m.set_test_freq(1000); }); },
         [](WindowRig& r) { EXPECT_EQ(r.state.test_freq, 1500); }},
        {"auswhlen1", running_left,
         [](WindowRig& r) {
             EXPECT_TRUE(r.state.on_hold);
             EXPECT_EQ(r.state.results_li.entries[22].flag, 1);
         }},
        {"DevMethPorts", nullptr, [](WindowRig& r) { EXPECT_TRUE(r.log.contains("show_dialog")); }},
        {"anzeigen2", nullptr, [](WindowRig& r) { EXPECT_TRUE(r.shown("Memo1_E")); }},
        {"ausblenden2", [](WindowRig& r) { r.runner.run([&] { r.m.anzeigen2Click(); }); },
         [](WindowRig& r) { EXPECT_FALSE(r.shown("Memo1_E")); }},
        {"PortLogInfo1", nullptr,
         [](WindowRig& r) {
             EXPECT_TRUE(r.shown("PortData"));
             EXPECT_EQ(r.find("PortData")->geometry(), r.find("Ohr_re_img")->geometry());
         }},
        {"WWWHomepage1", nullptr,
         [](WindowRig& r) {
             ASSERT_FALSE(r.browser.attempts.empty());
             EXPECT_EQ(r.browser.attempts[0], "handler " + r.m.help_address());
         }},
        {"downloadPortDrivers1", nullptr,
         [](WindowRig& r) {
             ASSERT_FALSE(r.dialogs.shown.empty());
             EXPECT_EQ(r.dialogs.shown[0], hearing::msg_register_port_drivers);
         }},
        {"Deutsch1", nullptr,
         [](WindowRig& r) {
             EXPECT_EQ(r.text_of("clear_li"), "neu li");
             EXPECT_EQ(r.find<QMenu>("MessMenu")->title(), "Messwerte");
             EXPECT_EQ(r.find<QMenu>("Lautstrke1")->title(), QString::fromUtf8("Lautst\u00e4rke"));
             EXPECT_EQ(r.find<QLabel>("Messung_")->geometry().left(), 10);
             EXPECT_TRUE(r.shown("Memo1_D"));
         }},
        {"English1", [](WindowRig& r) { r.runner.run([&] { r.m.Deutsch1Click(); }); },
         [](WindowRig& r) {
             EXPECT_EQ(r.text_of("clear_li"), "clear l");
             EXPECT_EQ(r.find<QLabel>("Messung_")->geometry().left(), 2);
             EXPECT_TRUE(r.shown("Memo1_E"));
             EXPECT_FALSE(r.shown("Memo1_D"));
         }},
    };
    for (const auto& [name, before, after] : cases) {
        SCOPED_TRACE(name);
        WindowRig rig;
        if (before) before(rig);
        rig.log.take();
        QAction* item = rig.action(name);
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
        QCoreApplication::processEvents(); // menu commands run once the choice has been answered
        after(rig);
    }
}

TEST(MessungWindow, FileCommandsStayDisabledUntilTheyExist) {
    // The controls whose commands wait for the results and export commands: those the window logic's own
    // table leaves without a handler (which ones, the core's command table test says).
    std::vector<std::string> names, ran;
    std::map<std::string, std::function<void()>> commands;
    {
        WindowRig rig;
        for (const Command& command : hearing::messung_commands(rig.m, nullptr))
            if (!command.run) names.push_back(command.control->name);
        for (const std::string& name : names) {
            EXPECT_FALSE(rig.find<QObject>(name.c_str())->property("enabled").toBool()) << name;
            commands[name] = [&ran, name] { ran.push_back(name); };
        }
        EXPECT_TRUE(rig.shown("speichern"));
    }
    ASSERT_FALSE(names.empty());
    WindowRig rig(commands);
    for (const std::string& name : names) {
        QObject* control = rig.find<QObject>(name.c_str());
        ASSERT_TRUE(control->property("enabled").toBool()) << name;
        if (auto* item = qobject_cast<QAction*>(control))
            item->trigger();
        else
            click(static_cast<QWidget*>(control));
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(ran, names);
}

TEST(MessungWindow, TimersTickThroughTheLogicOnceStarted) {
    WindowRig rig;
    auto* timer1 = rig.find<QTimer>("Timer1");
    auto* timer2 = rig.find<QTimer>("Timer2");
    for (auto [timer, interval] : {std::pair{timer1, 400}, {timer2, 1800}}) {
        EXPECT_EQ(timer->interval(), interval);
        EXPECT_EQ(timer->timerType(), Qt::PreciseTimer);
        EXPECT_FALSE(timer->isActive());
    }
    rig.window->start_timers();
    EXPECT_TRUE(timer1->isActive());
    EXPECT_TRUE(timer2->isActive());
    timer1->stop(); // this test fires them by hand
    timer2->stop();

    // Idle: each pulse tick blinks the Start caption.
    ASSERT_EQ(rig.text_of("Start"), "Start");
    QMetaObject::invokeMethod(timer1, "timeout");
    EXPECT_EQ(rig.text_of("Start"), "");
    QMetaObject::invokeMethod(timer1, "timeout");
    EXPECT_EQ(rig.text_of("Start"), "Start");
    // Running: the rise tick raises the level.
    running_left(rig);
    QMetaObject::invokeMethod(timer2, "timeout");
    EXPECT_EQ(rig.state.test_level, 2);
    EXPECT_EQ(rig.find<QLabel>("Test_db")->text(), "  2");
}

TEST(MessungWindow, HoveredArrowShowsItsHintInTheStatusBar) {
    WindowRig rig;
    auto* status = rig.find<QLabel>("StatusBar1_text");
    const QString caption = QString::fromStdString(rig.c.StatusBar1.caption);
    for (auto [name, hint] : {std::pair{"F_dn", "Frequenz  dn"}, {"F_up", "Frequenz up"}}) {
        QWidget* arrow = rig.find(name);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), arrow->mapToGlobal(QPointF(5, 5)));
        QCoreApplication::sendEvent(arrow, &enter);
        EXPECT_EQ(status->text(), hint);
        rig.runner.sync_views(); // a timer tick meanwhile keeps the hint
        EXPECT_EQ(status->text(), hint);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(arrow, &leave);
        EXPECT_EQ(status->text(), caption);
    }
    QWidget* up = rig.find("dB_up"); // no hint: the status text stays
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), up->mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(up, &enter);
    EXPECT_EQ(status->text(), caption);

    // The status bar lies inside the client area, along its bottom.
    QStatusBar* bar = rig.window->status_bar();
    EXPECT_EQ(bar->parentWidget(), rig.window->client_area());
    EXPECT_EQ(bar->geometry().bottom(), rig.window->client_area()->height() - 1);
    EXPECT_EQ(bar->width(), rig.window->client_area()->width());
}

TEST(MessungWindow, CtrlShiftLShowsThePortListener) {
    WindowRig rig;
    rig.window->activateWindow();
    QApplication::setActiveWindow(rig.window.get());
    QTest::keyClick(rig.window.get(), Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(rig.listener_shown, 1);
    QTest::keyClick(rig.window.get(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(rig.listener_shown, 1);
}

TEST(MessungWindow, ClosingRunsTheCloseHandlerOnceAndEndsTheProgram) {
    {
        WindowRig rig;
        rig.window->close();
        EXPECT_EQ(rig.log.take(), (std::vector<std::string>{"OPL2_aus", "speaker_off", "free_waves"}));
        EXPECT_EQ(rig.quits, 1);
        EXPECT_FALSE(rig.window->isVisible());
    }
    {
        WindowRig rig; // "beenden": the chip off, then the window closes the usual way
        rig.action("beenden1")->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(rig.log.take(),
                  (std::vector<std::string>{"OPL2_aus", "OPL2_aus", "speaker_off", "free_waves"}));
        EXPECT_EQ(rig.quits, 1);
    }
}

// ---------------------------------------------------------------- layout and charts

// The layout's numbers at every client size are the core's (window_layout_test); here one size that scales
// shows that they reach the widgets.
TEST(MessungWindow, LayoutReachesTheWidgets) {
    WindowRig rig;
    rig.set_client_size(800, 550);
    ASSERT_EQ(rig.window->client_area()->size(), QSize(800, 550));
    const std::pair<const char*, QRect> placed[] = {
        {"Ohr_li_img", {48, 70, 308, 205}},
        {"Ohr_re_img", {444, 70, 308, 205}},
        {"F_Leiste_li", {109, 13, 237, 44}},
        {"F_Leiste_re", {505, 13, 237, 44}},
        {"Panel_TM", {367, 55, 66, 220}},
        {"Panel_bot", {89, 324, 622, 176}},
        // The information memos lie over the right chart.
        {"Memo1_E", {444, 70, 308, 205}},
    };
    for (const auto& [name, geometry] : placed)
        EXPECT_EQ(rig.find(name)->geometry(), geometry) << name;
    // The status bar stays at the bottom.
    EXPECT_EQ(rig.window->status_bar()->geometry().bottom(), 550 - 1);
}

QRgb at(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xff000000u;
}

TEST(MessungWindow, ChartImagesShowTheirSurfacesUnscaled) {
    WindowRig rig;
    hearing::set_result_entry(rig.state.results_li, 10, 1000, 20);
    hearing::set_result_entry(rig.state.results_li, 14, 2000, 30);
    for (auto [cw, ch] : {std::pair{624, 414}, {1248, 828}}) {
        rig.set_client_size(cw, ch);
        for (const char* name : {"Ohr_li_img", "Ohr_re_img"}) {
            auto* chart = rig.find<ChartImage>(name);
            ASSERT_EQ(chart->image().size(), QSize(624, 416)) << "created at the start-up size";
            const QImage shown = chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
            ASSERT_EQ(shown.size(), chart->size());
            for (int y = 0; y < shown.height(); y += 7)
                for (int x = 0; x < shown.width(); x += 5)
                    ASSERT_EQ(at(shown, x, y), at(chart->image(), x, y)) << name << " " << x << "," << y;
        }
    }
}

TEST(MessungWindow, PortLogMemoFollowsTheRing) {
    WindowRig rig;
    rig.action("PortLogInfo1")->trigger();
    QCoreApplication::processEvents();
    rig.port_log.put(":> Port first line");
    rig.runner.sync_views();
    auto* memo = rig.find<QPlainTextEdit>("PortData");
    EXPECT_EQ(memo->toPlainText(), QString::fromStdString(rig.port_log.text()));
    EXPECT_TRUE(memo->toPlainText().contains(":> Port first line"));
}

// Screenshots for a person to look at: KELVOR_RENDER_DIR=/some/dir, ideally with a real display.
TEST(MessungWindow, RendersForInspection) {
    const QByteArray dir = qgetenv("KELVOR_RENDER_DIR");
    WindowRig rig;
    for (auto [index, level] : {std::pair{22, 25}, {20, 30}, {18, 20}, {14, 15}, {10, 10}, {6, 15}, {2, 20}})
        hearing::set_result_entry(rig.state.results_li, index, hearing::index_to_freq(index), level);
    running_left(rig);
    auto shoot = [&](int w, int h, const char* name) {
        rig.window->resize(w, h);
        QCoreApplication::processEvents();
        const QPixmap shot = rig.window->grab();
        EXPECT_EQ(shot.size() / shot.devicePixelRatio(), QSize(w, h));
        if (!dir.isEmpty()) {
            ASSERT_TRUE(shot.save(QString("%1/kelvor-window-%2.png").arg(QString::fromLocal8Bit(dir), name)));
        }
    };
    rig.runner.run([&] { rig.m.Ton_on_off(); });
    shoot(623, 425, "623x425");
    rig.runner.run([&] { rig.m.Ton_on_off(); });
    shoot(1248, 828 + rig.window->menuBar()->height(), "1248x828");
    // German, its information text shown; then the port log over the right chart.
    rig.runner.run([&] { rig.m.Deutsch1Click(); });
    shoot(623, 425, "german");
    rig.runner.run([&] {
        rig.m.ausblenden2Click();
        rig.port_buffer.add_line(" fini FormCreate");
        rig.port_buffer.show(rig.port_log);
        rig.m.PortLogInfo1Click();
    });
    shoot(623, 425, "port-log");
}

// The profiles' controls: the reference run's item last in the options menu, the name asked in a dialog of
// named parts, and the hearing level panel, which the window grows by while a profile is chosen.
TEST(MessungWindow, ProfileControlsJoinTheOptionsMenuAndTheWindowsFoot) {
    WindowRig rig;
    testing::EmptyProfileStore store;
    testing::SameConditions conditions;
    QtNamePrompt prompt(rig.runner, rig.window.get());
    profile::HearingProfiles profiles({rig.state, store, rig.dialogs, conditions});
    profile::ProfileCommands commands(profiles, rig.m, prompt);
    rig.window->add_profiles(profiles, profile::profile_commands(commands));
    QAction* item = rig.find<QMenu>("Parameterwahl1")->actions().back();
    EXPECT_EQ(item->objectName(), "Referenzmessung1");
    EXPECT_EQ(item->text(), "Reference run (calibrate headphones)...");
    auto* panel = rig.find<QDockWidget>("Hearing_Levels_Panel");
    EXPECT_TRUE(panel->isHidden());
    const int height = rig.window->height();

    QTimer::singleShot(100, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->accessibleDescription(), "Reference_Name_Dialog");
        auto* name = dialog->findChild<QLineEdit*>("Reference_Name");
        EXPECT_EQ(name->text(), "Headphones");
        name->setText(" HD ");
        dialog->findChild<QPushButton*>("Reference_ok")->click();
    });
    item->trigger();
    QCoreApplication::processEvents(); // the menu command runs once the choice has been answered
    ASSERT_TRUE(profiles.reference_run_active());
    hearing::set_result_entry(rig.state.results_li, 10, 1000, 20);
    rig.runner.run([&profiles] { profiles.sequence_complete(); });
    EXPECT_FALSE(panel->isHidden());
    EXPECT_TRUE(
        rig.find<QPlainTextEdit>("Hearing_Levels")->toPlainText().startsWith("Hearing level profile: HD"));
    EXPECT_GT(rig.window->height(), height);
    rig.runner.run([&commands] { commands.Profile_ListChange(0); });
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(rig.window->height(), height);
}

// The profile "HD", with a 10 dB reference on both ears at each of `freqs`, in the window and chosen.
struct ChosenProfile {
    ChosenProfile(WindowRig& rig, std::initializer_list<std::uint16_t> freqs)
        : prompt(rig.runner, rig.window.get()), profiles({rig.state, store, rig.dialogs, conditions}),
          commands(profiles, rig.m, prompt) {
        profile::Profile p;
        p.name = "HD";
        p.conditions = {"data stream", 100, "sink-a", 60, std::nullopt, false, "09.12.2026"};
        for (const std::uint16_t freq : freqs) {
            profile::add_run(p.left[hearing::freq_to_index(freq)], 10);
            profile::add_run(p.right[hearing::freq_to_index(freq)], 10);
        }
        store.files.contents["HD.profile"] = profile::profile_text(p);
        rig.window->add_profiles(profiles, profile::profile_commands(commands));
        rig.runner.run([this] {
            profiles.load();
            profiles.choose(1);
        });
    }
    testing::MemoryStore store;
    testing::SameConditions conditions;
    QtNamePrompt prompt;
    profile::HearingProfiles profiles;
    profile::ProfileCommands commands;
};

// With a profile the panel shows the hearing number and the grade under the table; the options menu's
// "Keep every saved test" is a check mark, off at start. KELVOR_RENDER_DIR keeps a picture of the panel.
TEST(MessungWindow, HearingNumberInThePanelAndTheKeepItem) {
    WindowRig rig;
    for (const std::uint16_t freq : {500, 1000, 2000, 4000}) {
        hearing::set_result_entry(rig.state.results_li, hearing::freq_to_index(freq), freq, 35);
        hearing::set_result_entry(rig.state.results_re, hearing::freq_to_index(freq), freq, 48);
    }
    ChosenProfile profile(rig, {500, 1000, 2000, 4000});
    const QString text = rig.find<QPlainTextEdit>("Hearing_Levels")->toPlainText();
    EXPECT_TRUE(text.contains("Left ear: 25 dB HL")) << text.toStdString();
    EXPECT_TRUE(text.contains("Right ear: more than 38 dB HL; not reached: 500 Hz more than 38 dB HL"));
    EXPECT_TRUE(text.contains("Grade (WHO 2021, better ear): mild hearing loss."));
    if (const QByteArray dir = qgetenv("KELVOR_RENDER_DIR"); !dir.isEmpty()) {
        ASSERT_TRUE(rig.window->grab().save(QString("%1/kelvor-window-hearing-number.png").arg(dir)));
    }

    QAction* keep = rig.action("Keep_Tests");
    EXPECT_EQ(keep->text(), "Keep every saved test");
    EXPECT_TRUE(keep->isCheckable());
    EXPECT_FALSE(keep->isChecked());
    keep->trigger();
    QCoreApplication::processEvents(); // the menu command runs once the choice has been answered
    EXPECT_TRUE(rig.m.controls().menu.Keep_Tests.checked);
    EXPECT_TRUE(keep->isChecked());
}

// Three saved tests kept with a profile, the third with 15 dB lost at 4 kHz: the window of kept tests
// lists them newest first and calls that a change worth a retest; the test chosen is drawn on both
// charts in the lighter pen, and choosing none gives back the charts pixel for pixel.
// KELVOR_RENDER_DIR keeps pictures of the windows in English and German.
TEST(MessungWindow, KeptTestsListedDrawnOnTheChartsAndALossCalledWorthARetest) {
    results::ResultsCommands* results = nullptr;
    WindowRig rig({{"speichern", [&results] { results->speichernClick(); }}});
    ChosenProfile profile(rig, {500, 1000, 2000, 3000, 4000, 6000});
    testing::MemoryStore kept;
    testing::FakePrintJob printer;
    testing::FakeCalendar calendar;
    testing::FakeWindowCapture capture;
    results::ResultsCommands r{{rig.state, rig.c, rig.charts, *rig.li, *rig.re, rig.files, rig.dialogs,
                                printer, calendar, capture, [&rig] { rig.m.FormResize(); }}};
    results = &r;
    r.keep_tests_in(kept, [] { return false; });
    history::KeptTestsWindow logic({kept, rig.state, rig.charts, [&rig] { rig.m.FormResize(); }});
    HistoryWindow view(logic, rig.runner, rig.window.get());
    rig.m.show_kept_tests_with([&logic] { logic.show(); });
    rig.m.kept_tests_language_with([&logic](bool german) { logic.use_language(german); });

    rig.action("Keep_Tests")->trigger();
    QCoreApplication::processEvents();
    for (const auto& [when, at_4k] :
         {std::pair{"2024-03-01T09:00:00+01:00", 30}, std::pair{"2025-03-01T09:00:00+01:00", 32},
          std::pair{"2026-03-01T09:00:00+01:00", 47}}) {
        calendar.date_time = when;
        for (const std::uint16_t freq : {500, 1000, 2000, 3000, 4000, 6000})
            for (auto* record : {&rig.state.results_li, &rig.state.results_re})
                hearing::set_result_entry(*record, hearing::freq_to_index(freq), freq,
                                          freq == 4000 ? at_4k : 30);
        click(rig.find("speichern"));
    }
    ASSERT_EQ(kept.files.contents.size(), 3u);
    QCoreApplication::processEvents();
    rig.runner.run([&rig] { rig.m.FormResize(); });
    // What the chart shows (beyond its size the surface keeps what earlier, larger drawings left).
    auto shown = [](const ChartImage& chart) {
        return chart.image().copy(0, 0, chart.width(), chart.height());
    };
    const QImage before = shown(*rig.li);

    rig.action("Kept_Tests_List")->trigger();
    QCoreApplication::processEvents();
    ASSERT_TRUE(view.isVisible());
    auto* list = view.findChild<QTreeWidget*>("Kept_List");
    auto choose = [list](int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(row)).center());
    };
    ASSERT_EQ(list->topLevelItemCount(), 4); // "none", then the three
    EXPECT_EQ(list->topLevelItem(1)->text(0), "2026-03-01 09:00");
    auto change = [&view] { return view.findChild<QPlainTextEdit*>("Kept_Change")->toPlainText(); };
    EXPECT_TRUE(change().contains("Left ear: hearing number +4 dB since the first test, +4 dB since the "
                                  "previous; 2-4 kHz +6 dB, +5 dB: a change worth a retest"))
        << change().toStdString();

    // The latest test drawn: a lighter blue on both charts and the legend; none again: the charts as before.
    auto light_pixels = [](const ChartImage& chart) {
        const QImage image = chart.image().convertToFormat(QImage::Format_RGB32);
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
        return std::count(pixels, pixels + image.width() * image.height(), qRgb(120, 150, 255));
    };
    choose(3);
    EXPECT_GT(light_pixels(*rig.li), 60);
    EXPECT_GT(light_pixels(*rig.re), 60);
    EXPECT_TRUE(change().contains("\n\nChange of the test of 2024-03-01 09:00")) << change().toStdString();
    choose(0);
    EXPECT_EQ(shown(*rig.li), before);
    click(view.findChild<QPushButton*>("Kept_Close"));
    EXPECT_FALSE(view.isVisible());

    if (const QByteArray dir = qgetenv("KELVOR_RENDER_DIR"); !dir.isEmpty()) {
        rig.action("Kept_Tests_List")->trigger();
        QCoreApplication::processEvents();
        choose(2);
        ASSERT_TRUE(rig.window->grab().save(QString("%1/kept-tests-charts-small-en.png").arg(dir)));
        // The client area above the hearing level panel in the shape of the first layout, enlarged.
        rig.set_client_size(900, 614 + rig.find("Hearing_Levels_Panel")->height());
        for (const char* language : {"en", "de"}) {
            if (language == std::string("de")) rig.runner.run([&rig] { rig.m.Deutsch1Click(); });
            QCoreApplication::processEvents();
            ASSERT_TRUE(rig.window->grab().save(QString("%1/kept-tests-charts-%2.png").arg(dir, language)));
            ASSERT_TRUE(view.grab().save(QString("%1/kept-tests-window-%2.png").arg(dir, language)));
        }
    }
}

} // namespace
} // namespace kelvor::ui
