#include "ui/missing_display.h"

#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kelvor::ui {

namespace {

QtMessageHandler qt_handler = nullptr;

std::string where() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') return std::string("QT_QPA_PLATFORM=") + platform;
    if ((x11 == nullptr || *x11 == '\0') && (wayland == nullptr || *wayland == '\0'))
        return "DISPLAY and WAYLAND_DISPLAY are unset";
    std::string at;
    if (x11 != nullptr && *x11 != '\0') at = std::string("DISPLAY=") + x11;
    if (wayland != nullptr && *wayland != '\0')
        at += (at.empty() ? "" : ", ") + std::string("WAYLAND_DISPLAY=") + wayland;
    return at + " does not answer";
}

void on_message(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        if (qt_handler != nullptr) qt_handler(type, context, text);
        return;
    }
    std::fprintf(stderr, "kelvor: no display to show the window on (%s); start it from a desktop session.\n",
                 where().c_str());
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

void explain_a_missing_display() {
    qt_handler = qInstallMessageHandler(on_message);
}

void display_found() {
    qInstallMessageHandler(qt_handler);
}

} // namespace kelvor::ui
