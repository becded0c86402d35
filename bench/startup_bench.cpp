// Start-up, seen from outside as a user sees it: the time from starting the program until the X server
// reports the first drawing into its mapped window (the damage extension), and the program's resident
// memory a second later. A bare Qt window (one empty QWidget of the main window's size) is started the
// same way, alternating with the program, to show what Qt's own start costs on this machine.
//   KELVOR_BENCH_RUNS   runs of each (default 7)
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double ms_between(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Resident memory of `pid` in MiB (VmRSS), or -1.
double resident_mib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024;
    return -1;
}

struct Run {
    double map_ms = -1;   // the first top-level window mapped
    double paint_ms = -1; // the first drawing into a mapped one
    double rss_mib = -1;
};

class Display {
  public:
    bool open() {
        c_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c_)) return false;
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c_, &xcb_damage_id);
        if (!ext || !ext->present) return false;
        damage_event_ = ext->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(c_, xcb_damage_query_version(c_, 1, 1), nullptr));
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c_);
        return true;
    }
    ~Display() {
        if (c_) xcb_disconnect(c_);
    }

    // Starts `argv` in `folder` and follows its windows until the first painted frame (or 20 s).
    Run measure(const std::vector<const char*>& argv, const std::string& folder) {
        Run run;
        std::set<xcb_window_t> mapped;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addchdir_np(&fa, folder.c_str());
        posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        const Clock::time_point t0 = Clock::now();
        const int rc = posix_spawn(&pid, argv[0], &fa, nullptr, const_cast<char**>(argv.data()), environ);
        posix_spawn_file_actions_destroy(&fa);
        if (rc != 0) return run;
        while (run.paint_ms < 0 && ms_between(t0, Clock::now()) < 20000) {
            pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
            ::poll(&p, 1, 100);
            while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
                const auto type = std::uint8_t(e->response_type & 0x7F);
                const Clock::time_point t = Clock::now();
                if (type == XCB_CREATE_NOTIFY) {
                    const auto* ev = reinterpret_cast<xcb_create_notify_event_t*>(e);
                    if (ev->parent == root_) {
                        xcb_damage_create(c_, xcb_generate_id(c_), ev->window,
                                          XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                        xcb_flush(c_);
                    }
                } else if (type == XCB_MAP_NOTIFY) {
                    const auto* ev = reinterpret_cast<xcb_map_notify_event_t*>(e);
                    mapped.insert(ev->window);
                    if (run.map_ms < 0) run.map_ms = ms_between(t0, t);
                } else if (type == damage_event_) {
                    const auto* ev = reinterpret_cast<xcb_damage_notify_event_t*>(e);
                    if (mapped.count(ev->drawable) && run.paint_ms < 0) run.paint_ms = ms_between(t0, t);
                }
                free(e);
            }
        }
        if (run.paint_ms >= 0) {
            ::usleep(1000 * 1000);
            run.rss_mib = resident_mib(pid);
        }
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        // Let the server forget the windows before the next run.
        ::usleep(300 * 1000);
        while (xcb_generic_event_t* e = xcb_poll_for_event(c_))
            free(e);
        return run;
    }

  private:
    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
    std::uint8_t damage_event_ = 0;
};

} // namespace

int main() {
    Display display;
    if (!display.open()) {
        std::printf("no X display with the damage extension: nothing to measure\n");
        return 1;
    }
    const char* runs_setting = std::getenv("KELVOR_BENCH_RUNS");
    const int runs = runs_setting ? std::max(1, std::atoi(runs_setting)) : 7;
    char folder_template[] = "/tmp/kelvor-startup.XXXXXX";
    const char* folder = ::mkdtemp(folder_template);
    if (!folder) return 1;
    struct Subject {
        const char* name;
        std::vector<const char*> argv;
        std::vector<Run> runs;
    } subjects[] = {{"Kelvor", {KELVOR_BINARY, nullptr}, {}},
                    {"bare Qt window", {BARE_WINDOW_BINARY, nullptr}, {}}};
    for (int i = 0; i < runs; ++i)
        for (Subject& s : subjects)
            s.runs.push_back(display.measure(s.argv, folder));
    for (const Subject& s : subjects) {
        std::vector<double> map, paint, rss;
        for (const Run& r : s.runs) {
            if (r.paint_ms < 0) continue;
            map.push_back(r.map_ms);
            paint.push_back(r.paint_ms);
            rss.push_back(r.rss_mib);
        }
        std::printf(
            "%s: %zu of %d runs painted; start to first painted frame median %.0f ms (min %.0f, max %.0f), "
            "to the window's map %.0f ms; resident memory after start-up %.1f MiB\n",
            s.name, paint.size(), runs, median(paint),
            paint.empty() ? 0 : *std::min_element(paint.begin(), paint.end()),
            paint.empty() ? 0 : *std::max_element(paint.begin(), paint.end()), median(map), median(rss));
        if (s.runs.size() != paint.size()) return 1;
    }
    std::filesystem::remove_all(folder);
    return 0;
}
