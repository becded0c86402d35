#pragma once
// The hearing level profiles on the screen, added to the windows from outside so they stay as they are
// while no profile exists or is chosen: the menu item for a reference run (in the options menu), the
// profile list in the output settings dialog, and a panel at the foot of the main window with the
// profile in use and the hearing levels in dB HL (shown only while a profile is chosen).
#include <QObject>
#include <string>

#include "core/hearing/messung.h"
#include "core/profile/hearing_profiles.h"
#include "core/settings/language_tables.h"
#include "ui/handler_runner.h"

class QAction;
class QComboBox;
class QDockWidget;
class QGroupBox;
class QLabel;
class QMainWindow;
class QPlainTextEdit;
class QWidget;

namespace kelvor::ui {

class ProfileUi : public QObject {
    Q_OBJECT
  public:
    ProfileUi(profile::HearingProfiles& profiles, hearing::TMessung& messung,
              const settings::Languages& languages, HandlerRunner& runner, QMainWindow* main_window,
              QWidget* settings_dialog);

    // Captions, the list and the panel follow the logic; a changed profile redraws the charts.
    void sync();

  private:
    void reference_run();
    void chosen(int index);

    profile::HearingProfiles& profiles_;
    hearing::TMessung& messung_;
    const settings::Languages& languages_;
    HandlerRunner& runner_;
    QMainWindow* main_window_;
    QAction* reference_item_ = nullptr;
    QGroupBox* list_box_ = nullptr;
    QComboBox* list_ = nullptr;
    QDockWidget* panel_ = nullptr;
    QPlainTextEdit* panel_text_ = nullptr;
    std::string shown_normals_; // the normal values the charts were last drawn with
    bool syncing_ = false;
    bool panel_shown_ = false;
};

} // namespace kelvor::ui
