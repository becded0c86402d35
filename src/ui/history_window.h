#pragma once
// The window of kept tests: a thin view of history::KeptTestsWindow (the options menu's item opens it
// through the logic). The list of tests, the change in the latest and the chosen one and a button to
// close; each user event runs through the runner, and every window mirrors afterwards.
#include <QWidget>

#include "core/history/kept_tests_window.h"
#include "ui/control_binding.h"
#include "ui/handler_runner.h"

namespace kelvor::ui {

class HistoryWindow : public QWidget {
    Q_OBJECT
  public:
    // Created hidden; `parent` is the main window, above which it stays.
    HistoryWindow(history::KeptTestsWindow& logic, HandlerRunner& runner, QWidget* parent = nullptr);

    void sync();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    history::KeptTestsWindow& logic_;
    HandlerRunner& runner_;
    ControlBinding binding_;
};

} // namespace kelvor::ui
