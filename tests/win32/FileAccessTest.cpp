// What the Windows file calls add to the loader: sharing with other programs.
#include <gtest/gtest.h>

#include "Errors.h"
#include "HexUnit.h"
#include "TempDir.h"

namespace {

// Called through this name: windows.h, included next, defines LoadImage as a macro.
void Load(const std::filesystem::path& path) {
    HexUnit::LoadImage(path);
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

}  // namespace
