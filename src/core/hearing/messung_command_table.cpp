#include "core/hearing/messung_command_table.h"

#include "core/hearing/messung.h"
#include "core/results/export_commands.h"
#include "core/results/results_commands.h"

namespace kelvor::hearing {

CommandTable messung_commands(TMessung& m, results::ResultsCommands* results, results::ExportCommands* exports) {
    MessungControls& c = m.controls();
    MessungMenu& menu = c.menu;
    const auto on = [&m](void (TMessung::*handler)()) { return [&m, handler] { (m.*handler)(); }; };
    const auto file = [results](void (results::ResultsCommands::*handler)()) {
        return results == nullptr ? std::function<void()>() : [results, handler] { (results->*handler)(); };
    };
    const auto track = [&m](RangeControl& bar, void (TMessung::*handler)(int)) {
        return Command{&bar, CommandKind::track, [&m, handler](int position) { (m.*handler)(position); }};
    };
    const auto exported = [exports](void (results::ExportCommands::*handler)()) {
        return exports == nullptr ? std::function<void()>() : [exports, handler] { (exports->*handler)(); };
    };
    using R = results::ResultsCommands;
    using E = results::ExportCommands;
    return {
        // The command panel
        click_command(c.clear_li, on(&TMessung::clear_liClick)),
        click_command(c.Messung_li, on(&TMessung::Messung_liClick)),
        click_command(c.Ohr_gif_li, on(&TMessung::Ohr_gif_liClick)),
        click_command(c.Ohr_gif_re, on(&TMessung::Ohr_gif_reClick)),
        click_command(c.Messung_re, on(&TMessung::Messung_reClick)),
        click_command(c.clear_re, on(&TMessung::clear_reClick)),
        check_command(c.f_extended, on(&TMessung::f_extendedClick)),
        check_command(c.auto_, on(&TMessung::autoClick)),
        check_command(c.f_fine, {}), // read by the frequency steps
        click_command(c.F_dn, on(&TMessung::Test_F_dn)),
        click_command(c.dB_up, on(&TMessung::db_upClick)),
        click_command(c.ok_select, on(&TMessung::db_select)),
        click_command(c.db_dn, on(&TMessung::db_6dnClick)),
        click_command(c.F_up, on(&TMessung::Test_F_up)),
        click_command(c.Start, on(&TMessung::StartClick)),
        click_command(c.db_reset, on(&TMessung::db_resetClick)),
        click_command(c.speichern, file(&R::speichernClick)),
        click_command(c.Drucken, file(&R::DruckenClick)),
        // Outside the panels: a click on a chart chooses its ear
        click_command(c.Ohr_li_img, on(&TMessung::Messung_liClick)),
        click_command(c.Ohr_re_img, on(&TMessung::Messung_reClick)),
        track(c.F_Leiste_li, &TMessung::F_Leiste_liChange),
        track(c.F_Leiste_re, &TMessung::F_Leiste_reChange),
        // The menu
        click_command(menu.Start1, on(&TMessung::StartClick)),
        click_command(menu.beenden1, on(&TMessung::beenden1Click)),
        click_command(menu.Bildschirmdrucken1, file(&R::Bildschirmdrucken1Click)),
        click_command(menu.Bildschirmspeichern1, file(&R::Bildschirmspeichern1Click)),
        click_command(menu.Justierung1kHz12dB1, on(&TMessung::Justierung1kHz12dB1Click)),
        click_command(menu.neu1, on(&TMessung::neu1Click)),
        click_command(menu.zeichnen1, on(&TMessung::zeichnen1Click)),
        click_command(menu.speichern1, file(&R::speichern1Click)),
        click_command(menu.drucken1, file(&R::drucken1Click)),
        click_command(menu.lesen1, file(&R::lesen1Click)),
        click_command(menu.PDFspeichern1, exported(&E::PDFspeichern1Click)),
        click_command(menu.CSVspeichern1, exported(&E::CSVspeichern1Click)),
        click_command(menu.FHIRspeichern1, exported(&E::FHIRspeichern1Click)),
        click_command(menu.zeichnenauto1, on(&TMessung::zeichnenauto1Click)),
        click_command(menu.zeichnenman1, on(&TMessung::zeichnenman1Click)),
        click_command(menu.N1dB1, on(&TMessung::db_upClick)), // "+ 1 dB" steps by 2 dB, as the button does
        click_command(menu.N6dB1, on(&TMessung::db_6dnClick)),
        click_command(menu.N10dB1, on(&TMessung::level_down_10)),
        click_command(menu.N0dB1, on(&TMessung::db_resetClick)),
        click_command(menu.anzeigen1, on(&TMessung::anzeigen)),
        click_command(menu.ausblenden1, on(&TMessung::ausblenden1Click)),
        click_command(menu.min1, on(&TMessung::min1Click)),
        click_command(menu.kleiner1, on(&TMessung::Test_F_dn)),
        click_command(menu.grer1, on(&TMessung::Test_F_up)),
        click_command(menu.max1, on(&TMessung::max1Click)),
        click_command(menu.auswhlen1, on(&TMessung::auswhlen1Click)),
        click_command(menu.DevMethPorts, on(&TMessung::DevMethPortsClick)),
        click_command(menu.Keep_Tests, on(&TMessung::Keep_TestsClick)),
        click_command(menu.Kept_Tests_List, on(&TMessung::Kept_Tests_ListClick)),
        click_command(menu.anzeigen2, on(&TMessung::anzeigen2Click)),
        click_command(menu.ausblenden2, on(&TMessung::ausblenden2Click)),
        click_command(menu.WWWHomepage1, on(&TMessung::WWWHomepage1Click)),
        click_command(menu.PortLogInfo1, on(&TMessung::PortLogInfo1Click)),
        click_command(menu.downloadPortDrivers1, on(&TMessung::downloadPortDrivers1Click)),
        click_command(menu.Deutsch1, on(&TMessung::Deutsch1Click)),
        click_command(menu.English1, on(&TMessung::English1Click)),
    };
}

} // namespace kelvor::hearing
