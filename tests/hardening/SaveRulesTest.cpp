// The rules by which the window and the batch tool save results files, one
// case per rule: what happens to the file the user named, its other names,
// its permissions, and files that are no regular files. Where a rule has no
// counterpart on one system, its case says so when it is skipped.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/SaveFile.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"

using namespace habitual;
using namespace habitual::test;

namespace {

const std::string Old = "results of an earlier run\r\n";
const std::string New = "new results\r\n";

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream out(FsPath(path), std::ios::binary);
    ASSERT_TRUE(out) << path;
    out << bytes;
}

#ifdef _WIN32
DWORD AttributesOf(const std::string& path) {
    return GetFileAttributesW(WideText(path).c_str());
}

DWORD LinkCount(const std::string& path) {
    HANDLE file = CreateFileW(WideText(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return info.nNumberOfLinks;
}
#else
struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st;
}
#endif

} // namespace

// What the file had beside its bytes stays: its permissions here, its
// attributes and access rights on Windows.
TEST(SaveRules, ARegularFileIsReplacedAndKeepsItsPermissions) {
    TempFolder folder;
    const std::string target = folder.Path + "/results.txt";
    Put(target, Old);
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesW(WideText(target).c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SaveFile(target, New));
    EXPECT_EQ(TempFile::ReadFile(target), New);
    EXPECT_TRUE(AttributesOf(target) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"results.txt"}) << "temporary file left";
    SetFileAttributesW(WideText(target).c_str(), FILE_ATTRIBUTE_NORMAL);
#else
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(SaveFile(target, New));
    EXPECT_EQ(TempFile::ReadFile(target), New);
    EXPECT_EQ(StatOf(target).st_mode & 07777, 0640u);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"results.txt"}) << "temporary file left";

    // A new file gets the usual permissions.
    const mode_t mask = umask(022);
    ASSERT_TRUE(SaveFile(folder.Path + "/new.txt", New));
    umask(mask);
    EXPECT_EQ(StatOf(folder.Path + "/new.txt").st_mode & 07777, 0644u);
#endif
}

TEST(SaveRules, LinksAreFollowedSoThatTheNamedFileIsUpdated) {
    TempFolder folder;
    const std::string file = folder.Path + "/results.txt";
    const std::string symlinked = folder.Path + "/latest.txt";
    const std::string hardLinked = folder.Path + "/copy.txt";
    Put(file, Old);
#ifdef _WIN32
    ASSERT_TRUE(CreateHardLinkW(WideText(hardLinked).c_str(), WideText(file).c_str(), nullptr));
    const auto isLink = [&] {
        const DWORD attributes = AttributesOf(symlinked);
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    };
    // Ordinary users may make symbolic links only in developer mode, and
    // wine only pretends to make them.
    CreateSymbolicLinkW(WideText(symlinked).c_str(), L"results.txt",
                        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    const bool symlinks = isLink();
    const auto linkCount = [&] { return LinkCount(file); };
#else
    ASSERT_EQ(symlink("results.txt", symlinked.c_str()), 0);
    ASSERT_EQ(link(file.c_str(), hardLinked.c_str()), 0);
    const bool symlinks = true;
    const auto isLink = [&] {
        struct stat st {};
        return lstat(symlinked.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    };
    const auto linkCount = [&] { return StatOf(file).st_nlink; };
#endif
    if (symlinks) {
        ASSERT_TRUE(SaveFile(symlinked, New));
        EXPECT_TRUE(isLink()) << "the link was replaced";
    } else {
        ASSERT_TRUE(SaveFile(file, New));
    }
    EXPECT_EQ(TempFile::ReadFile(file), New);
    EXPECT_EQ(TempFile::ReadFile(hardLinked), New) << "the other name was split off";

    // Shorter bytes through the other name: the file is cut to them.
    ASSERT_TRUE(SaveFile(hardLinked, "x"));
    EXPECT_EQ(TempFile::ReadFile(file), "x");
    EXPECT_EQ(linkCount(), 2u);
    if (!symlinks) GTEST_SKIP() << "symbolic links cannot be made here; hard links were checked";
}

TEST(SaveRules, APipeIsWrittenToAndStaysAPipe) {
    std::string received;
#ifdef _WIN32
    const std::string name = "\\\\.\\pipe\\habitual-save-" + std::to_string(GetCurrentProcessId());
    HANDLE pipe = CreateNamedPipeW(WideText(name).c_str(), PIPE_ACCESS_INBOUND,
                                   PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 4096, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    std::thread reader([&] {
        ConnectNamedPipe(pipe, nullptr);
        char buffer[256];
        DWORD n = 0;
        while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0)
            received.append(buffer, n);
    });
    const bool saved = SaveFile(name, New);
    reader.join();
    CloseHandle(pipe);
#else
    TempFolder folder;
    const std::string name = folder.Path + "/pipe";
    ASSERT_EQ(mkfifo(name.c_str(), 0600), 0);
    std::thread reader([&] {
        const int fd = open(name.c_str(), O_RDONLY);
        char buffer[256];
        ssize_t n;
        while ((n = read(fd, buffer, sizeof buffer)) > 0)
            received.append(buffer, static_cast<std::size_t>(n));
        close(fd);
    });
    const bool saved = SaveFile(name, New);
    reader.join();
    EXPECT_TRUE(S_ISFIFO(StatOf(name).st_mode));
#endif
    EXPECT_TRUE(saved);
    EXPECT_EQ(received, New);
}

TEST(SaveRules, ADeviceIsWrittenToAndStaysADevice) {
#ifdef _WIN32
    // NUL is the device whatever folder it is named in.
    TempFolder folder;
    ASSERT_TRUE(SaveFile("NUL", New));
    ASSERT_TRUE(SaveFile(folder.Path + "\\nul", New));
    EXPECT_TRUE(folder.Entries().empty());
#else
    ASSERT_TRUE(SaveFile("/dev/null", New));
    EXPECT_TRUE(S_ISCHR(StatOf("/dev/null").st_mode));
#endif
}

// A name near the length limit leaves no room for a longer temporary name
// (and on Windows makes a path longer than the old limit of 260).
TEST(SaveRules, ANameNearTheLengthLimit) {
    TempFolder folder;
    const std::string target = folder.Path + "/" + std::string(250, 'r') + ".txt";
    ASSERT_TRUE(SaveFile(target, New));
    EXPECT_EQ(TempFile::ReadFile(target), New);
    ASSERT_TRUE(SaveFile(target, Old));
    EXPECT_EQ(TempFile::ReadFile(target), Old);
}

// Names relative to the current folder, and on Windows to the current
// drive's root.
TEST(SaveRules, RelativeNamesAreReplacedLikeAnyOther) {
    TempFolder folder;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(FsPath(folder.Path));
    std::vector<std::string> names = {"results.txt", "./results.txt"};
#ifdef _WIN32
    // The folder's path from the drive's root: "\\Users\\...\\rooted.txt".
    names.push_back(folder.Path.substr(2) + "\\rooted.txt");
#endif
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(SaveFile(name, Old));
        ASSERT_TRUE(SaveFile(name, New)) << "the existing file was not replaced";
        EXPECT_EQ(TempFile::ReadFile(name), New);
    }
    std::filesystem::current_path(before);
}

TEST(SaveRules, AFolderIsRefused) {
    TempFolder folder;
    EXPECT_FALSE(SaveFile(folder.Path, New));
    EXPECT_TRUE(std::filesystem::is_directory(FsPath(folder.Path)));
}

// Japanese names, which the ANSI code page of a Western Windows cannot hold.
TEST(SaveRules, NamesOutsideTheAnsiCodePage) {
    TempFolder folder;
    const std::string target = folder.Path + "/栄養計算の結果 ①.txt";
    ASSERT_TRUE(SaveFile(target, New));
    ASSERT_TRUE(SaveFile(target, Old));
    EXPECT_EQ(TempFile::ReadFile(target), Old);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"栄養計算の結果 ①.txt"});
}

// A folder that takes no new files holding a file that may be written: the
// file is saved in place. Root may write anywhere, so the tool then runs as
// an ordinary user.
TEST(SaveRules, AWritableFileInAFolderThatTakesNoNewFilesIsSavedInPlace) {
#ifdef _WIN32
    GTEST_SKIP() << "a folder that refuses new files needs an access rule that this test does not "
                    "set up on Windows";
#else
    TempFolder folder;
    const std::string target = folder.Path + "/results.txt";
    Put(target, Old);
    TempFile survey("id,v\n1,5\n1,7\n2,6\n2,9\n");
    ASSERT_EQ(chmod(survey.Path.c_str(), 0644), 0);
    ASSERT_EQ(chmod(target.c_str(), 0666), 0);
    ASSERT_EQ(chmod(folder.Path.c_str(), 0555), 0);
    std::string command = Quoted(HABITUAL_CLI) + " " + Quoted(survey.Path) +
                          " --id 1 --nutrient 2 -o " + Quoted(target);
    if (geteuid() == 0) {
        if (RunShell("command -v setpriv").Status != 0) GTEST_SKIP() << "no setpriv";
        command = "setpriv --reuid=65534 --regid=65534 --clear-groups " + command;
    }
    const Outcome o = RunShell(command);
    chmod(folder.Path.c_str(), 0755);
    EXPECT_EQ(o.Status, 0) << o.Err;
    EXPECT_NE(TempFile::ReadFile(target), Old);
    EXPECT_EQ(TempFile::ReadFile(target).rfind("=====", 0), 0u) << "the report's first line";
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"results.txt"});
#endif
}
