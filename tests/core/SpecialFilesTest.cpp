// What is more than a plain file: links, FIFOs, pipes and files that report no size.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "Errors.h"
#include "HexUnit.h"
#include "LineList.h"
#include "TempDir.h"

TEST(SpecialFiles, ASaveThroughALinkThatLeadsNowhereIsRefused) {
    TempDir dir;
    const auto link = dir.Root() / "dangling.vts";
    std::filesystem::create_symlink("nowhere.vts", link);
    LineList list;
    EXPECT_THROW(list.SaveFile(link), EFileCreateError);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
}

TEST(SpecialFiles, PipesFifosAndSizelessFilesAreReadToTheirEnd) {
    TempDir dir;
    // More than one piece of the loader's buffer, through a pipe that reports no size.
    const std::string bytes(3 << 20, '\xA5');
    std::FILE* pipe = ::popen(("cat " + dir.Write("big.bin", bytes)).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    HexUnit::LoadImage("/dev/fd/" + std::to_string(::fileno(pipe)));
    ::pclose(pipe);
    EXPECT_TRUE(std::string(HexUnit::ImageBytes.begin(), HexUnit::ImageBytes.end()) == bytes);

    const std::string fifo = dir.Path("fifo");  // without a writer: empty, at once
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    ::alarm(5);  // a load that waited for a writer would end the test program here
    HexUnit::LoadImage(fifo);
    LineList script;
    script.LoadFile(fifo);
    ::alarm(0);
    EXPECT_EQ(HexUnit::ImageSize, 0u);
    EXPECT_EQ(script.Count(), 0);
}

// The desktop program tells its progress window between reads: a writer that keeps a FIFO open
// and writes nothing must not hold either loader inside a read, and stopping leaves nothing.
TEST(SpecialFiles, ReadsWithProgressGoOnTellingItWhileAFifoWriterWritesNothing) {
    TempDir dir;
    const std::string fifo = dir.Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const int writer = ::open(fifo.c_str(), O_RDWR);  // a writer whose open does not wait
    HexUnit::LoadImage(dir.Write("before.bin", "\x01"));
    LineList script;
    struct Stopped {};
    uint64_t told = 0, lastDone = 0;
    const FileAccess::ReadProgress stopOnTheThirdWait = [&](uint64_t done, auto) {
        lastDone = done;
        if (++told % 4 == 0) throw Stopped();
    };
    ::alarm(5);  // a read that waited for the writer would end the test program here
    ASSERT_EQ(::write(writer, "AB", 2), 2);
    EXPECT_THROW(HexUnit::LoadImage(fifo, stopOnTheThirdWait), Stopped);
    EXPECT_EQ(lastDone, 2u);
    ASSERT_EQ(::write(writer, "CD", 2), 2);
    EXPECT_THROW(script.LoadFile(fifo, stopOnTheThirdWait), Stopped);
    EXPECT_EQ(lastDone, 2u);
    ::alarm(0);
    ::close(writer);
    EXPECT_EQ(HexUnit::ImageBytes, std::vector<uint8_t>{1});
}
