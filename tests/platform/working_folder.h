#pragma once
// A fresh temporary folder made the process's working folder for one test, and the way back; and a
// guard that makes the file system check permissions for an ordinary user even when the tests run as
// root (root passes every permission check, so a read-only folder would not be read-only for it).
#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/fsuid.h>
#include <unistd.h>

namespace kelvor::testing {

class WorkingFolder {
  public:
    WorkingFolder() : previous_(QDir::currentPath()) {
        // Open to others, so an ordinary user (see AsOrdinaryUser) can enter it.
        QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                               QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                               QFileDevice::ExeGroup);
        QDir::setCurrent(dir_.path());
    }
    ~WorkingFolder() {
        QDir::setCurrent(previous_);
        ::chmod(dir_.path().toLocal8Bit().constData(), 0700); // so it can be removed
    }
    std::string path() const { return dir_.path().toStdString(); }

  private:
    QString previous_;
    QTemporaryDir dir_;
};

// While it lives, file permission checks of this thread are those of the user "nobody".
class AsOrdinaryUser {
  public:
    AsOrdinaryUser() {
        if (::geteuid() == 0) {
            ::setfsuid(65534);
            ::setfsgid(65534);
            active_ = true;
        }
    }
    ~AsOrdinaryUser() {
        if (active_) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
    }

  private:
    bool active_ = false;
};

inline std::string file_content(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void put_file(const std::string& name, const std::string& content) {
    std::ofstream(name, std::ios::binary) << content;
}

} // namespace kelvor::testing
