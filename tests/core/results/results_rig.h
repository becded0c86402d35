#pragma once
// The file and print commands over fresh state, the window's control state and recording fakes; the
// chart calls and the resize go into one log.
#include "core/chart/curves.h"
#include "core/results/results_commands.h"
#include "support/fake_host.h"
#include "support/fake_test_seams.h"
#include "support/recording_canvas.h"

namespace kelvor::testing {

// An image control sized by its control state, as the window's chart images are, whose picture is a
// stand-in the print fakes only compare, never read.
class PictureImage : public RecordingImage {
  public:
    explicit PictureImage(const Control& control) : RecordingImage(0, 0), control_(control) {}
    int width() const override { return control_.bounds.width; }
    int height() const override { return control_.bounds.height; }
    const host::PrintPicture* picture() const override {
        return reinterpret_cast<const host::PrintPicture*>(this);
    }

  private:
    const Control& control_;
};

struct ResultsRig {
    ResultsRig() {
        chart::build_norm_values(state.norm_values);
        c.Ohr_re_img.bounds = {338, 22, 240, 160}; // both charts at the smallest screen size
    }

    hearing::TestState state;
    hearing::MessungControls c;
    CallLog log;
    FakeChart chart{&log};
    PictureImage li{c.Ohr_li_img};
    PictureImage re{c.Ohr_re_img};
    FakeFiles files;
    FakeDialogs dialogs;
    FakePrintJob printer;
    FakeCalendar calendar;
    FakeWindowCapture window;
    results::ResultsCommands r{{state, c, chart, li, re, files, dialogs, printer, calendar, window,
                                [this] { log.add("FormResize"); }}};

    void measure(hearing::TEarResult& record, std::uint16_t freq, double level) {
        hearing::set_result_entry(record, hearing::freq_to_index(freq), freq, level);
    }
    std::string& dat() { return files.contents["Kelvor.dat"]; }
};

// The lines of a text, split at CR LF; a text not ending in CR LF gets "<no line end>" last.
inline std::vector<std::string> crlf_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start != text.size()) lines.push_back("<no line end>");
    return lines;
}

} // namespace kelvor::testing
