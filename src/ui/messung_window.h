#pragma once
#include <QMainWindow>

namespace kelvor::ui {

// The main window of the hearing test.
class MessungWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MessungWindow(QWidget* parent = nullptr);
};

} // namespace kelvor::ui
