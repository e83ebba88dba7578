// A folder the tests write into and remove again, with what it holds.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "tests/support/TempFile.h"

namespace habitual::test {

class TempFolder {
public:
    TempFolder() : Path(UniqueTempPath("habitual-save-")) {
        std::error_code error;
        if (!std::filesystem::create_directory(FsPath(Path), error)) Path.clear();
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!Path.empty()) std::filesystem::remove_all(FsPath(Path), ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The names in the folder, in the order listed.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& e : std::filesystem::directory_iterator(FsPath(Path), error))
            names.push_back(Utf8Path(e.path().filename()));
        return names;
    }

    std::string Path;
};

} // namespace habitual::test
