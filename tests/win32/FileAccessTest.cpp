// What the Windows file calls add to the loader: sharing with other programs, and pipes whose
// writer stays.
#include <gtest/gtest.h>

#include "Errors.h"
#include "HexUnit.h"
#include "TempDir.h"

namespace {

// Called through this name: windows.h, included next, defines LoadImage as a macro.
void Load(const std::filesystem::path& path, const FileAccess::ReadProgress& progress = {}) {
    HexUnit::LoadImage(path, progress);
}

}  // namespace

#include "Win32.h"

namespace {

// Holds a file open with the given sharing, as another program would.
class HeldOpen {
  public:
    HeldOpen(const std::filesystem::path& path, DWORD access, DWORD share)
        : handle_(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldOpen() { CloseHandle(handle_); }
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

TEST(Win32Files, ReadingSharesWithOtherProgramsThatShare) {
    TempDir folder;
    // Another program that keeps everyone else out: the sharing violation.
    const std::filesystem::path locked = folder.Write("locked.bin", "abc");
    {
        HeldOpen other(locked, GENERIC_READ, 0);
        ASSERT_TRUE(other.Held());
        try {
            Load(locked);
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.Message, "I/O error 32");
        }
    }

    // A file another program is writing still loads.
    const std::filesystem::path busy = folder.Write("busy.bin", std::string("\0\r\n\xFF", 4));
    HeldOpen writer(busy, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(writer.Held());
    Load(busy);
    EXPECT_EQ(HexUnit::ImageBytes, (std::vector<uint8_t>{0, 13, 10, 255}));
}

// The desktop program tells its progress window between reads: a pipe whose writer stays and
// writes nothing must not hold the loader inside a read, and stopping leaves the image as it was.
TEST(Win32Files, ALoadWithProgressGoesOnTellingItWhileAPipeWriterWritesNothing) {
    TempDir folder;
    Load(folder.Write("before.bin", "\x01"));
    const std::wstring name =
        L"\\\\.\\pipe\\vantrel-test-" + std::to_wstring(GetCurrentProcessId());
    HANDLE writer = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 4096,
                                     4096, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    struct Stopped {};
    uint64_t told = 0, lastDone = 0;
    const auto stopOnTheThirdWait = [&](uint64_t done, std::optional<uint64_t>) {
        if (told == 0) {  // the reader is connected now: the writer writes, then waits
            DWORD written = 0;
            WriteFile(writer, "AB", 2, &written, nullptr);
        }
        lastDone = done;
        if (++told == 4) throw Stopped();
    };
    EXPECT_THROW(Load(name, stopOnTheThirdWait), Stopped);
    EXPECT_EQ(lastDone, 2u);
    EXPECT_EQ(HexUnit::ImageBytes, std::vector<uint8_t>{1});
    CloseHandle(writer);
}

}  // namespace
