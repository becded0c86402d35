#include "ui/port_listener_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "support/port_fakes.h"

namespace kelvor::ui {
namespace {

struct WindowRig {
    testing::RecordingPortIo ports;
    diagnostics::TTinyPortListener listener{ports};
    diagnostics::PortListenerControls& c = listener.controls();
    HandlerRunner runner;
    PortListenerWindow window{listener, runner};

    template <class W = QWidget> W* widget(const char* name) {
        W* w = window.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* name) { widget<QAbstractButton>(name)->click(); }
    // One tick of the window's own timer, as the event loop delivers it.
    void tick() { QMetaObject::invokeMethod(const_cast<QTimer*>(&window.timer()), "timeout"); }
    QStringList shown_lines() { return widget<QPlainTextEdit>("PortResponse")->toPlainText().split('\n'); }
};

TEST(PortListenerWindow, EveryControlHasItsWidgetNamedAndCaptioned) {
    WindowRig rig;
    EXPECT_TRUE(rig.window.isHidden());
    EXPECT_EQ(rig.window.objectName(), "TinyPortListener");
    EXPECT_EQ(rig.window.windowTitle(), "TinyPortListener");
    EXPECT_EQ(rig.window.size(), QSize(514, 433));
    rig.c.for_each([&](Control& control) {
        QWidget* w = control.name == "TinyPortListener" ? &rig.window : rig.widget(control.name.c_str());
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->accessibleDescription().toStdString(), control.name);
        if (!control.caption.empty()) {
            EXPECT_EQ(w->accessibleName().toStdString(), control.caption);
        }
        EXPECT_FALSE(w->accessibleName().isEmpty()) << control.name;
    });
    EXPECT_EQ(rig.widget<QPushButton>("Start")->text(), "START");
    EXPECT_EQ(rig.widget<QCheckBox>("Extension")->text(), "incl. Base+1");
    EXPECT_EQ(rig.widget<QGroupBox>("GroupBox1")->title(), "Port Group:");
    EXPECT_TRUE(rig.widget<QRadioButton>("Port0388")->isChecked());
    EXPECT_EQ(rig.window.findChild<QRadioButton*>("Clear"), nullptr); // a push button, not a port choice
    EXPECT_EQ(rig.widget<QGroupBox>("GroupBox2"), rig.widget("Clear")->parentWidget());
    EXPECT_EQ(rig.shown_lines().size(), 12);
    EXPECT_EQ(rig.window.timer().timerType(), Qt::PreciseTimer);
    EXPECT_TRUE(rig.window.timer().isActive());
}

TEST(PortListenerWindow, ClicksReachTheLogicAndTheListShowsItsLines) {
    WindowRig rig;
    rig.ports.read_values[0x0060] = 0x1C;
    rig.click("User4");
    EXPECT_EQ(rig.listener.port_address(), 0x0060);
    EXPECT_EQ(rig.widget<QRadioButton>("User4")->text(), "User 4: $0060");
    EXPECT_EQ(rig.widget<QRadioButton>("User4")->accessibleName(), "User 4: $0060");
    EXPECT_TRUE(rig.widget<QRadioButton>("User4")->isChecked());
    EXPECT_FALSE(rig.widget<QRadioButton>("Port0388")->isChecked());
    rig.click("User4"); // clicking the chosen button again keeps it chosen
    EXPECT_TRUE(rig.widget<QRadioButton>("User4")->isChecked());

    rig.click("Extension");
    EXPECT_TRUE(rig.c.Extension.checked);
    rig.click("Start");
    EXPECT_EQ(rig.window.timer().interval(), 500);
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.ports.reads, (std::vector<std::uint16_t>{0x0060, 0x0061, 0x0060, 0x0061}));
    QStringList lines = rig.shown_lines();
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[10], "1:> $0060 : 28  $0061 : 255");
    EXPECT_EQ(lines[11], "2:> $0060 : 28  $0061 : 255");

    rig.click("ListenButton");
    EXPECT_EQ(rig.window.timer().interval(), 50);
    rig.click("Stop");
    EXPECT_EQ(rig.window.timer().interval(), 50);
    rig.ports.reads.clear();
    rig.tick();
    EXPECT_TRUE(rig.ports.reads.empty());
    EXPECT_TRUE(rig.window.timer().isActive());

    rig.click("Clear");
    EXPECT_EQ(rig.shown_lines(), QStringList(12, ":>"));
    rig.click("scan");
    EXPECT_EQ(rig.ports.reads.size(), 256u);
    EXPECT_EQ(rig.shown_lines()[11], "1:> $0300 : 255");
}

TEST(PortListenerWindow, ShownByItsKeyHiddenByExitAndItsCloseBox) {
    WindowRig rig;
    rig.window.show_window();
    EXPECT_TRUE(rig.window.isVisible());
    EXPECT_TRUE(rig.c.form.visible);
    rig.click("Exit");
    EXPECT_TRUE(rig.window.isHidden());
    EXPECT_FALSE(rig.c.form.visible);

    rig.window.show_window();
    EXPECT_TRUE(rig.window.close());
    EXPECT_TRUE(rig.window.isHidden());
    EXPECT_FALSE(rig.c.form.visible);
    rig.runner.sync_views(); // a later mirror does not bring it back
    EXPECT_TRUE(rig.window.isHidden());
    EXPECT_FALSE(rig.window.testAttribute(Qt::WA_QuitOnClose));
}

} // namespace
} // namespace kelvor::ui
