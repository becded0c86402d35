// The settings dialog's Qt window: one named widget per control, the user's events reaching the logic,
// and the logic's state reaching the widgets. The logic itself is tested in the core.
#include "ui/parameter_dialog.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <gtest/gtest.h>

#include "support/parameter_rig.h"
#include "ui/accessible_buttons.h"

namespace kelvor::ui {
namespace {

struct DialogRig : testing::ParameterRig {
    HandlerRunner runner{&tone};
    ParameterDialog view{p, runner};

    template <class W = QWidget> W* find(const char* name) {
        W* w = view.findChild<W*>(QString::fromLatin1(name));
        if (w == nullptr && view.objectName() == QLatin1String(name)) w = qobject_cast<W*>(&view);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* name) { find<QAbstractButton>(name)->click(); }
    // Waits (at most 5 s) for the window to become the active one.
    bool wait_active() {
        QElapsedTimer waited;
        waited.start();
        while (!view.isActiveWindow() && waited.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        QApplication::processEvents();
        return view.isActiveWindow();
    }
    void open() {
        runner.run([&] { p.show(); });
        ASSERT_TRUE(wait_active());
    }
};

QString text_of(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return w->windowTitle();
}

TEST(ParameterDialog, EveryControlHasItsNamedWidgetWithCaptionAndState) {
    DialogRig r;
    int count = 0;
    r.c.for_each([&](auto& control) {
        ++count;
        QWidget* w = r.view.widget_of(control.name);
        ASSERT_NE(w, nullptr) << control.name;
        const QString name = QString::fromStdString(control.name);
        EXPECT_EQ(w->objectName(), name);
        EXPECT_EQ(w->accessibleDescription(), name);
        const QString caption = QString::fromStdString(control.caption);
        EXPECT_EQ(text_of(w), caption) << control.name;
        EXPECT_FALSE(w->accessibleName().isEmpty()) << control.name;
        if (!control.caption.empty()) {
            EXPECT_EQ(w->accessibleName(), caption) << control.name;
        }
        EXPECT_EQ(w->isEnabled(), control.enabled) << control.name;
        if constexpr (std::is_same_v<std::decay_t<decltype(control)>, CheckControl>) {
            EXPECT_EQ(qobject_cast<QAbstractButton*>(w)->isChecked(), control.checked) << control.name;
        }
    });
    EXPECT_EQ(count, 33);
    EXPECT_EQ(r.find("Dev_PC_Speaker")->toolTip(), "no Volume Adjustment");
    EXPECT_EQ(r.find("Vol_0dB")->accessibleName(), "Calibration volume");
    EXPECT_EQ(r.find("OS_Panel")->accessibleName(), "Operating system");
    EXPECT_FALSE(r.view.isVisible());
    EXPECT_FALSE(r.view.isModal());
}

TEST(ParameterDialog, ShowingActivatesItAndActivationRunsTheLogic) {
    DialogRig r;
    r.open();
    // The emulated bus's family: the 95 entry, direct port I/O offered, the port choices greyed out for
    // the preset data stream, and the main window's mode taken over.
    EXPECT_TRUE(r.find<QAbstractButton>("OS_Win_9598")->isChecked());
    EXPECT_TRUE(r.find("MethB_Direct_Port")->isEnabled());
    EXPECT_FALSE(r.find("Port0388")->isEnabled());
    EXPECT_EQ(r.find<QLabel>("Test_port")->palette().color(QPalette::Disabled, QPalette::WindowText),
              QColor(128, 128, 128));
    EXPECT_FALSE(r.state.auto_mode);
    EXPECT_EQ(r.out.out_device, tone::dev_soundcard);
}

TEST(ParameterDialog, ClicksReachTheirHandlersAndTheWidgetsFollow) {
    DialogRig r;
    r.open();
    r.click("Dev_PC_Speaker");
    EXPECT_EQ(r.dialogs.shown, std::vector<std::string>{"no Volume Adjustment for PC Speaker !"});
    EXPECT_TRUE(r.find<QAbstractButton>("MethB_Port_Driver")->isChecked());
    EXPECT_FALSE(r.find<QAbstractButton>("MethB_Data_Stream")->isChecked());
    EXPECT_FALSE(r.find("MethB_Data_Stream")->isEnabled());
    EXPECT_FALSE(r.find("Vol_0dB")->isVisibleTo(&r.view));
    EXPECT_EQ(r.find<QLabel>("active_Port")->text(), "active Port:  PC Speaker / Port $0061");

    r.click("Dev_Sound_Card");
    r.click("MethB_Direct_Port");
    r.click("Port0220");
    r.click("Port_Test");
    EXPECT_EQ(r.out.port_base, 0x220);
    r.click("Port_Cancel"); // back to the port of the activation
    EXPECT_TRUE(r.find<QAbstractButton>("Port0388")->isChecked());

    r.click("MethB_Data_Stream");
    EXPECT_TRUE(r.find("Vol_0dB")->isVisibleTo(&r.view));
    r.click("Vol_0dB_down");
    r.click("Vol_0dB_down");
    EXPECT_EQ(r.find<QLabel>("Vol_percent")->text(), "96 %");
    EXPECT_EQ(r.out.cal_volume, 96);
    r.click("Vol_0dB_up");
    EXPECT_EQ(r.out.cal_volume, 98);

    r.runner.run([&] { r.p.use_language(true); });
    EXPECT_EQ(r.find<QAbstractButton>("Port_ok")->text(), "übernehmen");
}

TEST(ParameterDialog, ARadioPressedThroughAccessibilityReachesTheLogic) {
    use_accessible_buttons();
    DialogRig r;
    r.open();
    ASSERT_EQ(r.out.out_method, tone::meth_stream);
    QAccessibleInterface* radio = QAccessible::queryAccessibleInterface(r.find("MethB_Port_Driver"));
    ASSERT_NE(radio, nullptr);
    radio->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QApplication::processEvents();
    EXPECT_EQ(r.out.out_method, tone::meth_driver);
    EXPECT_TRUE(r.c.MethB_Port_Driver.checked);
    EXPECT_TRUE(r.find<QAbstractButton>("MethB_Port_Driver")->isChecked()); // and it stays so
}

TEST(ParameterDialog, TheOptionBoxesToggleAndReachTheOutput) {
    DialogRig r;
    r.open();
    for (const char* name : {"Ear_Routing", "Soft_Onset"})
        EXPECT_FALSE(r.find<QAbstractButton>(name)->isChecked()) << name;
    r.click("Ear_Routing");
    r.click("Soft_Onset");
    r.click("Ear_Routing");
    EXPECT_EQ(r.routing.log->calls, (std::vector<std::string>{"routing on", "soft on", "routing off"}));
    EXPECT_FALSE(r.find<QAbstractButton>("Ear_Routing")->isChecked());
    EXPECT_TRUE(r.find<QAbstractButton>("Soft_Onset")->isChecked());
    EXPECT_TRUE(r.c.Soft_Onset.checked);

    r.runner.run([&] { r.p.use_language(true); });
    auto* box = r.find<QAbstractButton>("Soft_Onset");
    EXPECT_EQ(box->text(), "Weicher Toneinsatz (20 ms)");
    EXPECT_EQ(box->accessibleName(), "Weicher Toneinsatz (20 ms)");
    EXPECT_EQ(box->toolTip().toStdString(), r.c.Soft_Onset.hint);
}

// The room watch's box: off at start, setting the test's state.
TEST(ParameterDialog, TheRoomWatchBoxSetsTheTestState) {
    DialogRig r;
    r.open();
    EXPECT_FALSE(r.find<QAbstractButton>("Watch_Room")->isChecked());
    r.click("Watch_Room");
    EXPECT_TRUE(r.state.watch_room);
}

TEST(ParameterDialog, OkAndTheTitleBarCloseRunTheCloseHandlerOnce) {
    for (const bool by_title_bar : {false, true}) {
        SCOPED_TRACE(by_title_bar ? "title bar" : "o.k. select");
        DialogRig r;
        r.open();
        r.state.on_hold = true;
        if (by_title_bar)
            r.view.close();
        else
            r.click("Port_ok");
        QApplication::processEvents();
        EXPECT_FALSE(r.view.isVisible());
        EXPECT_FALSE(r.c.form.visible);
        EXPECT_FALSE(r.state.on_hold);
        EXPECT_TRUE(r.state.auto_mode); // given back
        r.state.on_hold = true;
        r.view.close();
        EXPECT_TRUE(r.state.on_hold); // closed already: nothing runs again

        // Shown again: it comes back.
        r.open();
        EXPECT_TRUE(r.view.isVisible());
    }
}

} // namespace
} // namespace kelvor::ui
