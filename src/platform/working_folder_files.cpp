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

#include "core/common/file_replacement.h"
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

// Content, flush to the disk, close: 0 or the first errno.
int write_and_close(int fd, const std::string& content) {
    int error = write_all(fd, content);
    if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    return error;
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

// The replacement's steps on the real file system, for one path (a link already followed).
class PosixReplacementSteps final : public ReplacementSteps {
  public:
    PosixReplacementSteps(std::string path, bool renamable) : path_(std::move(path)), renamable_(renamable) {}
    ~PosixReplacementSteps() override {
        if (temp_fd_ >= 0) ::close(temp_fd_);
        if (in_place_fd_ >= 0) ::close(in_place_fd_);
    }
    PosixReplacementSteps(const PosixReplacementSteps&) = delete;
    PosixReplacementSteps& operator=(const PosixReplacementSteps&) = delete;

    Target target() override {
        Target t;
        t.renamable = renamable_;
        struct stat st {};
        if (::stat(path_.c_str(), &st) != 0) return t;
        if (!S_ISREG(st.st_mode)) {
            t.kind = Kind::other;
            return t;
        }
        t.kind = Kind::regular;
        t.links = static_cast<unsigned>(st.st_nlink);
        t.ours = st.st_uid == ::geteuid();
        mode_ = st.st_mode & 07777;
        const int probe = open_regular(path_, O_WRONLY);
        if (probe < 0)
            t.write_error = errno;
        else
            ::close(probe);
        return t;
    }
    int make_temp() override {
        temp_ = folder_of(path_) + "." + path_.substr(folder_of(path_).size()) + ".XXXXXX";
        temp_fd_ = ::mkstemp(temp_.data());
        if (temp_fd_ < 0) return errno;
        ::fchmod(temp_fd_, mode_);
        return 0;
    }
    int fill_temp(const std::string& content) override {
        const int error = write_and_close(temp_fd_, content);
        temp_fd_ = -1;
        return error;
    }
    int rename_temp() override { return ::rename(temp_.c_str(), path_.c_str()) == 0 ? 0 : errno; }
    void drop_temp() override { ::unlink(temp_.c_str()); }
    void sync_folder() override {
        const std::string folder = folder_of(path_).empty() ? "." : folder_of(path_);
        const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    int open_in_place() override {
        // The old behaviour of a text file opened for writing: truncate, then write.
        in_place_fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
        return in_place_fd_ < 0 ? errno : 0;
    }
    int fill_in_place(const std::string& content) override {
        const int error = write_and_close(in_place_fd_, content);
        in_place_fd_ = -1;
        return error;
    }
    std::string describe(int error) override { return error_text(error); }

  private:
    std::string path_;
    bool renamable_;
    std::string temp_;
    int temp_fd_ = -1;
    int in_place_fd_ = -1;
    mode_t mode_ = creation_mode();
};

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
    // A link to nothing is written through, which creates the file it names.
    std::string path = name;
    bool renamable = true;
    struct stat st {};
    if (::lstat(name.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(name.c_str(), resolved) != nullptr)
            path = resolved;
        else
            renamable = false;
    }
    PosixReplacementSteps steps(path, renamable);
    return replace_with_steps(steps, content);
}

} // namespace kelvor::platform
