#include <QApplication>

#include "ui/messung_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kelvor::ui::MessungWindow window;
    window.show();
    return app.exec();
}
