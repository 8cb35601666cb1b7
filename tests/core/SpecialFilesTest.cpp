// What is more than a plain file: special mode bits, links, FIFOs, pipes and files that report
// no size.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

#include "Child.h"
#include "Errors.h"
#include "HexUnit.h"
#include "LineList.h"
#include "TempDir.h"

namespace {

TEST(SpecialFiles, SavesKeepSpecialModeBitsAndRefuseLinksToNowhereAndFifos) {
    TempDir dir;
    LineList list;
    list.SetText("new text\r\n");
    // Group-executable: the case in which a change of owner clears setgid.
    for (mode_t mode : {02755, 04755, 01644}) {
        const std::string path = dir.Write("special.vts", "old text");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        list.SaveFile(path);
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode) << std::oct << mode;
    }
    const auto dangling = dir.Root() / "dangling.vts";
    std::filesystem::create_symlink("nowhere.vts", dangling);
    EXPECT_THROW(list.SaveFile(dangling), EFileCreateError);
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));

    const std::string fifo = dir.Path("fifo.vts");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    int status = RunInChild(
        [&] {  // at once, not waiting for a reader
            try {
                list.SaveFile(fifo);
            } catch (const EFileCreateError&) {
                return 0;
            }
            return 1;
        },
        5);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST(SpecialFiles, PipesFifosAndSizelessFilesAreReadToTheirEnd) {
    // In a child: a loader that stopped early would leave the writer waiting for good.
    int status = RunInChild([] {
        int ends[2];
        if (::pipe(ends) != 0) return 2;
        // More than a pipe holds and more than one piece of the loader's buffer, so the load
        // must keep reading while the writer goes on.
        const std::string bytes(3 << 20, '\xA5');
        std::thread writer([&] {
            for (size_t done = 0; done < bytes.size();) {
                ssize_t n = ::write(ends[1], bytes.data() + done, bytes.size() - done);
                if (n <= 0) break;
                done += static_cast<size_t>(n);
            }
            ::close(ends[1]);
        });
        HexUnit::LoadImage("/dev/fd/" + std::to_string(ends[0]));
        ::close(ends[0]);
        writer.join();
        return std::string(HexUnit::ImageBytes.begin(), HexUnit::ImageBytes.end()) == bytes ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    HexUnit::LoadImage("/proc/self/status");  // reports a size of 0
    ASSERT_GE(HexUnit::ImageSize, 5u);
    EXPECT_EQ(std::string(HexUnit::ImageBytes.begin(), HexUnit::ImageBytes.begin() + 5), "Name:");

    TempDir dir;  // a FIFO without a writer loads as empty, at once
    const std::string fifo = dir.Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    status = RunInChild(
        [&] {
            HexUnit::LoadImage(fifo);
            LineList script;
            script.LoadFile(fifo);
            return HexUnit::ImageSize == 0 && script.Count() == 0 ? 0 : 1;
        },
        5);
    EXPECT_EQ(status, 0);
}

}  // namespace
