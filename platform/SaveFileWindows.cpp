#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/SaveFile.h"
#include "platform/WindowsText.h"

namespace habitual {
namespace {

class THandle {
public:
    explicit THandle(HANDLE handle) : Handle(handle) {}
    ~THandle() { Close(); }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    bool Valid() const { return Handle != INVALID_HANDLE_VALUE; }
    bool Close() {
        const bool ok = !Valid() || CloseHandle(Handle);
        Handle = INVALID_HANDLE_VALUE;
        return ok;
    }
    HANDLE Handle;
};

bool WriteAll(HANDLE file, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

bool ReadAll(HANDLE file, std::string& bytes) {
    char buffer[1 << 16];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &n, nullptr)) return false;
        if (n == 0) return true;
        bytes.append(buffer, n);
    }
}

bool SeekTo(HANDLE file, std::uint64_t at) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(at);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != 0;
}

bool CutAt(HANDLE file, std::uint64_t size) {
    return SeekTo(file, size) && SetEndOfFile(file);
}

// The start of a temporary name in the target's folder: the folder with its
// separator, or the drive of a name such as "C:results.txt".
std::wstring FolderPrefixOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos) return path.substr(0, slash + 1);
    if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
    return {};
}

// The file a symbolic link or junction points at, so that saving through
// the link updates that file instead of replacing the link.
std::wstring Resolve(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    THandle file(CreateFileW(path.c_str(), 0,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid()) return path;
    std::wstring final(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n = GetFinalPathNameByHandleW(file.Handle, final.data(),
                                                  static_cast<DWORD>(final.size()), 0);
        if (n == 0) return path;
        if (n < final.size()) {
            final.resize(n);
            return final;
        }
        final.assign(n + 1, L'\0');
    }
    return path;
}

// A device (NUL, CON) or a pipe is written to, never replaced.
bool WriteSpecial(const std::wstring& target, std::string_view bytes) {
    THandle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.Valid()) return false;
    const bool ok = WriteAll(file.Handle, bytes);
    return file.Close() && ok;
}

// Rewrites a regular file where it stands. The room for the new bytes is
// reserved first, so that writing them cannot run out of space half-way;
// the old bytes are kept and put back should writing fail all the same.
bool UpdateInPlace(const std::wstring& target, std::string_view bytes) {
    THandle file(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    std::string old;
    bool ok = ReadAll(file.Handle, old);
    if (ok && bytes.size() > old.size()) {
        FILE_ALLOCATION_INFO room;
        room.AllocationSize.QuadPart = static_cast<LONGLONG>(bytes.size());
        // A file system without reservations is written all the same; a
        // lack of room leaves the file as it was.
        if (!SetFileInformationByHandle(file.Handle, FileAllocationInfo, &room, sizeof room)) {
            const DWORD error = GetLastError();
            if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) ok = false;
        }
    }
    if (ok) {
        ok = SeekTo(file.Handle, 0) && WriteAll(file.Handle, bytes) &&
             CutAt(file.Handle, bytes.size()) && FlushFileBuffers(file.Handle);
        if (!ok && SeekTo(file.Handle, 0) && WriteAll(file.Handle, old) &&
            CutAt(file.Handle, old.size()))
            FlushFileBuffers(file.Handle);
    }
    return file.Close() && ok;
}

// A file another program holds open without sharing it (as Excel holds
// the file it shows) can be neither replaced nor written: known before any
// byte is written, and without the traces a failed ReplaceFileW may leave.
bool HeldByAnother(const std::wstring& target) {
    THandle file(CreateFileW(target.c_str(), DELETE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return !file.Valid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

// A new file beside the target that no other program has opened; its name
// is set in name.
THandle CreateTemporary(const std::wstring& target, std::wstring& name) {
    const std::wstring prefix = FolderPrefixOf(target) + L".habitual-";
    const DWORD process = GetCurrentProcessId();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        name = prefix + std::to_wstring(process) + L"-" + std::to_wstring(GetTickCount64()) + L"-" +
               std::to_wstring(attempt) + L".tmp";
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return THandle(file);
    }
    return THandle(INVALID_HANDLE_VALUE);
}

// Puts the complete temporary file in the target's place. ReplaceFileW keeps
// what the old file had beside its bytes: its access rights, attributes,
// creation time and other streams. A file system without it, or a new name,
// takes the temporary file by a move that reaches the disk before it returns.
bool PutInPlace(const std::wstring& temp, const std::wstring& target, bool exists,
                DWORD attributes) {
    if (exists) {
        if (ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                         REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                         nullptr)) {
            // Not every implementation carries the attributes over (wine's
            // does not); the file keeps them all the same.
            constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
            if (attributes & kept) SetFileAttributesW(target.c_str(), attributes & kept);
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_INVALID_FUNCTION && error != ERROR_NOT_SUPPORTED &&
            error != ERROR_INVALID_PARAMETER)
            return false; // locked, refused, or gone: the old file is as it was
    }
    return MoveFileExW(temp.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

} // namespace

bool SaveFile(const std::string& path, std::string_view bytes) {
    const std::wstring target = Resolve(windows::FullWidePath(path));
    // A name in the device space (\\.\pipe\..., \\.\COM1) is no file; not
    // even a look at it, which would take a pipe's one connection.
    if (target.rfind(L"\\\\.\\", 0) == 0) return WriteSpecial(target, bytes);
    bool exists = false;
    DWORD links = 1, attributes = 0;
    {
        // Opened for no access at all: only what the name is, and not refused
        // by a program that holds the file open.
        THandle probe(CreateFileW(target.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (probe.Valid()) {
            exists = true;
            if (GetFileType(probe.Handle) != FILE_TYPE_DISK) {
                probe.Close();
                return WriteSpecial(target, bytes);
            }
            BY_HANDLE_FILE_INFORMATION info;
            if (!GetFileInformationByHandle(probe.Handle, &info)) return false;
            if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
            // The read-only attribute is the user's word that the file must
            // not change; it is kept, and the save refused.
            if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) return false;
            links = info.nNumberOfLinks;
            attributes = info.dwFileAttributes;
        } else {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND) return false; // a missing folder, a forbidden name
        }
    }
    if (links > 1) return UpdateInPlace(target, bytes);
    if (exists && HeldByAnother(target)) return false;

    std::wstring temp;
    THandle file = CreateTemporary(target, temp);
    if (!file.Valid()) {
        // The folder takes no new file; the file itself may still be writable.
        return exists && UpdateInPlace(target, bytes);
    }
    bool ok = WriteAll(file.Handle, bytes) && FlushFileBuffers(file.Handle);
    ok = file.Close() && ok;
    if (ok && PutInPlace(temp, target, exists, attributes)) return true;
    DeleteFileW(temp.c_str());
    return false;
}

} // namespace habitual
