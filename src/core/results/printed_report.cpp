#include "core/results/printed_report.h"

#include <algorithm>

#include "core/chart/canvas.h"
#include "core/common/text_format.h"
#include "core/results/clinical_audiogram.h"
#include "core/results/hearing_levels.h"
#include "core/results/hearing_number.h"
#include "core/results/room_report.h"

namespace kelvor::results {

namespace {

constexpr int header_y = 50;
constexpr int header_site_x = 150;
constexpr int header_program_x = 1400;
constexpr int footer_y = 3200;
constexpr int footer_name_x = 150;
constexpr int footer_note_x = 900;
constexpr int footer_date_x = 2000;

// The confirmed threshold's verdicts, one line an ear between the header and the first chart.
constexpr int verdict_x = 150, verdict_y = 140, verdict_line_height = 60;

constexpr host::PrintRect left_chart_box{450, 300, 1750, 1200};
constexpr host::PrintRect right_chart_box{450, 1400, 1750, 2300};

constexpr int table_y_below_charts = 2400;
constexpr int table_y_own_page = 600;
constexpr int table_rows_below_headings = 100;
constexpr int offset_width = 2;

constexpr int norm_heading_x = 340, norm_x = 300;
constexpr int left_heading_x = 840, left_x = 800;
constexpr int left_offset_x = 1110, left_delta_x = 1150;
constexpr int right_heading_x = 1490, right_x = 1450;
constexpr int right_offset_x = 1760, right_delta_x = 1800;

void header_and_footer(const ReportPage& page, host::PrintJob& job) {
    job.text_out(header_site_x, header_y, page.site);
    job.text_out(header_program_x, header_y, program_line);
    job.text_out(footer_name_x, footer_y, page.test_name);
    job.text_out(footer_note_x, footer_y, footer_note);
    job.text_out(footer_date_x, footer_y, page.date);
}

void chart(const ChartPicture& chart, const host::PrintRect& box, host::PrintJob& job) {
    if (chart.picture == nullptr || chart.width <= 0 || chart.height <= 0) return;
    // Only the chart's own area: the rest of the surface holds leftovers of drawings at other sizes.
    job.stretch_picture(fit_into(box, chart.width, chart.height), chart.picture,
                        {0, 0, chart.width, chart.height});
}

// The table's five columns, printed from copies so the records stay as they are, and kept in line: a
// row for every frequency where at least one ear was measured, blank where only the other ear was.
void table(const hearing::TestState& state, int y, const ReportOffsets& offsets, host::PrintJob& job) {
    hearing::TEarResult norm = state.norm_of(hearing::ear_left);
    hearing::TEarResult left = state.results_li;
    hearing::TEarResult left_delta = state.delta_li;
    hearing::TEarResult right = state.results_re;
    hearing::TEarResult right_delta = state.delta_re;
    for (int index = hearing::freq_to_index(state.f_max); index >= 1; --index) {
        const bool left_filled = state.results_li.entries[index].flag == 1;
        const bool right_filled = state.results_re.entries[index].flag == 1;
        if (!left_filled && right_filled) left.entries[index].flag = left_delta.entries[index].flag = 0;
        if (left_filled && !right_filled) right.entries[index].flag = right_delta.entries[index].flag = 0;
        norm.entries[index].flag = left_filled || right_filled ? 1 : -1;
    }

    // With a profile the column holds the left ear's reference; the hearing level page has both ears'.
    job.text_out(norm_heading_x, y, state.normals.profile_chosen() ? "Normwerte li" : "Normwerte");
    job.text_out(left_heading_x, y, "Messwerte links");
    job.text_out(left_offset_x, y, "Offset: " + number_text(offsets.left, offset_width));
    job.text_out(right_heading_x, y, "Messwerte rechts");
    job.text_out(right_offset_x, y, "Offset: " + number_text(offsets.right, offset_width));

    const auto rows_y = static_cast<std::uint16_t>(y + table_rows_below_headings);
    hearing::print_result(norm, norm_x, rows_y, state.f_max, job);
    hearing::print_result(left, left_x, rows_y, state.f_max, job);
    hearing::print_result(left_delta, left_delta_x, rows_y, state.f_max, job);
    hearing::print_result(right, right_x, rows_y, state.f_max, job);
    hearing::print_result(right_delta, right_delta_x, rows_y, state.f_max, job);
}

// The pages of their own after the table: a column per ear, headed by its name, a row per frequency.
constexpr int ear_page_heading_y = 450;
constexpr int ear_page_x[2] = {300, 1300};
constexpr int ear_page_row = 60;
constexpr int hl_reference_offset_x = 650; // the reference column, to the right of the hearing level
constexpr int hl_number_gap = 120;         // between the tables and the hearing number below them
// The audiogram below both, across the page and down to the footer.
constexpr int audiogram_gap = 100;
constexpr int audiogram_x = header_site_x, audiogram_right = 2250;
constexpr int audiogram_bottom = footer_y - 100;
constexpr int audiogram_own_page_y = table_y_own_page - 300;

// A page of its own, only while a profile is chosen: each ear's hearing levels in dB HL and the
// reference they come from, by falling frequency.
std::string hearing_level_page(const hearing::TestState& state, const ReportPage& page, host::PrintJob& job) {
    if (!job.begin_document(print_title)) return job.error_text();
    header_and_footer(page, job);
    job.text_out(ear_page_x[0], table_y_own_page - 300,
                 "Hörpegel in dB HL   Profil: " + state.normals.profile_name);
    int below_tables = table_y_own_page;
    for (int side = 0; side < 2; ++side) {
        const std::int8_t ear = side == 0 ? hearing::ear_left : hearing::ear_right;
        const hearing::EarNormals& normals = side == 0 ? state.normals.left : state.normals.right;
        const int x = ear_page_x[side];
        job.text_out(x, ear_page_heading_y, side == 0 ? "links" : "rechts");
        job.text_out(x + hl_reference_offset_x, ear_page_heading_y, "Referenz");
        int y = table_y_own_page;
        for (const auto& row : hearing_level_rows(state, ear, hearing::freq_to_index(state.f_max))) {
            job.text_out(x, y, hearing_level_line(row));
            if (row.calibrated)
                job.text_out(x + hl_reference_offset_x, y,
                             number_text(round_half_even(normals.norm.entries[row.index].level), 3) + " dB");
            y += ear_page_row;
        }
        below_tables = std::max(below_tables, y);
    }
    int y = below_tables;
    if (const auto number = hearing_number(state)) {
        y += hl_number_gap;
        for (const std::string& line : hearing_number_lines(*number, page.german)) {
            job.text_out(ear_page_x[0], y, line);
            y += ear_page_row;
        }
    }
    if (job.page_canvas() != nullptr) {
        // Below the tables where it fits, else on a page of its own that follows.
        y += audiogram_gap;
        if (audiogram_bottom - y < audiogram_min_height) {
            if (!job.end_document()) return job.error_text();
            if (!job.begin_document(print_title)) return job.error_text();
            header_and_footer(page, job);
            y = audiogram_own_page_y;
        }
        if (chart::Canvas* canvas = job.page_canvas())
            draw_audiogram(state, {audiogram_x, y, audiogram_right, audiogram_bottom}, page.german, *canvas);
    }
    if (!job.end_document()) return job.error_text();
    return {};
}

// A page of its own, only when the room watch ran: each ear's thresholds with the room's noise in their
// band during the ascent, and where the watch stopped.
std::string room_page(const hearing::TestState& state, const ReportPage& page, host::PrintJob& job) {
    const hearing::RoomRecord& room = *state.room;
    if (!job.begin_document(print_title)) return job.error_text();
    header_and_footer(page, job);
    job.text_out(ear_page_x[0], table_y_own_page - 300, room_heading(room));
    int below = table_y_own_page;
    for (int side = 0; side < 2; ++side) {
        const bool left = side == 0;
        const hearing::TEarResult& results = left ? state.results_li : state.results_re;
        job.text_out(ear_page_x[side], ear_page_heading_y, left ? "links" : "rechts");
        int y = table_y_own_page;
        for (int index = hearing::freq_to_index(state.f_max); index >= 1; --index) {
            if (results.entries[index].flag != 1) continue;
            job.text_out(ear_page_x[side], y,
                         number_text(hearing::index_to_freq(static_cast<std::uint8_t>(index)), 5) + " Hz   " +
                             room_value(room, room.ear(left)[index]));
            y += ear_page_row;
        }
        below = std::max(below, y);
    }
    if (const std::string note = room_not_watched(room); !note.empty())
        job.text_out(ear_page_x[0], below + 120, note);
    if (!job.end_document()) return job.error_text();
    return {};
}

} // namespace

host::PrintRect fit_into(const host::PrintRect& box, int w, int h) {
    const int box_w = box.right - box.left;
    const int box_h = box.bottom - box.top;
    // Whole device units, rounded; the longer side of the picture fills the box.
    int out_w = box_w;
    int out_h = static_cast<int>(round_half_even(double(box_w) * h / w));
    if (out_h > box_h) {
        out_h = box_h;
        out_w = static_cast<int>(round_half_even(double(box_h) * w / h));
    }
    return {box.left, box.top, box.left + out_w, box.top + out_h};
}

std::string print_report(hearing::TestState& state, const ReportPage& page, host::PrintJob& job,
                         ReportOffsets& offsets) {
    offsets.left =
        hearing::relative_to_norm(state.results_li, state.delta_li, false, state.norm_of(hearing::ear_left));
    offsets.right =
        hearing::relative_to_norm(state.results_re, state.delta_re, false, state.norm_of(hearing::ear_right));

    if (!job.begin_document(print_title)) return job.error_text();
    header_and_footer(page, job);
    int y = verdict_y;
    for (const std::int8_t ear : {hearing::ear_left, hearing::ear_right})
        if (const auto& r = ear == hearing::ear_left ? state.reliability_li : state.reliability_re) {
            job.text_out(verdict_x, y, hearing::verdict_text(*r, ear == hearing::ear_left, false));
            y += verdict_line_height;
        }
    chart(page.left, left_chart_box, job);
    chart(page.right, right_chart_box, job);

    int table_y = table_y_below_charts;
    if (page.table_on_own_page) {
        if (!job.end_document()) return job.error_text();
        if (!job.begin_document(print_title)) return job.error_text();
        header_and_footer(page, job);
        table_y = table_y_own_page;
    }
    table(state, table_y, offsets, job);
    if (!job.end_document()) return job.error_text();
    if (state.normals.profile_chosen())
        if (std::string error = hearing_level_page(state, page, job); !error.empty()) return error;
    if (state.room) return room_page(state, page, job);
    return {};
}

} // namespace kelvor::results
