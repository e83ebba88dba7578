#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SaveFile.h"

namespace habitual {
namespace {

bool WriteAll(int fd, std::string_view bytes, off_t at = -1) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = at < 0 ? write(fd, bytes.data() + done, bytes.size() - done)
                                 : pwrite(fd, bytes.data() + done, bytes.size() - done,
                                          at + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, std::string& bytes) {
    char buffer[1 << 16];
    for (off_t at = 0;;) {
        const ssize_t n = pread(fd, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        bytes.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names: symbolic links are followed, so that saving
// through one updates the file it points at instead of replacing the link.
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

// A device or a pipe (/dev/null, a FIFO) is written to, never replaced.
bool WriteSpecial(const std::string& target, std::string_view bytes) {
    const int fd = open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = WriteAll(fd, bytes);
    return close(fd) == 0 && ok;
}

// Rewrites a regular file where it stands. The room for the new bytes is
// reserved first, so that writing them cannot run out of space half-way;
// the old bytes are kept and put back should writing fail all the same.
bool UpdateInPlace(const std::string& target, std::string_view bytes) {
    const int fd = open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    std::string old;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && ReadAll(fd, old);
    if (ok && bytes.size() > old.size()) {
        const int reserved = posix_fallocate(fd, 0, static_cast<off_t>(bytes.size()));
        // A file system without reservations (EOPNOTSUPP) is written all
        // the same; a lack of room leaves the file as it was.
        if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
            ok = false;
            if (ftruncate(fd, static_cast<off_t>(old.size())) != 0) {
                // The size could not be put back; the bytes are unchanged.
            }
        }
    }
    if (ok) {
        ok = WriteAll(fd, bytes, 0) && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
             fsync(fd) == 0;
        if (!ok && WriteAll(fd, old, 0) && ftruncate(fd, static_cast<off_t>(old.size())) == 0)
            fsync(fd);
    }
    return close(fd) == 0 && ok;
}

} // namespace

bool SaveFile(const std::string& path, std::string_view bytes) {
    const std::string target = Resolve(path);
    struct stat st;
    const bool exists = stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return false;
    if (exists && !S_ISREG(st.st_mode)) return WriteSpecial(target, bytes);
    if (exists && st.st_nlink > 1) return UpdateInPlace(target, bytes);

    // A short name of its own, so that a target name near the length limit
    // still leaves room for it.
    std::string temp = FolderOf(target) + "/.habitual-XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        // The folder takes no new file; the file itself may still be writable.
        return exists && UpdateInPlace(target, bytes);
    }
    bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
    // Keep the permissions (and, where allowed, the owner) of a file that is
    // replaced; else the usual ones.
    mode_t mode = 0666;
    if (exists) {
        mode = st.st_mode & 07777;
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Only the owner's own group, or root, may set them; keep ours.
        }
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
