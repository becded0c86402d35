// The whole program as main() makes it, in a working folder of its own: Start with and without a results
// file, the language switch and closing, through the real windows, sound system and files.
#include "ui/program.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <set>

namespace kelvor::ui {
namespace {

// A working folder of its own for one program run; the previous one comes back afterwards.
struct WorkingFolder {
    WorkingFolder() : previous(QDir::currentPath()) { QDir::setCurrent(dir.path()); }
    ~WorkingFolder() { QDir::setCurrent(previous); }
    QTemporaryDir dir;
    QString previous;
};

struct ProgramRig {
    WorkingFolder folder;
    Program program;

    ProgramRig() {
        program.show();
        QCoreApplication::processEvents();
    }
    template <class W = QWidget> W* find(QWidget* window, const char* name) {
        W* widget = window->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    // Clicks a main window button by its control name, as a user's click is delivered.
    void click(const char* name) { find<QAbstractButton>(program.window.get(), name)->click(); }
    void trigger(const char* name) { find<QAction>(program.window.get(), name)->trigger(); }
};

// Runs the event loop for `ms`, as the user waits.
void wait_ms(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// While `action` runs, answers every message box it opens: notes its text and, for the box with `hold_text`,
// watches `sample` every 100 ms for `hold_ms` before pressing OK.
struct BoxAnswerer {
    std::vector<std::string> texts;
    std::vector<std::string> samples;

    void run(const std::function<void()>& action, const std::string& hold_text, int hold_ms,
             const std::function<std::string()>& sample) {
        QTimer poll;
        poll.setInterval(50);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || box->property("answering").toBool()) return;
            box->setProperty("answering", true);
            texts.push_back(box->text().toStdString());
            const bool hold = texts.back() == hold_text;
            for (int t = 0; hold && t < hold_ms; t += 100) {
                wait_ms(100);
                samples.push_back(sample());
            }
            box->button(QMessageBox::Ok)->click();
        });
        poll.start();
        action();
        wait_ms(300);
    }
};

TEST(Program, FirstStartHoldsTheCalibrationToneInTheDialogAndTheAdjustmentBox) {
    ProgramRig rig;
    const hearing::TestState& state = rig.program.state;
    BoxAnswerer boxes;
    bool dialog_shown_in_box = false;
    boxes.run([&] { rig.click("Start"); }, " adjust SOUND MIXER now ! jetzt justieren ", 2000,
              [&] {
                  dialog_shown_in_box = rig.program.parameter_dialog->isVisible();
                  return rig.program.messung->controls().ok_select.caption;
              });
    ASSERT_FALSE(boxes.texts.empty());
    EXPECT_EQ(boxes.texts.back(), " adjust SOUND MIXER now ! jetzt justieren ");
    EXPECT_TRUE(dialog_shown_in_box);
    // The calibration tone is held, pulsing: from the first tick on the button blinks "continue" and the
    // level does not rise.
    ASSERT_GT(boxes.samples.size(), 5u);
    EXPECT_EQ(std::set<std::string>(boxes.samples.begin() + 5, boxes.samples.end()),
              (std::set<std::string>{"", "continue"}));
    EXPECT_TRUE(state.on_hold);
    EXPECT_EQ(state.test_level, 12);
    EXPECT_EQ(state.test_freq, 1000);

    // "o.k. select" ends the hold: the run begins at the top of the range at 0 dB, in automatic mode.
    rig.find<QAbstractButton>(rig.program.parameter_dialog.get(), "Port_ok")->click();
    wait_ms(100);
    EXPECT_FALSE(rig.program.parameter_dialog->isVisible());
    EXPECT_FALSE(state.on_hold);
    EXPECT_TRUE(state.auto_mode);
    EXPECT_EQ(state.test_freq, 8000);
    EXPECT_LE(state.test_level, 2);
}

TEST(Program, WithAResultsFileStartBeginsTheRunAndALanguageSwitchStopsIt) {
    ProgramRig rig;
    QFile file("Kelvor.dat");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const hearing::TestState& state = rig.program.state;
    const hearing::MessungControls& c = rig.program.messung->controls();
    BoxAnswerer boxes;
    boxes.run([&] { rig.click("Start"); }, "", 0, {});
    EXPECT_EQ(
        std::count(boxes.texts.begin(), boxes.texts.end(), " adjust SOUND MIXER now ! jetzt justieren "), 0);
    EXPECT_FALSE(rig.program.parameter_dialog->isVisible());
    EXPECT_TRUE(state.test_started);
    EXPECT_EQ(state.test_freq, 8000);
    EXPECT_LE(state.test_level, 2);

    rig.trigger("Deutsch1");
    wait_ms(100);
    EXPECT_FALSE(state.test_started);
    EXPECT_EQ(rig.find<QAbstractButton>(rig.program.window.get(), "clear_li")->text(), "neu li");
    EXPECT_TRUE(rig.find(rig.program.window.get(), "Memo1_D")->isVisible());
    EXPECT_EQ(rig.program.parameter->controls().Port_ok.caption, "übernehmen");
    EXPECT_EQ(c.Messung_.bounds.left, 10);
    rig.trigger("English1");
    wait_ms(100);
    EXPECT_EQ(rig.find<QAbstractButton>(rig.program.window.get(), "clear_li")->text(), "clear l");
    EXPECT_FALSE(rig.find(rig.program.window.get(), "Memo1_D")->isVisible());
}

TEST(Program, StartUpLogsTheSystemBeforeThePortDriverAndClosingSilencesTheTone) {
    ProgramRig rig;
    // Before any window the system's description goes into the port log twice; the port driver component
    // is made with the main window, after it.
    std::vector<std::string> lines;
    for (const std::string& line : rig.program.port_log.lines())
        if (!line.empty()) lines.push_back(line);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0].rfind(":> Port Win ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], lines[0]);
    EXPECT_EQ(lines[2], ":> Port.Create - init");
    EXPECT_EQ(lines.back(), ":> Port fini FormCreate");

    rig.program.parameter_dialog->show();
    rig.program.window->close();
    EXPECT_FALSE(rig.program.window->isVisible());
    EXPECT_EQ(rig.program.state.test_level, 0); // the chip's tone off, as closing does
}

} // namespace
} // namespace kelvor::ui
