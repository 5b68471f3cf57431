// The headless driver, as the benchmarks and acceptance checks use it.

#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct TResult {
    std::string Out;
    int Status;
};

TResult Drive(const std::string& Args) {
    const std::string command = std::string(RAVDAN_DRIVE) + " " + Args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) {
        out.append(buf, n);
    }
    const int status = ::pclose(pipe);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(Driver, PrintsEveryViewCallAndQuietLeavesOutPositions) {
    TTempDir dir;
    WriteFile(dir / "r.csv", DataFile(2500));
    const std::string path = (dir / "r.csv").string();
    EXPECT_EQ(Drive("encrypt '" + path + "' pw").Out,
              "ShowProgress\nSetProgressMax 2500\nSetProgressPosition 0\n"
              "SetProgressPosition 1000\nSetProgressPosition 2000\n"
              "ShowMessageBox Файл зашифрован.\nHideProgress\n");
    const TResult quiet = Drive("decrypt --quiet '" + (dir / "rcrypt.csv").string() + "' pw");
    EXPECT_EQ(
        quiet.Out,
        "ShowProgress\nSetProgressMax 2500\nShowMessageBox Файл расшифрован.\nHideProgress\n");
    EXPECT_EQ(quiet.Status, 0);
    EXPECT_EQ(ReadFile(dir / "runcrypt.csv"), ReadFile(dir / "r.csv"));
}

TEST(Driver, AnErrorIsOneLineAndStatusOne) {
    TTempDir dir;
    const TResult r = Drive("encrypt '" + (dir / "none.csv").string() + "' pw");
    EXPECT_EQ(r.Out, "error EInOutError: The specified file was not found\n");
    EXPECT_EQ(r.Status, 1);
}

TEST(Driver, RefusesWrongArguments) {
    EXPECT_EQ(Drive("").Status, 2);
    EXPECT_EQ(Drive("shred a b").Status, 2);
    EXPECT_EQ(Drive("encrypt onlypath").Status, 2);
}

}  // namespace
