#pragma once
// Files in the process's working folder, named without a folder part.
#include <memory>
#include <string>

namespace kelvor::host {

// One line at a time from a file opened for reading.
class LineReader {
  public:
    enum class Status { line, end, error };
    virtual ~LineReader() = default;
    // The next line without its line end (LF or CR LF; the last line needs none). After `error` the
    // reader gives nothing more and error_text() names the failure.
    virtual Status read_line(std::string& line) = 0;
    virtual std::string error_text() const = 0;
};

struct WriteResult {
    enum class Status { written, cannot_create, failed };
    Status status = Status::written;
    std::string error; // what went wrong, when not written
    bool ok() const { return status == Status::written; }
};

// No file read by lines comes near this size: a results file holds at most 60 lines of some 20 bytes.
// A larger one is not read (its reader fails at once): reading 100 MB line by line would hold the
// window for a second or more.
constexpr unsigned long long line_file_size_limit = 1ull << 20;

class Files {
  public:
    virtual ~Files() = default;
    // Whether `name` can be opened for reading and writing (Start's probe for the results file).
    virtual bool can_open_read_write(const std::string& name) = 0;
    // `name` opened for reading; null when it cannot be opened: missing, no access, or not a regular file
    // (a folder or a device is never read as if it were an empty file). A file above
    // line_file_size_limit opens, but its first read_line is an error naming its size.
    virtual std::unique_ptr<LineReader> open_lines(const std::string& name) = 0;
    // Replaces the file with `content` whole, creating it when missing. `cannot_create` when the file
    // cannot be opened for writing; `failed` when writing broke off. Either way the file keeps its old
    // content: nothing is lost when the disk fills up or the program dies half-way.
    virtual WriteResult replace_file(const std::string& name, const std::string& content) = 0;
};

} // namespace kelvor::host
