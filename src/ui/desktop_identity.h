#pragma once
// The program as the desktop knows it: the name of its application menu entry (on Wayland the window is
// matched to the entry by it), its window class and its icon.
class QGuiApplication;

namespace kelvor::ui {

// Also the installed menu entry's file name, without ".desktop".
extern const char* const desktop_app_id;

void use_desktop_identity(QGuiApplication& app);

} // namespace kelvor::ui
