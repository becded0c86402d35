#include "core/common/text_lines.h"

#include <utility>

namespace kelvor {

void LineSplitter::append(std::string_view part) {
    if (part.empty()) return;
    started_ = true;
    if (line_.size() < max_) {
        const std::size_t room = max_ - line_.size();
        if (part.size() > room) cut_ = true;
        line_.append(part.substr(0, room));
    } else {
        cut_ = true;
    }
}

std::string LineSplitter::take() {
    // The CR of a CR LF pair; a line cut at the limit lost its real end anyway.
    if (!cut_ && !line_.empty() && line_.back() == '\r') line_.pop_back();
    started_ = false;
    cut_ = false;
    return std::exchange(line_, {});
}

bool LineSplitter::finish(std::string& line) {
    if (!started_) return false;
    line = take();
    return true;
}

} // namespace kelvor
