#include "core/settings/language_tables.h"

namespace kelvor::settings {

const TextTable& german_table() {
    static const TextTable table{"speichern",
                                 "drucken",
                                 "ok. erkannt",
                                 "weiter",
                                 "neu li",
                                 "neu re",
                                 "Messung li",
                                 "Messung re",
                                 "Messung",
                                 "Frequenz",
                                 "Ohr",
                                 "links",
                                 "rechts",
                                 "Programm",
                                 "Start",
                                 "beenden",
                                 "Bildschirm drucken",
                                 "Bildschirm speichern",
                                 "Justierung = 1 kHz 12 dB",
                                 "Messwerte",
                                 "neu",
                                 "zeichnen",
                                 "lesen",
                                 "zeichnen : auto",
                                 "zeichnen : man",
                                 "Lautstärke",
                                 "anzeigen",
                                 "ausblenden",
                                 "<- kleiner",
                                 "-> größer",
                                 "Messpunkt",
                                 "auswählen",
                                 "erweitert",
                                 "automatik",
                                 "2x Auflösung",
                                 "Parameterwahl",
                                 "Geräte, Methoden, Ports",
                                 "WWW-Homepage",
                                 "kelvor_de.html",
                                 "Browser nicht gefunden oder Internetzugang nicht möglich",
                                 "Soundkarte",
                                 "PC Lautsprecher",
                                 "Ausgabemethode:",
                                 "Ausgabegerät:",
                                 "Port Direkt I/O",
                                 "Port-Treiber",
                                 "Data Stream",
                                 "erforderliche Port-Treiber:",
                                 "Lautstärke kalibrieren",
                                 "OPL2 Soundkarten-Port:"};
    return table;
}

const TextTable& english_table() {
    static const TextTable table{"save",
                                 "print",
                                 "ok. detected",
                                 "continue",
                                 "clear l",
                                 "clear r",
                                 "sample l",
                                 "sample r",
                                 "Data logging",
                                 "Frequency",
                                 "Ear",
                                 "left",
                                 "right",
                                 "Program",
                                 "Start",
                                 "Exit",
                                 "Print Screen",
                                 "Save Screen",
                                 "Adjustment = 1 kHz 12 dB",
                                 "Chart",
                                 "new",
                                 "draw",
                                 "read",
                                 "draw : auto",
                                 "draw : man",
                                 "Volume",
                                 "display",
                                 "hide",
                                 "<- lower",
                                 "-> higher",
                                 "Data Point",
                                 "select",
                                 "extended",
                                 "automatic",
                                 "fine",
                                 "Options",
                                 "Devices, Methods, Ports",
                                 "WWW Home Page",
                                 "kelvor_en.html",
                                 "Browser not found or Internet not accessible",
                                 "Sound Card",
                                 "PC Speaker",
                                 "select Output Method:",
                                 "select Output Device:",
                                 "direct Port I/O",
                                 "Port Driver",
                                 "Data Stream",
                                 "required Port Drivers:",
                                 "Calibration Volume",
                                 "select OPL2 Port:"};
    return table;
}

void Languages::use_german() {
    current_ = german_table();
    german_ = true;
}

void Languages::use_english() {
    current_ = english_table();
    german_ = false;
}

} // namespace kelvor::settings
