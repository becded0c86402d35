#include "ui/desktop_identity.h"

#include <QGuiApplication>

#include "ui/pictures.h"

namespace kelvor::ui {

const char* const desktop_app_id = KELVOR_APP_ID;

void use_desktop_identity(QGuiApplication& app) {
    QCoreApplication::setApplicationName("kelvor"); // the window class on X11
    // No display name: the window system would append it to the window's caption.
    QGuiApplication::setDesktopFileName(desktop_app_id);
    app.setWindowIcon(program_icon());
}

} // namespace kelvor::ui
