// The main window in German or English: the current text table applied to its captions, and the two
// language commands.
#include "core/hearing/help_pages.h"
#include "core/hearing/messung.h"
#include <utility>
#include <vector>

#include "core/settings/language_tables.h"

namespace kelvor::hearing {

namespace {

// Characters, not bytes: the tables are UTF-8.
std::size_t character_count(const std::string& text) {
    std::size_t count = 0;
    for (const char ch : text)
        if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) ++count;
    return count;
}

constexpr std::size_t long_label_characters = 10;
constexpr int label_left_short = 10;
constexpr int label_left_long = 2;

} // namespace

void TMessung::apply_language() {
    const settings::TextTable& t = languages_.current();
    MessungMenu& m = c_.menu;
    // slot -> the controls and menu items whose caption it is
    const std::pair<int, std::vector<Control*>> captions[] = {
        {0, {&c_.speichern, &m.speichern1}},
        {1, {&c_.Drucken, &m.drucken1}},
        {2, {&c_.ok_select}},
        {4, {&c_.clear_li}},
        {5, {&c_.clear_re}},
        {6, {&c_.Messung_li}},
        {7, {&c_.Messung_re}},
        {8, {&c_.Messung_}},
        {9, {&c_.Frequenz_, &m.Frequenz1}},
        {13, {&m.Programm1}},
        {14, {&m.Start1}},
        {15, {&m.beenden1}},
        {16, {&m.Bildschirmdrucken1}},
        {17, {&m.Bildschirmspeichern1}},
        {18, {&m.Justierung1kHz12dB1}},
        {19, {&m.MessMenu}},
        {20, {&m.neu1}},
        {21, {&m.zeichnen1}},
        {22, {&m.lesen1}},
        {23, {&m.zeichnenauto1}},
        {24, {&m.zeichnenman1}},
        {25, {&m.Lautstrke1}},
        {26, {&m.anzeigen1, &m.anzeigen2}},
        {27, {&m.ausblenden1, &m.ausblenden2}},
        {28, {&m.kleiner1}},
        {29, {&m.grer1}},
        {30, {&m.Messpunkt1}},
        {31, {&m.auswhlen1}},
        {32, {&c_.f_extended}},
        {33, {&c_.auto_}},
        {34, {&c_.f_fine}},
        {35, {&m.Parameterwahl1}},
        {36, {&m.DevMethPorts}},
        {37, {&m.WWWHomepage1}},
    };
    for (const auto& [slot, controls] : captions)
        for (Control* control : controls)
            control->caption = t[static_cast<std::size_t>(slot)];
    for (const ExportCaption& e : export_captions)
        (m.*e.item).caption = languages_.german() ? e.german : e.english;

    // A long label starts nearer the panel's edge so that it fits.
    c_.Messung_.bounds.left =
        character_count(t[8]) < long_label_characters ? label_left_short : label_left_long;
    help_address_ = help_page_address(t[settings::slot_help_page]);
}

void TMessung::switch_language(bool german) {
    if (german)
        languages_.use_german();
    else
        languages_.use_english();
    apply_language();
    settings_.use_language(german);
    redraw_chart(ear_left);
    chart_.draw_line(ear_left, s_.results_li, colours::blue);
    redraw_chart(ear_right);
    chart_.draw_line(ear_right, s_.results_re, colours::blue);
    c_.Memo1_D.visible = german;
    c_.Memo1_E.visible = !german;
    // The test returns to idle, where nothing pulses any more: a tone left in its sounding half would go on
    // sounding (on the chip or the speaker for good), so the path is silenced with it.
    if (s_.test_started) tone_.silence();
    s_.test_started = false;
}

void TMessung::Deutsch1Click() {
    switch_language(true);
}

void TMessung::English1Click() {
    switch_language(false);
}

} // namespace kelvor::hearing
