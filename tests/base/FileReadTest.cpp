// Reading a whole file: only regular files within the size limit, every
// refusal naming the file and the reason.
#include "base/FileRead.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

class FileReadTest : public ::testing::Test {
protected:
    FileReadTest() { std::filesystem::create_directories(dir); }
    ~FileReadTest() override { std::filesystem::remove_all(dir); }

    std::string write(const std::string& name, const std::string& content) {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    // Reads path with the limit; returns the error ("" when read).
    std::string refusal(const std::string& path, std::size_t limit = 1024) {
        bytes = {1, 2, 3};  // whatever was there before is never left behind
        std::string error = "untouched";
        const bool read = readWholeFile(path, limit, &bytes, &error);
        EXPECT_EQ(read, error == "untouched") << path;
        if (read) return "";
        EXPECT_TRUE(bytes.empty()) << path;
        return error;
    }

    const std::string dir = "/tmp/glowmotion-fileread-" + std::to_string(getpid()) + "-" +
                            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::vector<uint8_t> bytes;
};

TEST_F(FileReadTest, ReadsRegularFilesUpToTheLimit) {
    const std::string text = write("module.it", std::string("IMPM\0\x01\xff", 7));
    EXPECT_EQ(refusal(text, 7), "");
    EXPECT_EQ(bytes, (std::vector<uint8_t>{'I', 'M', 'P', 'M', 0, 1, 0xff}));
    EXPECT_EQ(refusal(text, 6), text + ": is larger than 6 bytes");
    EXPECT_EQ(refusal(write("empty", ""), 0), "");
    EXPECT_TRUE(bytes.empty());
    // Through a symbolic link, the file it names.
    std::filesystem::create_symlink(text, dir + "/link.it");
    EXPECT_EQ(refusal(dir + "/link.it"), "");
    EXPECT_EQ(bytes.size(), 7u);
}

TEST_F(FileReadTest, LargeFilesAreRefusedBeforeAnyByteIsRead) {
    // Sparse: 64 MiB + 1 on paper, nothing on disk.
    const std::string huge = write("huge.it", "");
    std::filesystem::resize_file(huge, kMaxModuleBytes + 1);
    EXPECT_EQ(refusal(huge, kMaxModuleBytes), huge + ": is larger than 67108864 bytes");
}

TEST_F(FileReadTest, WhatIsNotARegularFileIsRefusedAtOnce) {
    EXPECT_EQ(refusal(dir), dir + ": is a folder, not a file");
    EXPECT_EQ(refusal("/dev/zero", kMaxModuleBytes), "/dev/zero: is not a regular file");
    EXPECT_EQ(refusal("/dev/null"), "/dev/null: is not a regular file");
    // A pipe with no writer: an ordinary open would wait for one forever.
    const std::string pipe = dir + "/pipe.it";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(refusal(pipe), pipe + ": is not a regular file");
    std::filesystem::create_symlink("/dev/zero", dir + "/zero.it");
    EXPECT_EQ(refusal(dir + "/zero.it"), dir + "/zero.it: is not a regular file");
}

TEST_F(FileReadTest, FilesThatCannotBeOpenedGiveTheSystemsReason) {
    EXPECT_EQ(refusal(dir + "/missing.it"), dir + "/missing.it: No such file or directory");
    const std::string file = write("file", "x");
    EXPECT_EQ(refusal(file + "/inside.it"), file + "/inside.it: Not a directory");
    EXPECT_EQ(refusal(""), ": No such file or directory");

    // Mode 000 stops everyone but the superuser, who reads it like any file.
    const std::string locked = write("locked.it", "secret");
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    EXPECT_EQ(refusal(locked), geteuid() == 0 ? "" : locked + ": Permission denied");

    // The reason is optional.
    EXPECT_FALSE(readWholeFile(dir, 10, &bytes, nullptr));
}

}  // namespace
