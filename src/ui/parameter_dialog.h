#pragma once
// The output settings dialog on the screen: a top-level window that does not block the main window. It
// mirrors the dialog logic's control state and forwards the user's clicks, its activation and its
// closing by the title bar to the logic's handlers through the handler runner.
#include <QWidget>
#include <map>
#include <string>

#include "core/profile/profile_controls.h"
#include "core/settings/parameter.h"
#include "ui/control_binding.h"
#include "ui/handler_runner.h"

class QVBoxLayout;

namespace kelvor::ui {

class ParameterDialog : public QWidget {
    Q_OBJECT
  public:
    // Registers its mirror with `runner`; both must outlive the window. `parent` (the main window, or
    // null) keeps the dialog above it without making it modal.
    ParameterDialog(settings::TParameter& core, HandlerRunner& runner, QWidget* parent = nullptr);

    // Copies the control state into the widgets; shows, raises or hides the window as the logic says.
    void sync();
    // The widget mirroring the control `name`, or null.
    QWidget* widget_of(const std::string& name) const;
    // The profile list, below the port group; `commands` is profile::profile_commands.
    void add_profiles(profile::ProfileControls& controls, const CommandTable& commands);

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    template <class W, class C> W* add(W* widget, C& control);
    QWidget* make_volume_arrows(QWidget* parent);
    void mirror_form();

    settings::TParameter& core_;
    HandlerRunner& runner_;
    ControlBinding binding_;
    std::map<std::string, QWidget*> widgets_;
    QVBoxLayout* right_column_ = nullptr;
    int shown_requests_ = 0; // the logic's show requests already carried out
};

} // namespace kelvor::ui
