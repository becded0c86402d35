#include "core/diagnostics/log_buffer.h"

#include <algorithm>

namespace kelvor::diagnostics {

void PortLogRing::put(const std::string& line) {
    lines_[position_ % line_count] = line;
    lines_[(position_ + 1u) % line_count].clear();
    position_ = static_cast<std::uint16_t>(position_ + 1u);
}

std::string PortLogRing::text() const {
    std::string out;
    for (std::size_t i = 0; i < line_count; ++i) {
        if (i > 0) out += '\n';
        out += lines_[i];
    }
    return out;
}

LogBuffer::LogBuffer(std::string name, std::uint16_t capacity)
    : name_(std::move(name)), slots_(std::min(capacity, log_capacity_max)) {}

void LogBuffer::add_line(const std::string& text) {
    if (count_ >= slots_.size()) return;
    std::string line = ":> " + name_ + text.substr(0, log_line_max);
    if (line.size() > log_line_max) line.resize(log_line_max);
    slots_[count_++] = std::move(line);
}

void LogBuffer::show(PortLogRing& ring) {
    for (std::size_t i = 0; i < count_; ++i)
        ring.put(slots_[i]);
    count_ = 0;
}

} // namespace kelvor::diagnostics
