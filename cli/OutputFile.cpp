#include "cli/OutputFile.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace habitual {
namespace {

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names: a symbolic link is followed, so that saving
// through it updates the file it points at instead of replacing the link.
std::string Resolve(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        char target[PATH_MAX];
        const ssize_t n = readlink(current.c_str(), target, sizeof target - 1);
        if (n <= 0) return current;
        target[n] = '\0';
        current = target[0] == '/' ? std::string(target) : FolderOf(current) + "/" + target;
    }
    return current;
}

} // namespace

bool WriteFileReplacing(const std::string& path, const std::string& bytes) {
    const std::string target = Resolve(path);
    struct stat st;
    const bool exists = stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) return false;
        // A device or pipe (/dev/null, a FIFO) is written to, never replaced.
        int fd = open(target.c_str(), O_WRONLY | O_TRUNC);
        if (fd < 0) return false;
        bool ok = WriteAll(fd, bytes);
        return close(fd) == 0 && ok;
    }
    // A short name of its own, so that a target name near the length limit
    // still leaves room for it.
    std::string temp = FolderOf(target) + "/.habitual-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
    // Keep the permissions of a file that is replaced, else the usual ones.
    mode_t mode = 0666;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }
    ok = fchmod(fd, mode) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (ok && std::rename(temp.c_str(), target.c_str()) == 0) return true;
    std::remove(temp.c_str());
    return false;
}

} // namespace habitual
