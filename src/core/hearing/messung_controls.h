#pragma once
// The state of the main window's controls and menu items as the window logic sees and writes it. The Qt
// window creates one widget (or menu action) per entry, named after `name`, and copies these values into
// them after every handler.
#include <cstdint>
#include <string>

#include "core/common/control_state.h"

namespace kelvor::hearing {

using kelvor::Bounds;
using kelvor::CheckControl;
using kelvor::Control;
using kelvor::Cursor;
using kelvor::RangeControl;
using kelvor::TextControl;

constexpr const char* messung_caption = " Kelvor 2.0  /  06.2004  ";
// The window's size at start, menu bar included; the system places it.
constexpr int messung_initial_width = 623;
constexpr int messung_initial_height = 425;

struct MessungMenu {
    // Menu titles
    Control Programm1{"Programm1"};
    Control MessMenu{"MessMenu"};
    Control Lautstrke1{"Lautstrke1"};
    Control Frequenz1{"Frequenz1"};
    Control Messpunkt1{"Messpunkt1"};
    Control Parameterwahl1{"Parameterwahl1"};
    Control Infos1{"Infos1"};
    Control Language1{"Language1"};

    // "Programm"
    Control Start1{"Start1"};
    Control beenden1{"beenden1"};
    Control Bildschirmdrucken1{"Bildschirmdrucken1"};
    Control Bildschirmspeichern1{"Bildschirmspeichern1"};
    Control Justierung1kHz12dB1{"Justierung1kHz12dB1"};
    // "Messwerte"
    Control neu1{"neu1"};
    Control zeichnen1{"zeichnen1"};
    Control speichern1{"speichern1"};
    Control drucken1{"drucken1"};
    Control lesen1{"lesen1"};
    Control zeichnenauto1{"zeichnenauto1"};
    Control zeichnenman1{"zeichnenman1"};
    // Added at the end of "Messwerte": the results as files to take along
    Control PDFspeichern1{"PDFspeichern1"};
    Control CSVspeichern1{"CSVspeichern1"};
    Control FHIRspeichern1{"FHIRspeichern1"};
    // "Lautstärke"
    Control N1dB1{"N1dB1"};
    Control N6dB1{"N6dB1"};
    Control N10dB1{"N10dB1"};
    Control N0dB1{"N0dB1"};
    Control anzeigen1{"anzeigen1"};
    Control ausblenden1{"ausblenden1"};
    // "Frequenz"
    Control min1{"min1"};
    Control kleiner1{"kleiner1"};
    Control grer1{"grer1"};
    Control max1{"max1"};
    // "Messpunkt"
    Control auswhlen1{"auswhlen1"};
    // "Parameterwahl"
    Control DevMethPorts{"DevMethPorts"};
    CheckControl Keep_Tests{"Keep_Tests"}; // every save also kept in the history; off at every start
    Control Kept_Tests_List{"Kept_Tests_List"};
    // "Infos"
    Control anzeigen2{"anzeigen2"};
    Control ausblenden2{"ausblenden2"};
    Control WWWHomepage1{"WWWHomepage1"};
    Control PortLogInfo1{"PortLogInfo1"};
    Control downloadPortDrivers1{"downloadPortDrivers1"};
    // "Sprache / Language"
    Control Deutsch1{"Deutsch1"};
    Control English1{"English1"};

    MessungMenu();
};

struct MessungControls {
    MessungControls();

    Control form{"Messung"}; // the window itself: its caption

    // Tone panel
    Control Panel_TM{"Panel_TM"};
    Control Frequenz_{"Frequenz_"};
    Control Test_F{"Test_F"};
    Control Kopfhoerer{"Kopfhoerer"};
    Control Dezibel_{"Dezibel_"};
    Control Test_db{"Test_db"};
    CheckControl Noise_on{"Noise_on"};
    Control Messung_{"Messung_"};

    // Outside the panels
    Control Ohr_li_img{"Ohr_li_img"};
    Control Ohr_re_img{"Ohr_re_img"};
    RangeControl F_Leiste_li{"F_Leiste_li"};
    RangeControl F_Leiste_re{"F_Leiste_re"};
    Control f_No{"f_No"};
    TextControl Memo1_D{"Memo1_D"};
    TextControl Memo1_E{"Memo1_E"};
    Control PortData{"PortData"}; // its text is the port log ring
    Control StatusBar1{"StatusBar1"};

    // Command panel
    Control Panel_bot{"Panel_bot"};
    Control clear_li{"clear_li"};
    Control Messung_li{"Messung_li"};
    Control Ohr_gif_li{"Ohr_gif_li"};
    RangeControl db_Progress{"db_Progress"};
    Control Ohr_gif_re{"Ohr_gif_re"};
    Control Messung_re{"Messung_re"};
    Control clear_re{"clear_re"};
    CheckControl f_extended{"f_extended"};
    CheckControl auto_{"auto"}; // `auto` is a C++ keyword; the widget is still named "auto"
    CheckControl f_fine{"f_fine"};
    Control F_dn{"F_dn"};
    Control T_2_dBup{"T_2_dBup"};
    Control dB_up{"dB_up"};
    Control ok_select{"ok_select"};
    Control db_dn{"db_dn"};
    Control T_6_dBdn{"T_6_dBdn"};
    Control F_up{"F_up"};
    Control Start{"Start"};
    Control db_reset{"db_reset"};
    Control speichern{"speichern"};
    Control Drucken{"Drucken"};
    Control Name_label{"Name_label"};
    TextControl Testname{"Testname"};

    MessungMenu menu;

    // Visits every control of the window (not the menu), for mirroring into widgets.
    template <class F> void for_each(F&& f) {
        f(form), f(Panel_TM), f(Frequenz_), f(Test_F), f(Kopfhoerer), f(Dezibel_), f(Test_db), f(Noise_on);
        f(Messung_), f(Ohr_li_img), f(Ohr_re_img), f(F_Leiste_li), f(F_Leiste_re), f(f_No), f(Memo1_D);
        f(Memo1_E), f(PortData), f(StatusBar1), f(Panel_bot), f(clear_li), f(Messung_li), f(Ohr_gif_li);
        f(db_Progress), f(Ohr_gif_re), f(Messung_re), f(clear_re), f(f_extended), f(auto_), f(f_fine);
        f(F_dn), f(T_2_dBup), f(dB_up), f(ok_select), f(db_dn), f(T_6_dBdn), f(F_up), f(Start);
        f(db_reset), f(speichern), f(Drucken), f(Name_label), f(Testname);
    }
};

// Lays the port log memo over the chart of the ear not under test (`ear` is the ear under test).
void place_port_log(MessungControls& c, std::int8_t ear);

// The menu bar's titles; every other entry is an item of the title before it.
inline bool is_menu_title(const MessungMenu& m, const Control& entry) {
    for (const Control* title : {&m.Programm1, &m.MessMenu, &m.Lautstrke1, &m.Frequenz1, &m.Messpunkt1,
                                 &m.Parameterwahl1, &m.Infos1, &m.Language1})
        if (&entry == title) return true;
    return false;
}

// Visits every menu title and item, for mirroring into the menu bar.
template <class F> void for_each_menu_entry(MessungMenu& m, F&& f) {
    f(m.Programm1), f(m.Start1), f(m.beenden1), f(m.Bildschirmdrucken1), f(m.Bildschirmspeichern1);
    f(m.Justierung1kHz12dB1), f(m.MessMenu), f(m.neu1), f(m.zeichnen1), f(m.speichern1), f(m.drucken1);
    f(m.lesen1), f(m.zeichnenauto1), f(m.zeichnenman1), f(m.PDFspeichern1), f(m.CSVspeichern1);
    f(m.FHIRspeichern1), f(m.Lautstrke1), f(m.N1dB1), f(m.N6dB1);
    f(m.N10dB1), f(m.N0dB1), f(m.anzeigen1), f(m.ausblenden1), f(m.Frequenz1), f(m.min1), f(m.kleiner1);
    f(m.grer1), f(m.max1), f(m.Messpunkt1), f(m.auswhlen1), f(m.Parameterwahl1), f(m.DevMethPorts),
        f(m.Keep_Tests), f(m.Kept_Tests_List);
    f(m.Infos1), f(m.anzeigen2), f(m.ausblenden2), f(m.WWWHomepage1), f(m.PortLogInfo1);
    f(m.downloadPortDrivers1), f(m.Language1), f(m.Deutsch1), f(m.English1);
}

} // namespace kelvor::hearing
