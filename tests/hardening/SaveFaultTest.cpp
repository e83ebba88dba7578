// Saving the results with -o when the disk fails: the tool exits with 1 and a
// message, and a file that was there before keeps its bytes.
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "tests/support/CliRunner.h"
#include "tests/support/HeldFile.h"
#include "tests/support/TempFolder.h"

using namespace habitual::test;

namespace {

// Enough persons that the data output (one line per person) takes several
// pages of a file.
std::string LargeSurvey() {
    std::string rows = "id,v\r\n";
    for (int p = 0; p < 3000; ++p)
        for (int day = 0; day < 2; ++day)
            rows +=
                std::to_string(p) + "," + std::to_string(1000 + (p * 37) % 900 + day * 50) + "\r\n";
    return rows;
}

std::vector<std::string> DataTo(const std::string& survey, const std::string& target) {
    return {survey, "--id", "1", "--nutrient", "2", "--output", "data", "-o", target};
}

const std::string SaveFailed = "に保存できませんでした";
const std::string OldResults = "results of an earlier run\r\n";

#ifndef _WIN32

// Runs script with sh in a private mount namespace, so that its mounts
// vanish with it; the script gets the arguments as $1, $2, ...
Outcome InMountNamespace(const std::string& script, const std::vector<std::string>& args) {
    std::string command = geteuid() == 0 ? "unshare -m" : "unshare -Urm";
    command += " sh -c ";
    command += Quoted(script);
    command += " sh";
    for (const std::string& a : args) {
        command += ' ';
        command += Quoted(a);
    }
    return RunShell(command);
}

bool CanMountPrivately() {
    return InMountNamespace("mount -t tmpfs habitual-probe \"$1\"", {"/mnt"}).Status == 0;
}

#endif

} // namespace

TEST(SaveFault, TargetsThatCannotBeWritten) {
    TempFile survey(LargeSurvey());
    TempFolder folder;
    std::ofstream(FsPath(folder.Path + "/kept.txt"), std::ios::binary) << "x";
    struct Case {
        const char* Name;
        std::string Target;
    } cases[] = {
        {"a folder", folder.Path},
        {"a folder that does not exist", folder.Path + "/missing/results.txt"},
#ifdef _WIN32
        {"a name with a character Windows forbids", folder.Path + "\\a<b.txt"},
        {"a name with a bar", folder.Path + "\\a|b.txt"},
#else
        {"a full device", "/dev/full"},
        {"a file system that takes no new files", "/proc/habitual-results.txt"},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const Outcome o = RunTool(DataTo(survey.Path, c.Target));
        EXPECT_EQ(o.Status, 1);
        EXPECT_NE(o.Err.find("計算結果をファイル[" + c.Target + "]" + SaveFailed),
                  std::string::npos)
            << o.Err;
        EXPECT_TRUE(o.Out.empty());
    }
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"kept.txt"});
}

TEST(SaveFault, StandardOutputOnAFullDevice) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no device that is always full";
#endif
    TempFile survey(LargeSurvey());
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    std::FILE* err = std::tmpfile();
    const int status = habitual::RunCli({survey.Path, "--id", "1", "--nutrient", "2"}, full, err);
    const std::string message = ReadStream(err);
    std::fclose(full);
    std::fclose(err);
    EXPECT_EQ(status, 1);
    EXPECT_NE(message.find("計算結果を標準出力に書き出せませんでした"), std::string::npos)
        << message;
}

// The results are written completely, then putting them in the old file's
// place is refused: the old file stays. Here an immutable file refuses the
// rename even to root; on Windows a read-only file and a file another
// program holds open without sharing refuse the replacement.
TEST(SaveFault, RenameRefusedAfterTheResultsWereWritten) {
    TempFile survey(LargeSurvey());
    const char* refusals[] = {
#ifdef _WIN32
        "read-only",
        "held open",
#else
        "immutable",
#endif
    };
    for (const std::string refusal : refusals) {
        SCOPED_TRACE(refusal);
        TempFolder folder;
        const std::string target = folder.Path + "/results.txt";
        std::ofstream(FsPath(target), std::ios::binary) << OldResults;
#ifdef _WIN32
        const std::wstring wide = WideText(target);
        if (refusal == "read-only") {
            ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        auto held = std::make_unique<HeldFile>(refusal == "held open" ? target : std::string());
        const Outcome o = RunTool(DataTo(survey.Path, target));
        held.reset();
        SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
#else
        if (RunShell("chattr +i " + Quoted(target)).Status != 0)
            GTEST_SKIP() << "the file system or the user cannot make a file immutable";
        const Outcome o = RunTool(DataTo(survey.Path, target));
        RunShell("chattr -i " + Quoted(target));
#endif
        EXPECT_EQ(o.Status, 1);
        EXPECT_NE(o.Err.find(SaveFailed), std::string::npos) << o.Err;
        EXPECT_EQ(TempFile::ReadFile(target), OldResults);
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"results.txt"})
            << "temporary file left";
    }
}

// A disk that fills up while the results are written, and a folder on a
// read-only file system: each in a private mount namespace, where the tool
// is run as a program and the file is compared before the mount vanishes.
TEST(SaveFault, FullDiskAndReadOnlyFolder) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no private mounts of a small or read-only file system";
#else
    if (!CanMountPrivately()) GTEST_SKIP() << "no private mount namespace can be made here";
    TempFile survey(LargeSurvey());
    TempFile old(OldResults, ".txt");
    TempFolder folder;
    // $1 folder, $2 old file, $3 tool, $4 survey; prints the tool's status,
    // the folder's entries and whether the old file is unchanged.
    const std::string check =
        "cp \"$2\" \"$1/results.txt\" && MOUNT_RO"
        "\"$3\" \"$4\" --id 1 --nutrient 2 --output data -o \"$1/results.txt\"; "
        "echo \"status $?\"; ls -A \"$1\"; cmp -s \"$2\" \"$1/results.txt\" && echo unchanged";
    struct Case {
        const char* Name;
        std::string Script;
        std::string Before; // what is done before the run
        std::string Entries;
    } cases[] = {
        {"disk full", "mount -t tmpfs -o size=8k habitual-full \"$1\" && " + check, "",
         "results.txt\n"},
        // A file with a second name is updated in place: the room for the
        // new bytes is not there, so nothing is written.
        {"disk full, two names", "mount -t tmpfs -o size=8k habitual-full \"$1\" && " + check,
         "ln \"$1/results.txt\" \"$1/other.txt\" && ", "other.txt\nresults.txt\n"},
        {"read-only folder", "mount -t tmpfs habitual-ro \"$1\" && " + check,
         "mount -o remount,ro \"$1\" && ", "results.txt\n"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Script.replace(c.Script.find("MOUNT_RO"), 8, c.Before);
        const Outcome o =
            InMountNamespace(c.Script, {folder.Path, old.Path, HABITUAL_CLI, survey.Path});
        EXPECT_EQ(o.Out, "status 1\n" + c.Entries + "unchanged\n") << o.Err;
        EXPECT_NE(o.Err.find(SaveFailed), std::string::npos) << o.Err;
    }
#endif
}
