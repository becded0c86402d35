#include "platform/working_folder_files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/common/text_lines.h"

namespace kelvor::platform {

namespace {

std::string error_text(int error) {
    return std::strerror(error);
}

// Opens `name` without blocking on a pipe or device and keeps it only when it is a regular file.
int open_regular(const std::string& name, int flags) {
    const int fd = ::open(name.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return -1;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

class FileLineReader final : public host::LineReader {
  public:
    explicit FileLineReader(int fd) : fd_(fd) {}
    // A reader that gives nothing but the error `why`.
    FileLineReader(int fd, std::string why) : fd_(fd), failed_(true), error_(std::move(why)) {}
    ~FileLineReader() override { ::close(fd_); }
    FileLineReader(const FileLineReader&) = delete;
    FileLineReader& operator=(const FileLineReader&) = delete;

    Status read_line(std::string& line) override {
        while (next_ >= lines_.size()) {
            if (failed_) return Status::error;
            if (at_end_) return Status::end;
            fill();
        }
        line = std::move(lines_[next_++]);
        if (next_ == lines_.size()) {
            lines_.clear();
            next_ = 0;
        }
        return Status::line;
    }
    std::string error_text() const override { return error_; }

  private:
    void fill() {
        char buffer[65536];
        ssize_t got;
        do {
            got = ::read(fd_, buffer, sizeof buffer);
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            failed_ = true;
            error_ = platform::error_text(errno);
            return;
        }
        if (got == 0) {
            at_end_ = true;
            std::string last;
            if (splitter_.finish(last)) lines_.push_back(std::move(last));
            return;
        }
        splitter_.feed(std::string_view(buffer, static_cast<std::size_t>(got)),
                       [this](std::string&& l) { lines_.push_back(std::move(l)); });
    }

    int fd_;
    LineSplitter splitter_;
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
    bool at_end_ = false;
    bool failed_ = false;
    std::string error_;
};

// Writes all of `content`; an errno value on failure, 0 on success.
int write_all(int fd, const std::string& content) {
    const char* at = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, at, left);
        if (done < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        at += done;
        left -= static_cast<std::size_t>(done);
    }
    return 0;
}

host::WriteResult failed(int error) {
    return {host::WriteResult::Status::failed, error_text(error)};
}

host::WriteResult cannot_create(int error) {
    return {host::WriteResult::Status::cannot_create, error_text(error)};
}

// Content, flush to the disk, close: 0 or the first errno.
int write_and_close(int fd, const std::string& content) {
    int error = write_all(fd, content);
    if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    return error;
}

// The old behaviour of a text file opened for writing: truncate, then write.
host::WriteResult rewrite_in_place(const std::string& path, const std::string& content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) return cannot_create(errno);
    const int error = write_and_close(fd, content);
    return error == 0 ? host::WriteResult{} : failed(error);
}

mode_t creation_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

bool WorkingFolderFiles::can_open_read_write(const std::string& name) {
    const int fd = open_regular(name, O_RDWR);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

std::unique_ptr<host::LineReader> WorkingFolderFiles::open_lines(const std::string& name) {
    const int fd = open_regular(name, O_RDONLY);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && static_cast<unsigned long long>(st.st_size) > host::line_file_size_limit)
        return std::make_unique<FileLineReader>(fd, "larger than a results file can be (" +
                                                        std::to_string(st.st_size) + " bytes)");
    return std::make_unique<FileLineReader>(fd);
}

host::WriteResult WorkingFolderFiles::replace_file(const std::string& name, const std::string& content) {
    // A link is followed, as opening the name for writing would: the file it points to is replaced.
    std::string path = name;
    struct stat st {};
    bool exists = ::lstat(name.c_str(), &st) == 0;
    if (exists && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(name.c_str(), resolved) == nullptr) return rewrite_in_place(name, content);
        path = resolved;
        exists = ::stat(path.c_str(), &st) == 0;
    }
    mode_t mode = creation_mode();
    if (exists) {
        if (!S_ISREG(st.st_mode)) return cannot_create(EISDIR);
        // Replacing a file that may not be written would go round its protection.
        const int probe = open_regular(path, O_WRONLY);
        if (probe < 0) return cannot_create(errno);
        ::close(probe);
        mode = st.st_mode & 07777;
    }

    std::string temp = folder_of(path) + "." + path.substr(folder_of(path).size()) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return rewrite_in_place(path, content); // the folder takes no new file
    ::fchmod(fd, mode);
    int error = write_and_close(fd, content);
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return failed(error);
    }
    // The rename itself reaches the disk with the folder.
    const std::string folder = folder_of(path).empty() ? "." : folder_of(path);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

} // namespace kelvor::platform
