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
    using namespace settings;
    // slot -> the controls and menu items whose caption it is
    const std::pair<settings::Slot, std::vector<Control*>> captions[] = {
        {slot_save, {&c_.speichern, &m.speichern1}},
        {slot_print, {&c_.Drucken, &m.drucken1}},
        {slot_ok_detected, {&c_.ok_select}},
        {slot_clear_left, {&c_.clear_li}},
        {slot_clear_right, {&c_.clear_re}},
        {slot_sample_left, {&c_.Messung_li}},
        {slot_sample_right, {&c_.Messung_re}},
        {slot_data_logging, {&c_.Messung_}},
        {slot_frequency, {&c_.Frequenz_, &m.Frequenz1}},
        {slot_program, {&m.Programm1}},
        {slot_start, {&m.Start1}},
        {slot_exit, {&m.beenden1}},
        {slot_print_screen, {&m.Bildschirmdrucken1}},
        {slot_save_screen, {&m.Bildschirmspeichern1}},
        {slot_adjustment, {&m.Justierung1kHz12dB1}},
        {slot_chart, {&m.MessMenu}},
        {slot_new, {&m.neu1}},
        {slot_draw, {&m.zeichnen1}},
        {slot_read, {&m.lesen1}},
        {slot_draw_auto, {&m.zeichnenauto1}},
        {slot_draw_manual, {&m.zeichnenman1}},
        {slot_volume, {&m.Lautstrke1}},
        {slot_display, {&m.anzeigen1, &m.anzeigen2}},
        {slot_hide, {&m.ausblenden1, &m.ausblenden2}},
        {slot_lower, {&m.kleiner1}},
        {slot_higher, {&m.grer1}},
        {slot_data_point, {&m.Messpunkt1}},
        {slot_select, {&m.auswhlen1}},
        {slot_extended, {&c_.f_extended}},
        {slot_automatic, {&c_.auto_}},
        {slot_fine, {&c_.f_fine}},
        {slot_options, {&m.Parameterwahl1}},
        {slot_devices, {&m.DevMethPorts}},
        {slot_home_page, {&m.WWWHomepage1}},
    };
    for (const auto& [slot, controls] : captions)
        for (Control* control : controls)
            control->caption = t[slot];
    // text -> the menu items beyond the tables' slots
    const std::pair<Text, Control*> more[] = {
        {Text::save_pdf, &m.PDFspeichern1},    {Text::save_csv, &m.CSVspeichern1},
        {Text::save_fhir, &m.FHIRspeichern1},  {Text::keep_tests, &m.Keep_Tests},
        {Text::kept_item, &m.Kept_Tests_List},
    };
    for (const auto& [text, control] : more)
        control->caption = languages_.text(text);

    // A long label starts nearer the panel's edge so that it fits.
    c_.Messung_.bounds.left =
        character_count(t[slot_data_logging]) < long_label_characters ? label_left_short : label_left_long;
    help_address_ = help_page_address(t[slot_help_page]);
}

void TMessung::switch_language(bool german) {
    if (german)
        languages_.use_german();
    else
        languages_.use_english();
    apply_language();
    settings_.use_language(german);
    if (profile_ != nullptr) profile_->use_language(german);
    if (kept_tests_language_) kept_tests_language_(german);
    redraw_chart(ear_left);
    chart_.draw_line(ear_left, s_.results_li, colours::blue);
    redraw_chart(ear_right);
    chart_.draw_line(ear_right, s_.results_re, colours::blue);
    c_.Memo1_D.visible = german;
    c_.Memo1_E.visible = !german;
    // The test returns to idle, where nothing pulses any more: a tone left in its sounding half would go on
    // sounding (on the chip or the speaker for good), so the path is silenced with it.
    if (s_.test_started) tone_.silence();
    room_test_ends(false);
    s_.test_started = false;
}

void TMessung::Deutsch1Click() {
    switch_language(true);
}

void TMessung::English1Click() {
    switch_language(false);
}

} // namespace kelvor::hearing
