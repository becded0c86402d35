#pragma once
// The 50 interface texts of the original program in German and English, and the table currently applied.
// Every other text is in interface_texts.h.
#include <array>
#include <string>

#include "core/settings/interface_texts.h"

namespace kelvor::settings {

constexpr int text_slot_count = 50;
using TextTable = std::array<std::string, text_slot_count>;

// The slots by name, for where they are applied or read.
enum Slot : int {
    slot_save,
    slot_print,
    slot_ok_detected,
    slot_continue,
    slot_clear_left,
    slot_clear_right,
    slot_sample_left,
    slot_sample_right,
    slot_data_logging,
    slot_frequency,
    slot_chart_ear,
    slot_chart_left,
    slot_chart_right,
    slot_program,
    slot_start,
    slot_exit,
    slot_print_screen,
    slot_save_screen,
    slot_adjustment,
    slot_chart,
    slot_new,
    slot_draw,
    slot_read,
    slot_draw_auto,
    slot_draw_manual,
    slot_volume,
    slot_display,
    slot_hide,
    slot_lower,
    slot_higher,
    slot_data_point,
    slot_select,
    slot_extended,
    slot_automatic,
    slot_fine,
    slot_options,
    slot_devices,
    slot_home_page,
    slot_help_page,
    slot_browser_failed,
    slot_sound_card,
    slot_pc_speaker,
    slot_output_method,
    slot_output_device,
    slot_direct_port,
    slot_port_driver,
    slot_data_stream,
    slot_port_drivers,
    slot_calibration,
    slot_opl2_port,
};
static_assert(slot_opl2_port + 1 == text_slot_count);

// The texts are kept in UTF-8 in the program (the umlauts of the German table).
const TextTable& german_table();
const TextTable& english_table();

// The current table, English at start.
class Languages {
  public:
    const TextTable& current() const { return current_; }
    const std::string& text(int slot) const { return current_.at(static_cast<std::size_t>(slot)); }
    // A text beyond the tables, in the current language.
    const char* text(Text id) const { return text_in(id, german_); }
    bool german() const { return german_; }
    void use_german();
    void use_english();

  private:
    TextTable current_ = english_table();
    bool german_ = false;
};

} // namespace kelvor::settings
