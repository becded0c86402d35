#pragma once
// One ordered list of calls that several recording fakes can share, so a test can check the order of
// calls across seams (tone before chart, and so on).
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace kelvor::testing {

struct CallLog {
    std::vector<std::string> calls;

    void add(std::string call) { calls.push_back(std::move(call)); }
    // Returns the calls recorded so far and starts a fresh list.
    std::vector<std::string> take() { return std::exchange(calls, {}); }
    int count(const std::string& call) const { return int(std::count(calls.begin(), calls.end(), call)); }
    bool contains(const std::string& call) const { return count(call) > 0; }
};

} // namespace kelvor::testing
