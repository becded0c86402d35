#pragma once
// Cuts a stream of bytes into text lines. A line ends at LF; a CR right before the LF belongs to the line
// end; the last line needs no line end. Bytes are taken as they are (NUL and anything else is text).
#include <cstddef>
#include <string>
#include <string_view>

namespace kelvor {

class LineSplitter {
  public:
    // A line longer than this keeps its first `max_line_bytes` bytes; the rest up to its line end is
    // dropped, so a file that is one endless line cannot use up the memory.
    static constexpr std::size_t default_max_line_bytes = 65536;

    explicit LineSplitter(std::size_t max_line_bytes = default_max_line_bytes) : max_(max_line_bytes) {}

    // Takes the next bytes; calls `on_line(std::string&&)` for every line they complete, in order. (Not
    // `emit`: Qt defines that as an empty macro, which in a file that includes Qt first drops every line.)
    template <class Emit> void feed(std::string_view bytes, Emit&& on_line) {
        for (;;) {
            const std::size_t lf = bytes.find('\n');
            append(bytes.substr(0, lf));
            if (lf == std::string_view::npos) return;
            on_line(take());
            bytes.remove_prefix(lf + 1);
        }
    }
    // At the end of the input: the last line when it had no line end. False when there is none.
    bool finish(std::string& line);

  private:
    void append(std::string_view part);
    std::string take();

    std::size_t max_;
    std::string line_;
    bool started_ = false; // some byte of the current line has been seen
    bool cut_ = false;     // the current line was longer than the limit
};

} // namespace kelvor
