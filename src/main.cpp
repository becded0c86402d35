// Wiring only: the application, the program's parts, the event loop.
#include <QApplication>

#include "ui/desktop_identity.h"
#include "ui/messung_window.h"
#include "ui/program.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kelvor::ui::use_desktop_identity(app);
    app.setFont(kelvor::ui::messung_font());
    kelvor::ui::Program program;
    program.show();
    return app.exec();
}
