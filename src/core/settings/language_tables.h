#pragma once
// The interface texts in German and English, and the table currently applied.
#include <array>
#include <string>

namespace kelvor::settings {

constexpr int text_slot_count = 50;
using TextTable = std::array<std::string, text_slot_count>;

// Slots read where they are used rather than applied as captions.
constexpr int slot_ok_detected = 2;
constexpr int slot_continue = 3;
constexpr int slot_chart_ear = 10;
constexpr int slot_chart_left = 11;
constexpr int slot_chart_right = 12;
constexpr int slot_help_page = 38;
constexpr int slot_browser_failed = 39;

// The texts are kept in UTF-8 in the program (the umlauts of the German table).
const TextTable& german_table();
const TextTable& english_table();

// The current table, English at start.
class Languages {
  public:
    const TextTable& current() const { return current_; }
    const std::string& text(int slot) const { return current_.at(static_cast<std::size_t>(slot)); }
    bool german() const { return german_; }
    void use_german();
    void use_english();

  private:
    TextTable current_ = english_table();
    bool german_ = false;
};

} // namespace kelvor::settings
