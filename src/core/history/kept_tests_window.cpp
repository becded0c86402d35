#include "core/history/kept_tests_window.h"

#include "core/hearing/ear_result.h"
#include "core/hearing/frequency_scale.h"
#include "core/settings/interface_texts.h"

namespace kelvor::history {

using settings::Text;
using settings::text_in;

namespace {

constexpr Bounds first_bounds{80, 80, 720, 460};

hearing::TEarResult record_of(const std::vector<KeptPoint>& ear) {
    hearing::TEarResult record;
    hearing::reset_result(record, "kept");
    for (const KeptPoint& p : ear)
        if (const std::uint8_t index = hearing::freq_to_index(p.freq_hz); index > 0)
            hearing::set_result_entry(record, index, p.freq_hz, p.level_db);
    return record;
}

std::string row_of(const KeptCells& cells) {
    return cells.when + "\t" + cells.profile + "\t" + cells.left + "\t" + cells.right + "\t" + cells.grade +
           "\t" + cells.verdict;
}

} // namespace

KeptTestsWindow::KeptTestsWindow(const KeptTestsServices& services) : s_(services) {
    c_.Kept_Tests_Form.visible = false;
    c_.Kept_Tests_Form.bounds = first_bounds;
    use_language(false);
}

std::optional<std::size_t> KeptTestsWindow::test_of(int row) const {
    const auto count = static_cast<int>(kept_.tests.size());
    if (row < 1 || row > count) return std::nullopt;
    return static_cast<std::size_t>(count - row);
}

void KeptTestsWindow::show() {
    // The test drawn before, found again by its file name among what the folder holds now.
    const auto before = test_of(c_.Kept_List.chosen);
    const std::string chosen_file = before ? kept_test_file_name(kept_.tests[*before]) : std::string();
    kept_ = load_kept_tests(s_.folder);
    c_.Kept_List.chosen = 0;
    for (int row = 1; !chosen_file.empty() && row <= static_cast<int>(kept_.tests.size()); ++row)
        if (kept_test_file_name(kept_.tests[*test_of(row)]) == chosen_file) c_.Kept_List.chosen = row;
    fill();
    draw_chosen();
    c_.Kept_Tests_Form.visible = true;
}

void KeptTestsWindow::Kept_ListChoose(int row) {
    const int chosen = test_of(row) ? row : 0;
    if (chosen == c_.Kept_List.chosen) return;
    c_.Kept_List.chosen = chosen;
    fill();
    draw_chosen();
}

void KeptTestsWindow::Kept_CloseClick() {
    c_.Kept_Tests_Form.visible = false;
    c_.Kept_List.chosen = 0;
    draw_chosen();
}

void KeptTestsWindow::use_language(bool german) {
    german_ = german;
    c_.Kept_Tests_Form.caption = text_in(Text::kept_window, german);
    c_.Kept_Close.caption = text_in(Text::kept_close, german);
    c_.Kept_List.description = text_in(Text::kept_window, german);
    c_.Kept_Change.description = text_in(Text::kept_change, german);
    c_.Kept_List.columns.clear();
    for (const Text column : {Text::kept_column_when, Text::kept_column_profile, Text::kept_column_left,
                              Text::kept_column_right, Text::kept_column_grade, Text::kept_column_verdict})
        c_.Kept_List.columns.emplace_back(text_in(column, german));
    fill();
    // The legend's words follow too; the language switch redraws the charts.
    if (auto beside = s_.charts.beside()) {
        beside->current_label = text_in(Text::beside_current, german);
        s_.charts.show_beside(std::move(beside));
    }
}

void KeptTestsWindow::fill() {
    // Without a profile the tests taken now have no hearing number: the window says so at its top.
    c_.Kept_Intro.caption = text_in(Text::kept_window_intro, german_);
    if (!s_.state.normals.profile_chosen())
        c_.Kept_Intro.caption += std::string("\n") + text_in(Text::number_needs_profile, german_);
    std::vector<std::string>& rows = c_.Kept_List.lines;
    rows = {text_in(Text::kept_draw_none, german_)};
    for (auto t = kept_.tests.rbegin(); t != kept_.tests.rend(); ++t)
        rows.push_back(row_of(kept_cells(*t, german_)));

    std::vector<std::string>& change = c_.Kept_Change.lines;
    change.clear();
    if (kept_.tests.empty()) {
        change.emplace_back(text_in(Text::kept_none, german_));
    } else {
        // The latest test's change first: is the hearing getting worse? Then the chosen one's, if another.
        const std::size_t latest = kept_.tests.size() - 1;
        const std::size_t chosen = test_of(c_.Kept_List.chosen).value_or(latest);
        auto add = [&](std::size_t at) {
            change.push_back(
                text_in(Text::kept_change_of, german_, {kept_cells(kept_.tests[at], german_).when}));
            for (std::string& line : comparison_lines(compare_at(kept_.tests, at), german_))
                change.push_back(std::move(line));
        };
        add(latest);
        if (chosen != latest) {
            change.emplace_back();
            add(chosen);
        }
    }
    if (!kept_.errors.empty()) {
        change.emplace_back();
        change.push_back(unreadable_text(kept_.errors, german_));
    }
}

void KeptTestsWindow::draw_chosen() {
    const auto at = test_of(c_.Kept_List.chosen);
    if (!at) {
        if (!s_.charts.beside()) return;
        s_.charts.show_beside(std::nullopt);
    } else {
        const KeptTest& t = kept_.tests[*at];
        s_.charts.show_beside(chart::BesideCurves{record_of(t.left), record_of(t.right),
                                                  text_in(Text::beside_current, german_),
                                                  kept_cells(t, german_).when});
    }
    if (s_.redraw) s_.redraw();
}

CommandTable kept_tests_commands(KeptTestsWindow& window) {
    return {
        {&window.controls().Kept_List, CommandKind::choose,
         [&window](int row) { window.Kept_ListChoose(row); }},
        click_command(window.controls().Kept_Close, [&window] { window.Kept_CloseClick(); }),
    };
}

} // namespace kelvor::history
