// Wiring only: the application, the program's parts, the event loop.
#include <QApplication>

#include "platform/process_end.h"
#include "ui/accessible_buttons.h"
#include "ui/desktop_identity.h"
#include "ui/messung_window.h"
#include "ui/missing_display.h"
#include "ui/program.h"

namespace {

// The program and the application are gone when this returns.
int run(int& argc, char** argv) {
    QApplication app(argc, argv);
    kelvor::ui::display_found();
    kelvor::ui::use_desktop_identity(app);
    kelvor::ui::use_accessible_buttons();
    app.setFont(kelvor::ui::window_font());
    kelvor::ui::Program program;
    program.show();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    kelvor::ui::explain_a_missing_display();
    kelvor::platform::end_process(run(argc, argv));
}
