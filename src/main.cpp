// Wiring only: the parts of the program, made once and living for the whole run.
//
// Interim: the output settings dialog and the working folder's files are being built elsewhere; until
// they land, the two classes below stand in for them (marked where they are used).
#include <QApplication>
#include <cstdio>
#include <memory>

#include "core/chart/charts.h"
#include "core/diagnostics/log_buffer.h"
#include "core/diagnostics/port_listener.h"
#include "core/hearing/messung.h"
#include "core/host/files.h"
#include "core/port/small_port.h"
#include "core/settings/language_tables.h"
#include "core/tone/tone_output.h"
#include "core/tone/wave_stream.h"
#include "platform/desktop_browser.h"
#include "platform/sound_system.h"
#include "ui/desktop_identity.h"
#include "ui/handler_runner.h"
#include "ui/messung_window.h"
#include "ui/port_listener_window.h"
#include "ui/qt_dialogs.h"

namespace {

using namespace kelvor;

// Interim, until the output settings dialog lands: its preset choices (sound card, data stream), copied
// into the output settings when Start names the family, and no window to show.
class PresetSettings final : public hearing::SettingsDialog {
  public:
    explicit PresetSettings(tone::ToneOutput& tone) : tone_(tone) {}
    bool nt_family_selected() const override { return nt_; }
    bool data_stream_selected() const override { return true; }
    void nt_layout() override { use_presets(true); }
    void win9x_layout() override { use_presets(false); }
    void disable_port_group() override {}
    void set_menu_captions(const settings::TextTable&) override {}
    void use_language(bool) override {}
    void show() override {}

  private:
    void use_presets(bool nt) {
        nt_ = nt;
        tone_.settings().out_device = tone::dev_soundcard;
        tone_.settings().out_method = tone::meth_stream;
    }
    tone::ToneOutput& tone_;
    bool nt_ = false;
};

// Interim, until the working folder's files land: Start's probe for the results file.
class WorkingFolderProbe final : public host::Files {
  public:
    bool can_open_read_write(const std::string& name) override {
        std::FILE* file = std::fopen(name.c_str(), "r+");
        if (file == nullptr) return false;
        std::fclose(file);
        return true;
    }
};

// Every part of the program, in the order they are made. The message boxes mirror the windows through the
// runner, which is made after the tone output that needs the boxes; it is only used once the windows exist.
struct Program {
    std::unique_ptr<platform::SoundSystem> sound = platform::SoundSystem::from_environment();
    host::SystemInfo& system = sound->system_info();
    // Made by the port and sound units before any window exists.
    diagnostics::LogBuffer port_buffer{"Port", diagnostics::log_capacity_default};
    diagnostics::LogBuffer sound_log{tone::sound_log_name, diagnostics::log_capacity_default};
    diagnostics::PortLogRing port_log;

    hearing::TestState state;
    ui::QtDialogs dialogs{runner};
    tone::WaveStream waves{sound->audio_out(), sound_log};
    tone::ToneOutput tone{state, sound->ports(), nullptr, waves, sound->clock(), dialogs, sound_log};
    ui::HandlerRunner runner{&tone};
    port::TSmallPort small_port{system, sound->driver_services(), port_buffer};

    // The chart images exist before the charts that draw on them; the main window adopts them.
    ui::ChartImage* left_chart = new ui::ChartImage;
    ui::ChartImage* right_chart = new ui::ChartImage;
    chart::Charts charts{*left_chart, *right_chart, state};
    settings::Languages languages;
    PresetSettings settings_dialog{tone}; // interim
    WorkingFolderProbe files;             // interim
    platform::DesktopLauncher launcher;
    platform::DesktopBrowser browser{launcher};
    ui::MessungWindowHost window_host;
    hearing::TMessung messung{{state, tone, charts, settings_dialog, languages, sound_log, port_log,
                               port_buffer, system, dialogs, files, browser, window_host, &small_port}};
    chart::MessungFrameControls frame{messung.controls()};
    diagnostics::TTinyPortListener listener{sound->ports()};
    ui::MessungWindow window{messung,     runner,   left_chart,
                             right_chart, port_log, [this] { listener_window->show_window(); }};
    // Made after the main window, hidden; shown by the main window's Ctrl+Shift+L.
    std::unique_ptr<ui::PortListenerWindow> listener_window =
        std::make_unique<ui::PortListenerWindow>(listener, runner);
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::use_desktop_identity(app);
    app.setFont(ui::messung_font());

    Program p;
    // The program's start: the system's description into the port log, and once more.
    p.port_buffer.add_line(" " + port::OSVersionText(p.system, p.port_buffer));
    p.charts.use_controls(&p.frame);
    p.window_host.attach(&p.window);
    p.dialogs.set_parent(&p.window);

    p.window.form_create();
    p.window.show();
    p.window.start_timers();
    if (!p.sound->notice().empty()) p.dialogs.message_box(p.sound->notice());
    return app.exec();
}
