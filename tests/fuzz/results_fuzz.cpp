// libFuzzer target: any bytes as "Kelvor.dat", read by the Read command and then carried on as a user
// would: drawn on both charts, saved (text report and results file), read back, printed as it is and at
// print size. Built with ASan and UBSan, so undefined behaviour anywhere on that road stops the run; the
// round trip and the record invariants are checked on every input.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/chart/charts.h"
#include "core/chart/curves.h"
#include "core/chart/window_layout.h"
#include "core/results/results_commands.h"
#include "core/settings/language_tables.h"
#include "support/charts_at_start.h"
#include "support/fake_host.h"
#include "support/recording_canvas.h"

namespace {

using namespace kelvor;

struct FuzzRig {
    FuzzRig() {
        chart::build_norm_values(state.norm_values);
        charts.use_controls(&frame);
        charts.use_texts(&languages.current());
        testing::lay_out_charts_at_start(layout, charts, c, state, 800, 550);
    }

    hearing::TestState state;
    hearing::MessungControls c;
    testing::RecordingImage li{308, 205};
    testing::RecordingImage re{308, 205};
    chart::Charts charts{li, re, state};
    chart::MessungFrameControls frame{c};
    settings::Languages languages;
    chart::WindowLayout layout;
    testing::FakeFiles files;
    testing::FakeDialogs dialogs;
    testing::FakePrintJob printer;
    testing::FakeCalendar calendar;
    testing::FakeWindowCapture window;
    results::ResultsCommands r{{state, c, charts, li, re, files, dialogs, printer, calendar, window,
                                [this] { layout.FormResize(800, 550, c, charts, state); }}};
};

void require(bool condition) {
    if (!condition) std::abort();
}

void check_record(const hearing::TEarResult& record) {
    require(record.entries[0].flag == -1);
    for (int i = 1; i <= hearing::freq_index_count; ++i) {
        const hearing::TEarEntry& e = record.entries[i];
        require(e.flag == 1 || e.flag == -1);
        if (e.flag == 1) require(hearing::freq_to_index(static_cast<std::uint16_t>(e.freq)) == i);
    }
}

bool same(const hearing::TEarResult& a, const hearing::TEarResult& b) {
    for (int i = 0; i <= hearing::freq_index_count; ++i)
        if (a.entries[i].flag != b.entries[i].flag || a.entries[i].freq != b.entries[i].freq ||
            a.entries[i].level != b.entries[i].level)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzRig rig;
    // The first byte also picks the range and the walk: extended (bit 0), fine (bit 1).
    if (size > 0 && (data[0] & 1)) {
        rig.state.f_min = hearing::f_min_extended;
        rig.state.f_max = hearing::f_max_extended;
        rig.c.F_Leiste_li.maximum = rig.c.F_Leiste_re.maximum = hearing::track_max_extended;
        rig.c.f_extended.checked = true;
    }
    rig.c.f_fine.checked = size > 0 && (data[0] & 2);
    rig.files.contents["Kelvor.dat"].assign(reinterpret_cast<const char*>(data), size);

    rig.r.lesen1Click();
    require(rig.dialogs.shown.empty());
    check_record(rig.state.results_li);
    check_record(rig.state.results_re);
    const hearing::TEarResult li = rig.state.results_li, re = rig.state.results_re;

    rig.r.speichernClick();
    require(rig.dialogs.shown.empty());
    rig.r.lesen1Click(); // what was saved reads back as it was
    require(same(rig.state.results_li, li) && same(rig.state.results_re, re));
    const std::string saved = rig.files.contents["Kelvor.dat"];
    rig.r.speichernClick();
    require(rig.files.contents["Kelvor.dat"] == saved);

    rig.r.drucken1Click();
    rig.r.DruckenClick();
    require(rig.printer.ended == (rig.c.f_fine.checked || rig.c.f_extended.checked ? 4 : 2));
    require(rig.c.Ohr_li_img.bounds.width == 308);
    return 0;
}
