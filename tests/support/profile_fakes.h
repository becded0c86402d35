#pragma once
// Hearing level profiles over fakes: a configuration folder that starts empty and keeps what is written,
// and today's conditions always those of the profiles.
#include <map>
#include <string>

#include "core/host/profile_store.h"
#include "core/profile/hearing_profiles.h"

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

struct SameConditions : profile::ConditionsSource {
    profile::Conditions now() override { return {}; }
};

} // namespace kelvor::testing
