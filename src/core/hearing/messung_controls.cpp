#include "core/hearing/messung_controls.h"

#include <utility>

#include "core/hearing/frequency_scale.h"
#include "core/hearing/help_pages.h"
#include "core/hearing/test_state.h"
#include "core/settings/language_tables.h"

namespace kelvor::hearing {

namespace {

// The information texts: the side is chosen on the sound card's mixer, so the memos say how.
std::vector<std::string> german_info_lines() {
    return {"Programm Kelvor 2.0         Jun. 2004",
            "",
            "Achtung:  ",
            "Zur zweckgemäßen Verwendung des Pro-",
            "grammes muß die Ausgabelautstärke mit ",
            "dem Mixer der Soundkarte bzw. in der ",
            "Parameterwahl vorjustiert werden. ",
            "Die Seitenwahl erfolgt über den",
            "Balance-Regler der Soundkarte.",
            "",
            "Weitere Bedienungsanleitung siehe:",
            "",
            help_page_url(settings::german_table()[settings::slot_help_page])};
}

std::vector<std::string> english_info_lines() {
    return {"Program: Kelvor 2.0            Jun. 2004",
            "",
            "Attention:",
            "To obtain appropriate results, the sound card ",
            "volume has to be adjusted with the sound ",
            "mixer or in menu option 'Devices, Methods,",
            "Ports' at program start. The side has to be ",
            "selected by the balance slide. ",
            "",
            "For more instructions see:",
            "",
            help_page_url(settings::english_table()[settings::slot_help_page])};
}

} // namespace

// The menu as it is designed; the language tables replace most captions at start-up.
MessungMenu::MessungMenu() {
    Programm1.caption = "Programm";
    Start1.caption = "Start";
    beenden1.caption = "beenden";
    Bildschirmdrucken1.caption = "Bildschirm drucken";
    Bildschirmspeichern1.caption = "Bildschirm speichern";
    Justierung1kHz12dB1.caption = "Justierung  = 1 kHz 12 dB";
    MessMenu.caption = "Messwerte";
    neu1.caption = "neu";
    zeichnen1.caption = "zeichnen";
    speichern1.caption = "speichern";
    drucken1.caption = "drucken";
    lesen1.caption = "lesen";
    zeichnenauto1.caption = "zeichnen : auto";
    zeichnenman1.caption = "zeichnen : man";
    PDFspeichern1.caption = settings::text_in(settings::Text::save_pdf, true);
    CSVspeichern1.caption = settings::text_in(settings::Text::save_csv, true);
    FHIRspeichern1.caption = settings::text_in(settings::Text::save_fhir, true);
    Keep_Tests.caption = settings::text_in(settings::Text::keep_tests, true);
    Kept_Tests_List.caption = settings::text_in(settings::Text::kept_item, true);
    Lautstrke1.caption = "Lautstärke";
    N1dB1.caption = "+ 1 dB";
    N6dB1.caption = "- 6 dB";
    N10dB1.caption = "- 10 dB";
    N0dB1.caption = "= 0 dB";
    anzeigen1.caption = "anzeigen";
    ausblenden1.caption = "ausblenden";
    Frequenz1.caption = "Frequenz";
    min1.caption = "= min";
    kleiner1.caption = "<- kleiner";
    grer1.caption = "-> größer";
    max1.caption = "= max";
    Messpunkt1.caption = "Messpunkt";
    auswhlen1.caption = "auswählen";
    Parameterwahl1.caption = "Parameterwahl";
    DevMethPorts.caption = "Devices, Methods and Ports";
    Infos1.caption = "Infos";
    anzeigen2.caption = "anzeigen";
    ausblenden2.caption = "ausblenden";
    WWWHomepage1.caption = "WWW-Homepage";
    PortLogInfo1.caption = "Port Log-Info ON/OFF ";
    downloadPortDrivers1.caption = "download Port Drivers";
    Language1.caption = "Sprache / Language";
    Deutsch1.caption = "Deutsch";
    English1.caption = "English";
}

// The window as it is designed, before start-up lays it out and the language is applied. Positions inside
// the two panels are fixed; the layout places the panels, charts and track bars.
MessungControls::MessungControls() {
    form.caption = messung_caption;
    form.bounds = {0, 0, messung_initial_width, messung_initial_height};

    // What a screen reader calls the controls that show no caption of their own (and the few whose
    // caption blinks or is only a number).
    const std::pair<Control*, const char*> descriptions[] = {
        {&form, "Kelvor"},
        {&Panel_TM, "Tone"},
        {&Test_F, "Test frequency"},
        {&Kopfhoerer, "Headphones"},
        {&Test_db, "Test level"},
        {&Noise_on, "Tone pulse"},
        {&Ohr_li_img, "Left ear chart"},
        {&Ohr_re_img, "Right ear chart"},
        {&F_Leiste_li, "Frequency, left ear"},
        {&F_Leiste_re, "Frequency, right ear"},
        {&f_No, "Frequency index"},
        {&Memo1_D, "Information (German)"},
        {&Memo1_E, "Information (English)"},
        {&PortData, "Port log"},
        {&StatusBar1, "Status"},
        {&Panel_bot, "Commands"},
        {&Ohr_gif_li, "Left ear"},
        {&db_Progress, "Level steps"},
        {&Ohr_gif_re, "Right ear"},
        {&F_dn, "Frequency down"},
        {&dB_up, "Level up 2 dB"},
        {&ok_select, "ok. detected"},
        {&db_dn, "Level down 6 dB"},
        {&F_up, "Frequency up"},
        {&Start, "Start"},
        {&Testname, "Name of the test person"},
    };
    for (const auto& [control, description] : descriptions)
        control->description = description;

    Panel_TM.bounds = {290, 20, 66, 217};
    Frequenz_.caption = "Frequenz";
    Frequenz_.bounds = {4, 6, 58, 14};
    Test_F.caption = "500";
    Test_F.bounds = {4, 22, 58, 18};
    Kopfhoerer.bounds = {13, 46, 40, 40};
    Dezibel_.caption = "Dezibel";
    Dezibel_.bounds = {4, 94, 58, 14};
    Test_db.caption = "0";
    Test_db.bounds = {4, 110, 58, 18};
    Noise_on.bounds = {24, 140, 18, 18};
    Messung_.caption = "Messung";
    Messung_.bounds = {10, 170, 62, 14};

    Ohr_li_img.bounds = {20, 22, 240, 160};
    Ohr_re_img.bounds = {338, 20, 360, 240};
    Ohr_re_img.cursor = Cursor::hand_point;

    for (RangeControl* bar : {&F_Leiste_li, &F_Leiste_re}) {
        bar->minimum = 2;
        bar->maximum = track_max_normal;
        bar->position = 13;
        bar->bounds = {20, 0, 185, 34};
    }
    F_Leiste_re.visible = false;

    f_No.caption = "0";
    f_No.visible = false;
    Memo1_D.lines = german_info_lines();
    Memo1_D.visible = false;
    Memo1_D.enabled = false;
    Memo1_E.lines = english_info_lines();
    Memo1_E.visible = false;
    PortData.visible = false;
    StatusBar1.caption = std::string("Infos :                ") + maker_site_host;

    Panel_bot.bounds = {1, 221, 630, 177};
    clear_li.caption = "clear li";
    clear_li.bounds = {8, 8, 72, 25};
    Messung_li.caption = "Messung links";
    Messung_li.bounds = {86, 8, 92, 25};
    Ohr_gif_li.bounds = {184, 4, 34, 34};
    db_Progress.minimum = 0;
    db_Progress.maximum = 14;
    db_Progress.position = 3;
    db_Progress.bounds = {226, 14, 170, 16};
    Ohr_gif_re.bounds = {404, 4, 34, 34};
    Ohr_gif_re.visible = false;
    Messung_re.caption = "Messung rechts";
    Messung_re.bounds = {444, 8, 92, 25};
    clear_re.caption = "clear re";
    clear_re.bounds = {542, 8, 72, 25};

    f_extended.caption = "extended";
    f_extended.bounds = {8, 104, 96, 18};
    auto_.caption = "automatic";
    auto_.checked = true;
    auto_.bounds = {8, 124, 96, 18};
    f_fine.caption = "fine";
    f_fine.bounds = {8, 144, 96, 18};

    F_dn.hint = "Frequenz  dn";
    F_dn.cursor = Cursor::hand_point;
    F_dn.bounds = {112, 50, 48, 40};
    T_2_dBup.caption = "+ 2 dB";
    T_2_dBup.bounds = {172, 44, 44, 14};
    dB_up.cursor = Cursor::hand_point;
    dB_up.bounds = {176, 60, 32, 32};
    ok_select.caption = "ok. detected";
    ok_select.cursor = Cursor::hand_point;
    ok_select.bounds = {226, 46, 170, 48};
    db_dn.cursor = Cursor::hand_point;
    db_dn.bounds = {414, 60, 32, 32};
    T_6_dBdn.caption = "-6 dB";
    T_6_dBdn.bounds = {410, 44, 44, 14};
    F_up.hint = "Frequenz up";
    F_up.cursor = Cursor::hand_point;
    F_up.bounds = {462, 50, 48, 40};

    Start.caption = "Start";
    Start.bounds = {226, 104, 170, 32};
    db_reset.caption = "= 0 dB";
    db_reset.bounds = {120, 108, 88, 25};
    speichern.caption = "speichern";
    speichern.bounds = {414, 108, 96, 25};
    Drucken.caption = "Drucken";
    Drucken.bounds = {518, 108, 96, 25};
    Name_label.caption = "Name: ";
    Name_label.bounds = {226, 148, 40, 18};
    Testname.lines = {"Testname"};
    Testname.bounds = {268, 145, 242, 22};
}

void place_port_log(MessungControls& c, std::int8_t ear) {
    c.PortData.bounds = ear == ear_left ? c.Ohr_re_img.bounds : c.Ohr_li_img.bounds;
}

} // namespace kelvor::hearing
