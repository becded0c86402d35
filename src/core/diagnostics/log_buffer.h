#pragma once
// Log buffers ("Port", "SOUND") collect short trace lines until the port log shows them; the port log
// itself is a ring of 16 text lines whose write position is shared by both buffers.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvor::diagnostics {

constexpr std::size_t log_line_max = 80;
constexpr std::uint16_t log_capacity_max = 200;
constexpr std::uint16_t log_capacity_default = 40;

// The 16-line memo that shows the logs, and the program-wide display position.
class PortLogRing {
  public:
    static constexpr std::size_t line_count = 16;

    const std::array<std::string, line_count>& lines() const { return lines_; }
    std::uint16_t position() const { return position_; }

    // Writes one line at the current position and empties the line after it; the position moves on.
    void put(const std::string& line);
    // Joined with line breaks, as the memo shows it.
    std::string text() const;

  private:
    std::array<std::string, line_count> lines_{};
    std::uint16_t position_ = 0; // wraps at 65536, which keeps it right modulo 16
};

class LogBuffer {
  public:
    LogBuffer(std::string name, std::uint16_t capacity);

    const std::string& name() const { return name_; }
    std::uint16_t count() const { return static_cast<std::uint16_t>(count_); }
    std::uint16_t capacity() const { return static_cast<std::uint16_t>(slots_.size()); }
    const std::string& line(std::size_t i) const { return slots_.at(i); }

    // Stores ":> " + name + text (cut to 80 characters), or drops it when the buffer is full.
    void add_line(const std::string& text);
    // Moves every waiting line into the ring and empties the buffer.
    void show(PortLogRing& ring);

  private:
    std::string name_;
    std::vector<std::string> slots_; // allocated once
    std::size_t count_ = 0;
};

} // namespace kelvor::diagnostics
