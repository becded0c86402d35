#pragma once
// Check boxes and radio buttons as assistive technology presses them. Qt's own accessible button turns
// a checkable button over without clicking it, so the window's click handlers never hear of it: a radio
// chosen through a screen reader showed as chosen while the program kept its old choice, until the next
// refresh turned the radio back. Here that action is a click, as the mouse and the keyboard make it,
// made once the request has been answered.
class QAccessibleInterface;
class QObject;
class QString;

namespace kelvor::ui {

// Makes the accessible interface of every check box and radio button from now on; call once at start.
void use_accessible_buttons();

// The interface for `object` when it is a check box or radio button, else null (the factory's rule).
QAccessibleInterface* accessible_checkable_button(const QString& class_name, QObject* object);

} // namespace kelvor::ui
