// The whole program in this process, made as main() makes it, on the display and sound server bench.sh
// provides: a full redraw of both charts (drawn into their images, and with the widgets repainted), and
// an automatic test of both ears started with Start and left running with nobody answering, sampling
// the resident memory and the CPU every minute. A results file in the working folder makes Start begin
// the automatic sequence at once, as on every use after the first.
//   KELVOR_BENCH_RUN_MINUTES  length of the automatic run (default 10)
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ui/desktop_identity.h"
#include "ui/messung_window.h"
#include "ui/program.h"
#include "bench_measures.h"

namespace {

using kelvor::bench::cpu_seconds;
using kelvor::bench::percentile;

double resident_mib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024;
    return -1;
}

void run_events_ms(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void chart_redraws(kelvor::ui::Program& program, const char* when) {
    std::vector<double> drawn, shown;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer t;
        t.start();
        program.charts->redraw_Chart_li();
        program.charts->redraw_Chart_re();
        drawn.push_back(double(t.nsecsElapsed()) / 1e6);
        program.left_chart->repaint();
        program.right_chart->repaint();
        shown.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf(
        "full redraw of both charts %s: median %.3f ms, p99 %.3f ms; with both widgets repainted median "
        "%.3f ms, p99 %.3f ms (goal < 2 ms)\n",
        when, percentile(drawn, 0.5), percentile(drawn, 0.99), percentile(shown, 0.5),
        percentile(shown, 0.99));
}

} // namespace

int main(int argc, char** argv) {
    const char* minutes_setting = std::getenv("KELVOR_BENCH_RUN_MINUTES");
    const int minutes = minutes_setting ? std::max(1, std::atoi(minutes_setting)) : 10;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kelvor-program-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    std::ofstream(folder / "Kelvor.dat").flush();

    QApplication app(argc, argv);
    kelvor::ui::use_desktop_identity(app);
    app.setFont(kelvor::ui::window_font());
    int status = 0;
    {
        kelvor::ui::Program program;
        program.show();
        run_events_ms(1000);
        std::printf("resident memory after start-up (in this process): %.1f MiB\n", resident_mib());
        chart_redraws(program, "before a test (frame and normal curve)");

        auto* start = program.window->findChild<QPushButton*>("Start");
        if (!start) {
            std::printf("no Start button\n");
            return 1;
        }
        start->click();
        const double cpu0 = cpu_seconds();
        QElapsedTimer wall;
        wall.start();
        std::vector<double> rss;
        for (int m = 0; m < minutes; ++m) {
            const double c = cpu_seconds();
            run_events_ms(60 * 1000);
            rss.push_back(resident_mib());
            std::printf("   minute %d: %.1f MiB resident, CPU %.2f %% of a core, test at %d Hz %d dB\n",
                        m + 1, rss.back(), (cpu_seconds() - c) / 60 * 100, program.state.test_freq,
                        program.state.test_level);
            std::fflush(stdout);
        }
        std::printf(
            "automatic run of %d minutes on the data stream: resident memory %.1f MiB after the first "
            "minute, %.1f MiB at the end (growth %.1f MiB); CPU %.2f %% of a core\n",
            minutes, rss.front(), rss.back(), rss.back() - rss.front(),
            (cpu_seconds() - cpu0) / (double(wall.elapsed()) / 1000) * 100);
        chart_redraws(program, "after the run (both ears' curves)");
        if (program.sound->engine().underruns() > 0)
            std::printf("   the sound server ran dry %d times\n", program.sound->engine().underruns());
    }
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder);
    return status;
}
