// What the program costs while it waits before Start: the real binary is started (on the display and
// sound server bench.sh provides) and left alone; over a minute, the CPU it uses and the CPU the sound
// server uses beside it, against the server's own use with no program at all. Also whether our stream
// is still on the server then.
//   KELVOR_BENCH_IDLE_SECONDS  length of each window (default 60)
//   KELVOR_BENCH_RUNS          windows per backend (default 3)
//   KELVOR_PULSE_PID           the sound server's process (set by scripts/test-env.sh)
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

// User and system time of `pid` in seconds, threads that ended included.
double cpu_seconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t after_name = text.rfind(')');
    if (after_name == std::string::npos) return -1;
    std::istringstream fields(text.substr(after_name + 2));
    std::string field;
    double utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14) utime = std::atof(field.c_str());
        if (i == 15) {
            stime = std::atof(field.c_str());
            break;
        }
    }
    return (utime + stime) / double(sysconf(_SC_CLK_TCK));
}

double median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// What `pactl list sink-inputs` says about the stream of process `pid`: "absent", "corked" or "playing".
std::string our_stream(pid_t pid) {
    FILE* p = ::popen("pactl list sink-inputs 2>/dev/null", "r");
    if (!p) return "?";
    std::string all;
    std::array<char, 4096> buf{};
    while (std::size_t n = std::fread(buf.data(), 1, buf.size(), p))
        all.append(buf.data(), n);
    ::pclose(p);
    const std::string id = "application.process.id = \"" + std::to_string(pid) + "\"";
    for (std::size_t at = 0; (at = all.find("Sink Input #", at)) != std::string::npos;) {
        const std::size_t end = std::min(all.find("Sink Input #", at + 1), all.size());
        const std::string block = all.substr(at, end - at);
        if (block.find(id) != std::string::npos)
            return block.find("Corked: yes") != std::string::npos ? "corked" : "playing";
        at = end;
    }
    return "absent";
}

} // namespace

int main() {
    const char* seconds_setting = std::getenv("KELVOR_BENCH_IDLE_SECONDS");
    const int seconds = seconds_setting ? std::max(1, std::atoi(seconds_setting)) : 60;
    const char* runs_setting = std::getenv("KELVOR_BENCH_RUNS");
    const int runs = runs_setting ? std::max(1, std::atoi(runs_setting)) : 3;
    const char* server_setting = std::getenv("KELVOR_PULSE_PID");
    const pid_t server = server_setting ? std::atoi(server_setting) : -1;
    if (server > 0 && cpu_seconds(server) < 0) {
        std::printf("KELVOR_PULSE_PID %d is no running process\n", server);
        return 1;
    }
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kelvor-idle-bench";
    std::filesystem::create_directories(folder);

    auto server_share = [&](auto&& during) {
        const double s0 = server > 0 ? cpu_seconds(server) : 0;
        during();
        return server > 0 ? (cpu_seconds(server) - s0) / seconds * 100 : -1;
    };
    std::vector<double> alone;
    for (int r = 0; r < runs; ++r)
        alone.push_back(server_share([&] { ::sleep(unsigned(seconds)); }));
    std::printf("sound server with no program: %.2f %% of a core (median of %d windows of %d s)\n",
                median(alone), runs, seconds);

    for (const char* backend : {"pulse", "qt"}) {
        std::vector<double> ours, beside;
        std::string stream;
        for (int r = 0; r < runs; ++r) {
            const std::string setting = std::string("KELVOR_AUDIO=") + backend;
            std::vector<char*> env;
            for (char** e = environ; *e; ++e)
                if (std::string(*e).rfind("KELVOR_AUDIO=", 0) != 0) env.push_back(*e);
            env.push_back(const_cast<char*>(setting.c_str()));
            env.push_back(nullptr);
            posix_spawn_file_actions_t fa;
            posix_spawn_file_actions_init(&fa);
            posix_spawn_file_actions_addchdir_np(&fa, folder.c_str());
            posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
            const char* argv[] = {KELVOR_BINARY, nullptr};
            pid_t pid = -1;
            const int rc = posix_spawn(&pid, argv[0], &fa, nullptr, const_cast<char**>(argv), env.data());
            posix_spawn_file_actions_destroy(&fa);
            if (rc != 0) {
                std::printf("cannot start %s\n", KELVOR_BINARY);
                return 1;
            }
            ::sleep(5); // started, and its stream asleep
            const double c0 = cpu_seconds(pid);
            beside.push_back(server_share([&] { ::sleep(unsigned(seconds)); }));
            ours.push_back((cpu_seconds(pid) - c0) / seconds * 100);
            stream = our_stream(pid);
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        std::printf(
            "KELVOR_AUDIO=%s, idle before Start: the program %.2f %% of a core, the sound server beside it "
            "%.2f %% (its share for us %.2f %%); our stream %s\n",
            backend, median(ours), median(beside), median(beside) - median(alone), stream.c_str());
    }
    std::filesystem::remove_all(folder);
    return 0;
}
