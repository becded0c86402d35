// Wiring only: the application, the program's parts, the event loop.
#include <QApplication>

#include "ui/accessible_buttons.h"
#include "ui/desktop_identity.h"
#include "ui/messung_window.h"
#include "ui/missing_display.h"
#include "ui/program.h"

int main(int argc, char** argv) {
    kelvor::ui::explain_a_missing_display();
    QApplication app(argc, argv);
    kelvor::ui::display_found();
    kelvor::ui::use_desktop_identity(app);
    kelvor::ui::use_accessible_buttons();
    app.setFont(kelvor::ui::window_font());
    kelvor::ui::Program program;
    program.show();
    return app.exec();
}
