#include "ui/messung_window.h"

namespace kelvor::ui {

MessungWindow::MessungWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Messung");
    setWindowTitle("Kelvor 2.0");
    resize(623, 425);
}

} // namespace kelvor::ui
