#include "ui/program.h"

#include <random>

#include "core/hearing/messung_command_table.h"
#include "core/profile/profile_commands.h"

namespace kelvor::ui {

Program::Program() : sound(platform::SoundSystem::from_environment()) {
    host::SystemInfo& system = sound->system_info();
    // The program's start, before any window: the system's description into the port log, and once more.
    // Appended rather than " " + text: GCC 12 at -O3 reports a false overflow inside that operator+.
    port_buffer.add_line(std::string(" ").append(port::OSVersionText(system, port_buffer)));

    waves = std::make_unique<tone::WaveStream>(sound->audio_out(), sound_log);
    tone = std::make_unique<tone::ToneOutput>(state, sound->ports(), nullptr, *waves, sound->clock(), dialogs,
                                              sound_log);
    runner.set_tone(tone.get());
    browser = std::make_unique<platform::DesktopBrowser>(launcher);

    // The chart images exist before the charts that draw on them; the main window adopts them.
    left_chart = new ChartImage;
    right_chart = new ChartImage;
    charts = std::make_unique<chart::Charts>(*left_chart, *right_chart, state);
    // The main window asks the dialog's radios from its start on, so the dialog's logic is there first
    // (the main window's logic introduces itself to it); its window comes after the main window's.
    parameter = std::make_unique<settings::TParameter>(
        settings::ParameterServices{state, *tone, system, dialogs, &sound->routing()});

    conditions = std::make_unique<profile::LiveConditions>(parameter->controls(), tone->settings(),
                                                           sound_server, calendar);
    profiles = std::make_unique<profile::HearingProfiles>(
        profile::ProfileServices{state, profile_store, dialogs, *conditions});

    room_watch = std::make_unique<room::RoomWatch>(microphone);
    const auto profile_room = [this](std::string& name) -> std::optional<room::Baseline> {
        const profile::Profile* chosen = profiles->chosen_profile();
        if (chosen == nullptr || !chosen->room) return std::nullopt;
        name = chosen->name;
        return chosen->room;
    };
    room_guard = std::make_unique<hearing::RoomGuard>(
        hearing::RoomGuardServices{state, dialogs, languages, room_watch.get(), profile_room,
                                   [this](bool german) { microphone.use_language(german); }});

    // The main window with its port driver component.
    small_port = std::make_unique<port::TSmallPort>(system, sound->driver_services(), port_buffer);
    messung = std::make_unique<hearing::TMessung>(hearing::MessungServices{
        state, *tone, *charts, *parameter, languages, sound_log, port_log, port_buffer, system, dialogs,
        files, *browser, window_host, small_port.get(), &sound->routing(), profiles.get(), room_guard.get()});
    // The confirmed threshold's pauses and silent ascents differ from run to run.
    messung->confirmed().seed(std::random_device{}());
    frame = std::make_unique<chart::MessungFrameControls>(messung->controls());
    charts->use_controls(frame.get());
    left_chart->follow(&messung->controls().Ohr_li_img);
    right_chart->follow(&messung->controls().Ohr_re_img);

    capture = std::make_unique<WidgetCapture>(files);
    results = std::make_unique<results::ResultsCommands>(
        results::ResultsServices{state, messung->controls(), *charts, *left_chart, *right_chart, files,
                                 dialogs, printer, calendar, *capture, [this] { messung->FormResize(); }});
    results->keep_tests_in(kept_tests, [this] { return languages.german(); });
    kept_tests_logic = std::make_unique<history::KeptTestsWindow>(
        history::KeptTestsServices{kept_tests, state, *charts, [this] { messung->FormResize(); }});
    kept_tests_logic->use_language(languages.german());
    messung->kept_tests_language_with([this](bool german) { kept_tests_logic->use_language(german); });
    // Inside the menu command's handler: the mirroring after it shows the window.
    messung->show_kept_tests_with([this] {
        kept_tests_logic->show();
        history_window->raise();
        history_window->activateWindow();
    });
    exports = std::make_unique<results::ExportCommands>(
        results::ExportServices{state, messung->controls(), *results, files, dialogs, pdf, calendar,
                                [this] { return state.normals; }});
    listener = std::make_unique<diagnostics::TTinyPortListener>(sound->ports());

    window = std::make_unique<MessungWindow>(
        *messung, runner, left_chart, right_chart, port_log, [this] { listener_window->show_window(); },
        hearing::messung_commands(*messung, results.get(), exports.get()));
    window_host.attach(window.get());
    capture->set_widget(window->client_area());
    dialogs.set_parent(window.get());
    name_prompt.set_parent(window.get());
    window->form_create();

    parameter_dialog = std::make_unique<ParameterDialog>(*parameter, runner, window.get());
    listener_window = std::make_unique<PortListenerWindow>(*listener, runner);
    history_window = std::make_unique<HistoryWindow>(*kept_tests_logic, runner, window.get());
    // No profile is chosen at start; the list is read once the normal values exist.
    profiles->load();
    profile_commands = std::make_unique<profile::ProfileCommands>(*profiles, *messung, name_prompt);
    const CommandTable commands = profile::profile_commands(*profile_commands);
    window->add_profiles(*profiles, commands);
    parameter_dialog->add_profiles(profiles->controls(), commands);
    runner.sync_views();
}

Program::~Program() {
    // The windows go first: none of them may mirror or run a handler while the parts below are destroyed.
    history_window.reset();
    listener_window.reset();
    parameter_dialog.reset();
    window.reset();
}

void Program::show() {
    window->show();
    window->start_timers();
    if (!sound->notice().empty()) dialogs.message_box(sound->notice());
}

} // namespace kelvor::ui
