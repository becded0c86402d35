#pragma once
// Hearing level profiles over fakes: a configuration folder that starts empty and keeps what is written,
// and today's conditions always those of the profiles.
#include <map>
#include <string>

#include "core/host/profile_store.h"
#include "core/profile/hearing_profiles.h"
#include "support/fake_host.h"

namespace kelvor::testing {

struct EmptyProfileStore : host::ProfileStore {
    std::vector<std::string> names(const std::string&) override { return {}; }
    std::string path_of(const std::string& file) override { return file; }
    std::unique_ptr<host::LineReader> open_lines(const std::string&) override { return nullptr; }
    host::WriteResult replace_file(const std::string& file, const std::string& content) override {
        written[file] = content;
        return {};
    }
    std::map<std::string, std::string> written;
};

// A folder in memory: what is written can be read back, and a test can put any file there.
class MemoryStore : public host::ProfileStore {
  public:
    std::vector<std::string> names(const std::string& suffix) override {
        std::vector<std::string> out;
        for (const auto& [name, _] : files.contents)
            if (name.size() > suffix.size() && name.ends_with(suffix))
                out.push_back(name.substr(0, name.size() - suffix.size()));
        return out;
    }
    std::string path_of(const std::string& file) override { return "/cfg/" + file; }
    std::unique_ptr<host::LineReader> open_lines(const std::string& file) override {
        return files.open_lines(file);
    }
    host::WriteResult replace_file(const std::string& file, const std::string& content) override {
        return files.replace_file(file, content);
    }
    testing::FakeFiles files;
};

struct SameConditions : profile::ConditionsSource {
    profile::Conditions now() override { return {}; }
};

} // namespace kelvor::testing
