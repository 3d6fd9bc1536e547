// A file written whole or not at all: nothing to see beside the target while it is written, the target as it was
// when the write is abandoned, the modes the user's other programs would give; what ended runs left is removed.
#include "platform/files/ReplacingWrite.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class Replacing : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("vantorel-files-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        mask = umask(027);
    }
    void TearDown() override {
        umask(mask);
        fs::remove_all(folder);
    }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static unsigned Mode(const fs::path& path) {
        struct stat info {};
        return stat(path.c_str(), &info) == 0 ? static_cast<unsigned>(info.st_mode & 07777) : 0u;
    }
    static void Write(files::ReplacingWrite& file, const std::string& text) {
        ASSERT_EQ(::write(file.Descriptor(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    fs::path folder;
    mode_t mask = 0;
};

TEST_F(Replacing, NothingIsSeenUntilTheFileIsWholeAndANewOneTakesTheUmask) {
    fs::path target = folder / "report.txt";
    std::string error;
    {
        files::ReplacingWrite file;
        ASSERT_TRUE(file.Open(target.string(), error)) << error;
        Write(file, "first");
        EXPECT_TRUE(Names().empty()) << "a file shows before it is whole";
        // A library that opens files by name reaches the same file.
        std::ofstream(file.Path(), std::ios::app) << " and more";
        ASSERT_TRUE(file.Commit(error)) << error;
    }
    EXPECT_EQ(Names(), std::set<std::string>{"report.txt"});
    EXPECT_EQ(Read(target), "first and more");
    EXPECT_EQ(Mode(target), 0640u);
}

TEST_F(Replacing, AnAbandonedWriteLeavesTheTargetAndAReplacementKeepsItsMode) {
    fs::path target = folder / "plan.dxf";
    std::ofstream(target) << "as it was";
    fs::permissions(target, static_cast<fs::perms>(0604));
    std::string error;
    {
        files::ReplacingWrite file;
        ASSERT_TRUE(file.Open(target.string(), error));
        Write(file, "half of it");
    }
    EXPECT_EQ(Read(target), "as it was");
    EXPECT_EQ(Names(), std::set<std::string>{"plan.dxf"});
    files::ReplacingWrite file;
    ASSERT_TRUE(file.Open(target.string(), error));
    Write(file, "all of it");
    ASSERT_TRUE(file.Commit(error));
    EXPECT_EQ(Read(target), "all of it");
    EXPECT_EQ(Mode(target), 0604u);
    files::ReplacingWrite nowhere;
    EXPECT_FALSE(nowhere.Open((folder / "missing" / "x.txt").string(), error));
    EXPECT_EQ(error, "cannot write beside " + (folder / "missing" / "x.txt").string() + ": No such file or directory");
}

TEST_F(Replacing, WhatEndedRunsLeftIsRemovedWhatLiveOnesHaveIsNot) {
    // Process numbers above the kernel's limit belong to no process.
    std::ofstream(folder / "plan.dxf.~vantorel-99999999-1") << "left by a run that was killed";
    fs::create_directories(folder / "vantorel-drawings-99999999-abc");
    std::ofstream(folder / "vantorel-drawings-99999999-abc" / "report.txt") << "x";
    std::string mine = "plan.dxf.~vantorel-" + std::to_string(getpid()) + "-1";
    std::ofstream(folder / mine) << "being written";
    std::ofstream(folder / "plan.dxf.~vantorel-notanumber") << "not ours to judge";
    files::RemoveLeftovers(folder.string(), "plan.dxf.~vantorel-");
    files::RemoveLeftovers(folder.string(), "vantorel-drawings-");
    EXPECT_EQ(Names(), (std::set<std::string>{mine, "plan.dxf.~vantorel-notanumber"}));
}

TEST_F(Replacing, APrivateTemporaryHasNoNameAndOnlyItsUserReadsIt) {
    std::string error;
    std::string path;
    {
        files::PrivateTemporary temporary;
        ASSERT_TRUE(temporary.Open("vantorel-test-", ".dxf", error)) << error;
        path = temporary.Path();
        std::ofstream(path) << "converted";
        EXPECT_EQ(Read(path), "converted");
        struct stat info {};
        ASSERT_EQ(fstat(temporary.Descriptor(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        EXPECT_EQ(info.st_nlink, 0u) << "it has a name";
    }
    EXPECT_FALSE(fs::exists(path));
}

} // namespace
