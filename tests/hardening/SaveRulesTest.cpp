// The rules by which the window and the batch tool save results files, one
// case per rule: what happens to the file the user named, its other names,
// its permissions, and files that are no regular files.
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/SaveFile.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"

using namespace habitual;
using namespace habitual::test;

namespace {

const std::string Old = "results of an earlier run\r\n";
const std::string New = "new results\r\n";

void Put(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st;
}

} // namespace

TEST(SaveRules, ARegularFileIsReplacedAndKeepsItsPermissions) {
    TempFolder folder;
    const std::string target = folder.Path + "/results.txt";
    Put(target, Old);
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
}

TEST(SaveRules, LinksAreFollowedSoThatTheNamedFileIsUpdated) {
    TempFolder folder;
    const std::string file = folder.Path + "/results.txt";
    const std::string symlinked = folder.Path + "/latest.txt";
    const std::string hardLinked = folder.Path + "/copy.txt";
    Put(file, Old);
    ASSERT_EQ(symlink("results.txt", symlinked.c_str()), 0);
    ASSERT_EQ(link(file.c_str(), hardLinked.c_str()), 0);
    const ino_t inode = StatOf(file).st_ino;

    ASSERT_TRUE(SaveFile(symlinked, New));
    struct stat st {};
    ASSERT_EQ(lstat(symlinked.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link was replaced";
    EXPECT_EQ(TempFile::ReadFile(file), New);
    EXPECT_EQ(TempFile::ReadFile(hardLinked), New) << "the other name was split off";
    EXPECT_EQ(StatOf(file).st_ino, inode);

    // Shorter bytes through the other name: the file is cut to them.
    ASSERT_TRUE(SaveFile(hardLinked, "x"));
    EXPECT_EQ(TempFile::ReadFile(file), "x");
    EXPECT_EQ(StatOf(file).st_nlink, 2u);
}

TEST(SaveRules, APipeIsWrittenToAndStaysAPipe) {
    TempFolder folder;
    const std::string fifo = folder.Path + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] {
        const int fd = open(fifo.c_str(), O_RDONLY);
        char buffer[256];
        ssize_t n;
        while ((n = read(fd, buffer, sizeof buffer)) > 0)
            received.append(buffer, static_cast<std::size_t>(n));
        close(fd);
    });
    const bool saved = SaveFile(fifo, New);
    reader.join();
    EXPECT_TRUE(saved);
    EXPECT_EQ(received, New);
    EXPECT_TRUE(S_ISFIFO(StatOf(fifo).st_mode));
}

TEST(SaveRules, ADeviceIsWrittenToAndStaysADevice) {
    ASSERT_TRUE(SaveFile("/dev/null", New));
    EXPECT_TRUE(S_ISCHR(StatOf("/dev/null").st_mode));
}

// A name near the length limit leaves no room for a longer temporary name.
TEST(SaveRules, ANameNearTheLengthLimit) {
    TempFolder folder;
    const std::string target = folder.Path + "/" + std::string(250, 'r') + ".txt";
    ASSERT_TRUE(SaveFile(target, New));
    EXPECT_EQ(TempFile::ReadFile(target), New);
    ASSERT_TRUE(SaveFile(target, Old));
    EXPECT_EQ(TempFile::ReadFile(target), Old);
}

TEST(SaveRules, AFolderIsRefused) {
    TempFolder folder;
    EXPECT_FALSE(SaveFile(folder.Path, New));
    EXPECT_TRUE(S_ISDIR(StatOf(folder.Path).st_mode));
}

// A folder that takes no new files holding a file that may be written: the
// file is saved in place. Root may write anywhere, so the tool then runs as
// an ordinary user.
TEST(SaveRules, AWritableFileInAFolderThatTakesNoNewFilesIsSavedInPlace) {
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
}
