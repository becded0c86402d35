#pragma once
// The whole program, made once at start and living until it ends. The log buffers and the sound system
// come first (the units of the port driver and of the sound output make them), then the system's
// description goes into the port log, then the three windows are made in their order: the main window
// (with its port driver component), the output settings dialog, the port listener (hidden). They are
// destroyed in reverse: the windows, then the port driver component (which still logs and removes what
// it installed), the tone output, the sound system.
#include <cstdlib>
#include <memory>

#include "core/chart/charts.h"
#include "core/diagnostics/log_buffer.h"
#include "core/diagnostics/port_listener.h"
#include "core/hearing/messung.h"
#include "core/hearing/room_guard.h"
#include "core/history/kept_tests_window.h"
#include "core/port/small_port.h"
#include "core/profile/hearing_profiles.h"
#include "core/profile/profile_commands.h"
#include "core/results/export_commands.h"
#include "core/results/results_commands.h"
#include "core/settings/language_tables.h"
#include "core/settings/parameter.h"
#include "core/tone/tone_output.h"
#include "core/tone/wave_stream.h"
#include "platform/config_folder_profiles.h"
#include "platform/desktop_browser.h"
#include "platform/locale_calendar.h"
#include "platform/pdf_document_job.h"
#include "platform/printer_job.h"
#include "platform/pulse_room_microphone.h"
#include "platform/pulse_sound_server.h"
#include "platform/sound_system.h"
#include "platform/working_folder_files.h"
#include "ui/chart_image.h"
#include "ui/handler_runner.h"
#include "ui/history_window.h"
#include "ui/messung_window.h"
#include "ui/parameter_dialog.h"
#include "ui/port_listener_window.h"
#include "ui/qt_dialogs.h"
#include "ui/widget_capture.h"

namespace kelvor::ui {

class Program {
  public:
    // Everything up to and including the main window's start-up; nothing is shown yet.
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Shows the main window, starts its timers and tells the user once what the environment could not
    // give (real ports refused, a trace file that cannot be written).
    void show();

    // The parts, in the order they are made.
    diagnostics::LogBuffer port_buffer{port::port_log_name, diagnostics::log_capacity_default};
    diagnostics::LogBuffer sound_log{tone::sound_log_name, diagnostics::log_capacity_default};
    diagnostics::PortLogRing port_log;
    std::unique_ptr<platform::SoundSystem> sound;
    hearing::TestState state;
    settings::Languages languages;
    HandlerRunner runner;
    QtDialogs dialogs{runner};
    QtNamePrompt name_prompt{runner};
    std::unique_ptr<tone::WaveStream> waves;
    std::unique_ptr<tone::ToneOutput> tone;
    platform::WorkingFolderFiles files;
    platform::PrinterJob printer;
    platform::PdfDocumentJob pdf;
    platform::LocaleCalendar calendar;
    platform::DesktopLauncher launcher;
    std::unique_ptr<platform::DesktopBrowser> browser;
    MessungWindowHost window_host;
    ChartImage* left_chart = nullptr; // owned by the main window once it exists
    ChartImage* right_chart = nullptr;
    std::unique_ptr<chart::Charts> charts;
    std::unique_ptr<settings::TParameter> parameter;
    // Hearing level profiles: the configuration folder, the sound server's volumes, today's conditions.
    platform::ConfigFolderProfiles profile_store;
    // Every saved test kept, while the options menu's item is on.
    platform::ConfigFolderProfiles kept_tests{
        platform::kelvor_history_folder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"))};
    platform::PulseSoundServer sound_server;
    std::unique_ptr<profile::LiveConditions> conditions;
    std::unique_ptr<profile::HearingProfiles> profiles;
    // The room watch: the microphone opens only while a test runs with the settings dialog's option on.
    // A sink's monitor is no microphone, except as a test's room (KELVOR_ROOM_MONITOR=1).
    platform::PulseRoomMicrophone microphone{std::getenv("KELVOR_ROOM_MONITOR") != nullptr};
    std::unique_ptr<room::RoomWatch> room_watch;
    std::unique_ptr<hearing::RoomGuard> room_guard;
    std::unique_ptr<port::TSmallPort> small_port; // the main window's port driver component
    std::unique_ptr<hearing::TMessung> messung;
    std::unique_ptr<chart::MessungFrameControls> frame;
    std::unique_ptr<WidgetCapture> capture;
    std::unique_ptr<results::ResultsCommands> results;
    std::unique_ptr<results::ExportCommands> exports;
    std::unique_ptr<diagnostics::TTinyPortListener> listener;
    std::unique_ptr<history::KeptTestsWindow> kept_tests_logic;
    std::unique_ptr<MessungWindow> window;
    std::unique_ptr<ParameterDialog> parameter_dialog;
    std::unique_ptr<PortListenerWindow> listener_window;
    std::unique_ptr<HistoryWindow> history_window;
    std::unique_ptr<profile::ProfileCommands> profile_commands;
};

} // namespace kelvor::ui
