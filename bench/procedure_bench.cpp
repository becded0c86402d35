// The two automatic procedures side by side, each taken by the same simulated listeners: the one rise from
// 0 dB with the first press recorded, and the confirmed threshold. Every session runs twice (test and
// retest) on the same audiogram, and the figures compare what was recorded with the listener's true
// thresholds.
//   --sessions N  --seed S  --width DB  --lapse P  --stray-per-min R  --audiograms FILE  --json
// FILE is a CSV of listener,ear,frequency_hz,threshold (ear "left"/"right" or -1/1; a header line is
// skipped); without one, audiograms of four kinds are made up: normal, flat, sloping and noise notch.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/simulated_listener.h"

namespace {

using kelvor::hearing::ear_left;
using kelvor::hearing::ear_right;
using kelvor::hearing::Verdict;
using kelvor::testing::ListenerModel;
using kelvor::testing::ListenerSession;

const std::vector<std::uint16_t> walk{8000, 6000, 4000, 3000, 2000, 1500, 1000, 750, 500, 250, 125};

using Thresholds = std::map<std::pair<int, int>, double>; // (ear, frequency) -> threshold

Thresholds make_audiogram(std::mt19937& random) {
    auto u = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    const int kind = std::uniform_int_distribution<int>(0, 3)(random);
    Thresholds t;
    for (int ear : {ear_left, ear_right}) {
        const double base = kind == 0 ? u(0, 10) : kind == 1 ? u(15, 38) : u(0, 12);
        const double slope = kind == 2 ? u(3, 6) : 0; // per octave above 500 Hz
        for (std::uint16_t f : walk) {
            double level = base + u(-3, 3);
            if (kind == 2 && f > 500) level += slope * std::log2(f / 500.0);
            if (kind == 3 && (f == 3000 || f == 4000 || f == 6000)) level += f == 4000 ? u(20, 30) : u(8, 15);
            t[{ear, f}] = std::clamp(level, 0.0, 40.0);
        }
    }
    return t;
}

std::vector<Thresholds> read_audiograms(const std::string& path) {
    std::map<std::string, Thresholds> by_listener;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::stringstream fields(line);
        std::string listener, ear, freq, level;
        if (!std::getline(fields, listener, ',') || !std::getline(fields, ear, ',') ||
            !std::getline(fields, freq, ',') || !std::getline(fields, level, ','))
            continue;
        if (freq.empty() || !std::isdigit(static_cast<unsigned char>(freq[0]))) continue; // the header
        const int e = ear == "left" || ear == "-1" || ear == "l" ? ear_left : ear_right;
        by_listener[listener][{e, std::atoi(freq.c_str())}] = std::atof(level.c_str());
    }
    std::vector<Thresholds> out;
    for (auto& [name, t] : by_listener)
        out.push_back(t);
    return out;
}

struct Figures {
    std::vector<double> errors;      // recorded - true
    std::vector<double> true_levels; // for the bands
    std::vector<double> retest;      // first run - second run
    double ms = 0;
    int ears = 0;
    int verdicts[3] = {0, 0, 0}; // sessions by the worse ear's verdict
};

struct Recorded {
    std::map<std::pair<int, int>, double> levels;
    double ms;
    Verdict verdict = Verdict::reliable;
};

Recorded run_once(bool confirm, const ListenerModel& model, const Thresholds& t, std::uint32_t seed) {
    ListenerSession s(
        confirm, model,
        [&t](std::int8_t ear, std::uint16_t f) {
            auto it = t.find({ear, f});
            return it == t.end() ? 20.0 : it->second;
        },
        seed);
    Recorded r;
    r.ms = s.run();
    for (int ear : {ear_left, ear_right}) {
        const auto& record = ear == ear_left ? s.state.results_li : s.state.results_re;
        for (std::uint16_t f : walk)
            r.levels[{ear, f}] = record.entries[kelvor::hearing::freq_to_index(f)].level;
        if (const auto& rel = s.m.ear_reliability(static_cast<std::int8_t>(ear)))
            r.verdict = std::max(r.verdict, rel->verdict());
    }
    return r;
}

double mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v)
        sum += x;
    return v.empty() ? 0 : sum / v.size();
}

double sd(const std::vector<double>& v) {
    const double m = mean(v);
    double sum = 0;
    for (double x : v)
        sum += (x - m) * (x - m);
    return v.size() < 2 ? 0 : std::sqrt(sum / (v.size() - 1));
}

struct Summary {
    double mean_error, mean_abs, median_abs, within5, within10, retest_sd, minutes_per_ear;
    double band_mean[4];
    int band_n[4];
};

Summary summarise(const Figures& f) {
    Summary s{};
    std::vector<double> abs;
    for (double e : f.errors)
        abs.push_back(std::fabs(e));
    std::sort(abs.begin(), abs.end());
    s.mean_error = mean(f.errors);
    s.mean_abs = mean(abs);
    s.median_abs = abs.empty() ? 0 : abs[abs.size() / 2];
    s.within5 = double(std::count_if(abs.begin(), abs.end(), [](double a) { return a <= 5; })) / abs.size();
    s.within10 = double(std::count_if(abs.begin(), abs.end(), [](double a) { return a <= 10; })) / abs.size();
    s.retest_sd = sd(f.retest);
    s.minutes_per_ear = f.ms / f.ears / 60000.0;
    for (int b = 0; b < 4; ++b) {
        std::vector<double> in;
        for (std::size_t i = 0; i < f.errors.size(); ++i)
            if (std::min(int(f.true_levels[i] / 10), 3) == b) in.push_back(f.errors[i]);
        s.band_mean[b] = mean(in);
        s.band_n[b] = int(in.size());
    }
    return s;
}

} // namespace

int main(int argc, char** argv) {
    int sessions = 200;
    std::uint32_t seed = 1;
    ListenerModel model;
    std::string audiogram_file;
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : "0"; };
        if (a == "--sessions")
            sessions = std::atoi(next());
        else if (a == "--seed")
            seed = static_cast<std::uint32_t>(std::strtoul(next(), nullptr, 10));
        else if (a == "--width")
            model.width_db = std::atof(next());
        else if (a == "--lapse")
            model.lapse = std::atof(next());
        else if (a == "--stray-per-min")
            model.stray_per_min = std::atof(next());
        else if (a == "--audiograms")
            audiogram_file = next();
        else if (a == "--json")
            json = true;
        else {
            std::fprintf(stderr, "unknown argument %s\n", a.c_str());
            return 2;
        }
    }
    std::vector<Thresholds> pool;
    if (!audiogram_file.empty()) pool = read_audiograms(audiogram_file);
    std::mt19937 random(seed);

    Figures figures[2]; // one rise, confirmed
    for (int n = 0; n < sessions; ++n) {
        const Thresholds t = pool.empty() ? make_audiogram(random) : pool[n % pool.size()];
        const std::uint32_t session_seed = seed * 1000003u + static_cast<std::uint32_t>(n) * 7919u;
        for (int p = 0; p < 2; ++p) {
            const Recorded first = run_once(p == 1, model, t, session_seed);
            const Recorded second = run_once(p == 1, model, t, session_seed + 1);
            Figures& f = figures[p];
            for (const auto& [key, level] : first.levels) {
                f.errors.push_back(level - t.at(key));
                f.true_levels.push_back(t.at(key));
                f.retest.push_back(level - second.levels.at(key));
            }
            f.ms += first.ms;
            f.ears += 2;
            ++f.verdicts[static_cast<int>(first.verdict)];
        }
    }

    const char* names[2] = {"one_rise", "confirmed"};
    if (json) {
        std::printf("{\"sessions\": %d, \"seed\": %u, \"width\": %g, \"lapse\": %g, \"stray_per_min\": %g",
                    sessions, seed, model.width_db, model.lapse, model.stray_per_min);
        for (int p = 0; p < 2; ++p) {
            const Summary s = summarise(figures[p]);
            std::printf(
                ", \"%s\": {\"mean_error\": %.2f, \"mean_abs_error\": %.2f, \"median_abs_error\": %.2f, "
                "\"within_5\": %.3f, \"within_10\": %.3f, \"test_retest_sd\": %.2f, "
                "\"minutes_per_ear\": %.2f, \"band_mean_error\": [%.2f, %.2f, %.2f, %.2f]",
                names[p], s.mean_error, s.mean_abs, s.median_abs, s.within5, s.within10, s.retest_sd,
                s.minutes_per_ear, s.band_mean[0], s.band_mean[1], s.band_mean[2], s.band_mean[3]);
            if (p == 1)
                std::printf(", \"verdicts\": {\"reliable\": %d, \"check\": %d, \"unreliable\": %d}",
                            figures[p].verdicts[0], figures[p].verdicts[1], figures[p].verdicts[2]);
            std::printf("}");
        }
        std::printf("}\n");
        return 0;
    }
    std::printf("%d sessions, seed %u, width %g dB, lapse %g, %g stray presses per minute\n", sessions, seed,
                model.width_db, model.lapse, model.stray_per_min);
    std::printf("%-34s %10s %10s\n", "", names[0], names[1]);
    Summary s[2] = {summarise(figures[0]), summarise(figures[1])};
    auto row = [&](const char* what, double a, double b) {
        std::printf("%-34s %10.2f %10.2f\n", what, a, b);
    };
    row("mean error (dB)", s[0].mean_error, s[1].mean_error);
    for (int b = 0; b < 4; ++b) {
        char label[64];
        std::snprintf(label, sizeof label, "  mean error, threshold %d-%d dB", b * 10, b * 10 + 10);
        row(label, s[0].band_mean[b], s[1].band_mean[b]);
    }
    row("mean absolute error (dB)", s[0].mean_abs, s[1].mean_abs);
    row("median absolute error (dB)", s[0].median_abs, s[1].median_abs);
    row("within 5 dB (%)", 100 * s[0].within5, 100 * s[1].within5);
    row("within 10 dB (%)", 100 * s[0].within10, 100 * s[1].within10);
    row("test-retest SD (dB)", s[0].retest_sd, s[1].retest_sd);
    row("minutes per ear", s[0].minutes_per_ear, s[1].minutes_per_ear);
    std::printf("verdicts of the confirmed sessions: %d reliable, %d check, %d unreliable\n",
                figures[1].verdicts[0], figures[1].verdicts[1], figures[1].verdicts[2]);
    return 0;
}
