// Loading what is not a regular file: pipes, FIFOs and files that report no size.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "Child.h"
#include "Errors.h"
#include "HexUnit.h"
#include "LineList.h"
#include "TempDir.h"

namespace {

TEST(SpecialFiles, PipesAndSizelessFilesAreReadToTheirEnd) {
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
}

TEST(SpecialFiles, AFifoWithoutAWriterLoadsAsEmptyAtOnce) {
    TempDir dir;
    const std::string fifo = dir.Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    int status = RunInChild(
        [&] {
            HexUnit::LoadImage(dir.Write("previous.bin", "previous"));
            HexUnit::LoadImage(fifo);
            LineList script;
            script.LoadFile(fifo);
            return HexUnit::ImageSize == 0 && script.Count() == 0 ? 0 : 1;
        },
        5);
    EXPECT_EQ(status, 0);
}

}  // namespace
