// A folder the tests write into and remove again, with what it holds.
#pragma once

#include <cstdio>
#include <dirent.h>
#include <stdlib.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace habitual::test {

class TempFolder {
public:
    TempFolder() {
        char name[] = "/tmp/habitual-save-XXXXXX";
        Path = mkdtemp(name) ? name : "";
    }
    ~TempFolder() {
        for (const std::string& e : Entries()) std::remove((Path + "/" + e).c_str());
        rmdir(Path.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The names in the folder, "." and ".." left out, in the order listed.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        if (DIR* d = opendir(Path.c_str())) {
            while (const dirent* e = readdir(d))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                    names.push_back(e->d_name);
            closedir(d);
        }
        return names;
    }

    std::string Path;
};

} // namespace habitual::test
