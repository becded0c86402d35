#include "core/common/text_lines.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvor {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

// The lines of `input` fed in pieces of `chunk` bytes.
Lines split(const std::string& input, std::size_t chunk,
            std::size_t max = LineSplitter::default_max_line_bytes) {
    LineSplitter splitter(max);
    Lines lines;
    for (std::size_t at = 0; at < input.size(); at += chunk)
        splitter.feed(std::string_view(input).substr(at, chunk),
                      [&](std::string&& l) { lines.push_back(l); });
    std::string last;
    if (splitter.finish(last)) lines.push_back(last);
    return lines;
}

TEST(LineSplitter, LineEndsInAnyChunking) {
    const struct {
        std::string input;
        Lines lines;
    } rows[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}}, // no line end after the last line
        {"\r\n\r\n", {"", ""}},
        {"a\rb\r\n", {"a\rb"}},               // a lone CR is text
        {"a\r", {"a"}},                       // a file cut between CR and LF
        {"a\0b\r\n\xff"s, {"a\0b"s, "\xff"}}, // NUL and any other byte
        {"\n", {""}},
    };
    for (const auto& row : rows)
        for (std::size_t chunk : {1u, 2u, 3u, 1000u})
            EXPECT_EQ(split(row.input, chunk), row.lines)
                << row.input.size() << " bytes in chunks of " << chunk;
}

TEST(LineSplitter, LongLinesKeepTheirStart) {
    const std::string longer(10, 'x');
    EXPECT_EQ(split(longer + "\r\nok\r\n", 3, 4), (Lines{"xxxx", "ok"}));
    EXPECT_EQ(split("abc\r\n", 1, 4), (Lines{"abc"}));
    EXPECT_EQ(split("abcd\r\n", 2, 4), (Lines{"abcd"})); // the CR beyond the limit is dropped with the rest
    EXPECT_EQ(split(longer, 7, 4), (Lines{"xxxx"}));
}

} // namespace
} // namespace kelvor
