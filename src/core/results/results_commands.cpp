#include "core/results/results_commands.h"

#include <memory>

#include "core/common/text_format.h"
#include "core/hearing/help_pages.h"
#include "core/hearing/messung.h"
#include "core/history/kept_tests.h"
#include "core/results/printed_report.h"
#include "core/results/results_file.h"
#include "core/settings/interface_texts.h"

namespace kelvor::results {

namespace {

std::string failure_text(const char* prefix, const char* name, const std::string& error) {
    std::string text = std::string(prefix) + name;
    if (!error.empty()) text += ": " + error;
    return text;
}

ChartPicture picture_of(const chart::ImageControl& img) {
    return {img.picture(), img.width(), img.height()};
}

} // namespace

ResultsCommands::ResultsCommands(const ResultsServices& services) : s_(services) {
    hearing::MessungControls& c = s_.controls;
    for (Control* control :
         {static_cast<Control*>(&c.speichern), static_cast<Control*>(&c.Drucken), &c.menu.speichern1,
          &c.menu.drucken1, &c.menu.lesen1, &c.menu.Bildschirmdrucken1, &c.menu.Bildschirmspeichern1})
        control->enabled = true;
}

bool show_write_result(host::Dialogs& dialogs, const host::WriteResult& result, const char* name) {
    switch (result.status) {
    case host::WriteResult::Status::written:
        return true;
    case host::WriteResult::Status::cannot_create:
        dialogs.message_box(std::string(msg_cannot_create) + name);
        return false;
    case host::WriteResult::Status::failed:
        dialogs.message_box(failure_text(msg_write_failed, name, result.error));
        return false;
    }
    return false;
}

// ---------------------------------------------------------------- save and read

bool ResultsCommands::write_text_report() {
    const host::WriteResult result = s_.files.replace_file(report_file_name, text_report(s_.state, offsets_));
    report_write(result, report_file_name);
    // A report that cannot be created does not keep the results file from being saved; one that broke
    // off while being written ends the command.
    return result.status != host::WriteResult::Status::failed;
}

bool ResultsCommands::write_results_file() {
    return report_write(s_.files.replace_file(hearing::results_file_name,
                                              results_file_text(s_.state.results_li, s_.state.results_re)),
                        hearing::results_file_name);
}

// After both files are written: a failure here is only said, the files stay as saved.
void ResultsCommands::keep_test() {
    if (kept_folder_ == nullptr || !s_.controls.menu.Keep_Tests.checked) return;
    const history::KeptTest test = history::kept_test_of(s_.state, s_.calendar.date_time_iso());
    const std::string file = history::kept_test_file_name(test);
    const host::WriteResult written = kept_folder_->replace_file(file, history::kept_test_text(test));
    if (!written.ok())
        s_.dialogs.message_box(settings::text_in(settings::Text::kept_not_written, german_ && german_(),
                                                 {kept_folder_->path_of(file), written.error}));
}

void ResultsCommands::speichernClick() {
    if (write_text_report() && write_results_file()) keep_test();
}

void ResultsCommands::redraw_both_charts() {
    s_.chart.draw_line(hearing::ear_left, s_.state.results_li, colours::blue);
    s_.chart.draw_line(hearing::ear_right, s_.state.results_re, colours::blue);
}

void ResultsCommands::lesen1Click() {
    const std::unique_ptr<host::LineReader> reader = s_.files.open_lines(hearing::results_file_name);
    if (!reader) {
        s_.dialogs.message_box(std::string(msg_cannot_read) + hearing::results_file_name);
        return;
    }
    std::string line;
    host::LineReader::Status status = reader->read_line(line);
    if (status == host::LineReader::Status::error) {
        // Nothing could be read at all (a file far too large to be a results file, or one that fails at
        // once): records and charts stay as they were, as for a file that cannot be opened.
        s_.dialogs.message_box(
            failure_text(msg_cannot_read, hearing::results_file_name, reader->error_text()));
        return;
    }
    s_.chart.clear_chart(hearing::ear_left, s_.controls.F_Leiste_li.maximum);
    s_.chart.clear_chart(hearing::ear_right, s_.controls.F_Leiste_re.maximum);
    hearing::reset_result(s_.state.results_li, hearing::results_li_name);
    hearing::reset_result(s_.state.results_re, hearing::results_re_name);
    // Read results are not the run the verdicts were given on.
    s_.state.reliability_li.reset();
    s_.state.reliability_re.reset();

    for (; status == host::LineReader::Status::line; status = reader->read_line(line))
        read_results_line(line, s_.state.results_li, s_.state.results_re);
    // The entries read before a failure stay; the charts show them, so that what the window shows is what
    // would be saved.
    redraw_both_charts();
    if (status == host::LineReader::Status::error)
        s_.dialogs.message_box(
            failure_text(msg_cannot_read, hearing::results_file_name, reader->error_text()));
}

// ---------------------------------------------------------------- printing

bool ResultsCommands::print_results(host::PrintJob& job) {
    const hearing::MessungControls& c = s_.controls;
    ReportPage page;
    page.site = hearing::maker_site_host;
    page.test_name = c.Testname.lines.empty() ? std::string() : c.Testname.lines.front();
    page.date = s_.calendar.short_date();
    page.table_on_own_page = c.f_extended.checked || c.f_fine.checked;
    page.german = german_ && german_();
    page.left = picture_of(s_.li_img);
    page.right = picture_of(s_.re_img);
    const std::string error = print_report(s_.state, page, job, offsets_);
    if (!error.empty()) s_.dialogs.message_box(error);
    return error.empty();
}

void ResultsCommands::DruckenClick() {
    print_at_print_size(s_.printer);
}

bool ResultsCommands::print_at_print_size(host::PrintJob& job) {
    hearing::MessungControls& c = s_.controls;
    c.Ohr_li_img.visible = false;
    c.Ohr_re_img.visible = false;
    c.Ohr_re_img.bounds.left = c.Ohr_li_img.bounds.left;
    s_.chart.set_chart_size(print_chart_scale, print_chart_width, print_chart_height);
    for (Bounds* b : {&c.Ohr_li_img.bounds, &c.Ohr_re_img.bounds}) {
        b->width = print_chart_width;
        b->height = print_chart_height;
    }
    s_.chart.init_Graph_var();
    s_.chart.clear_chart(hearing::ear_left, c.F_Leiste_li.maximum);
    s_.chart.clear_chart(hearing::ear_right, c.F_Leiste_re.maximum);
    redraw_both_charts();

    const bool printed = print_results(job);

    if (s_.form_resize) s_.form_resize();
    c.Ohr_li_img.visible = true;
    c.Ohr_re_img.visible = true;
    return printed;
}

void ResultsCommands::drucken1Click() {
    print_results(s_.printer);
}

void ResultsCommands::Bildschirmdrucken1Click() {
    const host::WindowImage image = s_.window.grab_client_area();
    host::PrintJob& job = s_.printer;
    if (!job.begin_document(print_title)) {
        s_.dialogs.message_box(job.error_text());
        return;
    }
    // Its size on the screen, on paper.
    const double scale = double(job.resolution_dpi()) / (image.dots_per_inch > 0 ? image.dots_per_inch : 96);
    const host::PrintRect target{0, 0, static_cast<int>(round_half_even(image.width * scale)),
                                 static_cast<int>(round_half_even(image.height * scale))};
    job.stretch_picture(target, image.picture.get(), {0, 0, image.width, image.height});
    if (!job.end_document()) s_.dialogs.message_box(job.error_text());
}

void ResultsCommands::Bildschirmspeichern1Click() {
    report_write(s_.window.save_bmp(s_.window.grab_client_area(), screen_file_name), screen_file_name);
}

} // namespace kelvor::results
