// Check boxes and radio buttons pressed through their accessible action: the press is a click that the
// window's click handlers hear, as a mouse click is.
#include "ui/accessible_buttons.h"

#include <QAccessible>
#include <QCheckBox>
#include <QCoreApplication>
#include <QRadioButton>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace kelvor::ui {
namespace {

struct Pressed {
    int clicks = 0;
    bool checked_after = false;
    bool state_checked = false;
    bool offered = false;
};

// Presses `button` through its accessible interface and reports what the window would have seen.
Pressed press_accessibly(QAbstractButton* button) {
    Pressed p;
    QObject::connect(button, &QAbstractButton::clicked, button, [&p] { ++p.clicks; });
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
    if (iface == nullptr || iface->actionInterface() == nullptr) return p;
    QAccessibleActionInterface* actions = iface->actionInterface();
    p.offered = actions->actionNames().contains(QAccessibleActionInterface::toggleAction());
    if (p.offered) actions->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(p.clicks, 0); // the click comes after the request has been answered
    QCoreApplication::processEvents();
    p.checked_after = button->isChecked();
    p.state_checked = iface->state().checked;
    return p;
}

TEST(AccessibleButtons, TheToggleActionIsAClick) {
    use_accessible_buttons();
    const struct {
        const char* what;
        bool radio;
        bool enabled;
        bool lamp; // takes no mouse clicks
        int clicks;
        bool checked;
    } cases[] = {
        {"radio", true, true, false, 1, true},
        {"check box", false, true, false, 1, true},
        {"disabled radio", true, false, false, 0, false},
        {"disabled check box", false, false, false, 0, false},
        {"lamp", true, true, true, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget window;
        QAbstractButton* button = c.radio ? static_cast<QAbstractButton*>(new QRadioButton("choice", &window))
                                          : new QCheckBox("option", &window);
        button->setEnabled(c.enabled);
        if (c.lamp) button->setAttribute(Qt::WA_TransparentForMouseEvents);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->role(), c.radio ? QAccessible::RadioButton : QAccessible::CheckBox);
        EXPECT_EQ(iface->text(QAccessible::Name), c.radio ? "choice" : "option");
        EXPECT_TRUE(iface->state().checkable);

        const Pressed p = press_accessibly(button);
        EXPECT_EQ(p.offered, !c.lamp);
        EXPECT_EQ(p.clicks, c.clicks);
        EXPECT_EQ(p.checked_after, c.checked);
        EXPECT_EQ(p.state_checked, c.checked);
    }
}

TEST(AccessibleButtons, AChosenRadioStaysChosenAndAnAccessibleNameWins) {
    use_accessible_buttons();
    QWidget window;
    auto* radio = new QRadioButton("&Port Driver", &window);
    new QRadioButton("Data Stream", &window); // its neighbour in the group
    radio->setChecked(true);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(radio)->text(QAccessible::Name), "Port Driver");
    radio->setAccessibleName("Port Driver method");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(radio)->text(QAccessible::Name), "Port Driver method");
    const Pressed p = press_accessibly(radio);
    EXPECT_EQ(p.clicks, 1); // a click on a chosen radio, as the mouse gives it: the handler runs again
    EXPECT_TRUE(p.checked_after);
}

} // namespace
} // namespace kelvor::ui
