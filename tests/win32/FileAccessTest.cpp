// What the Windows file calls add to the loader and the line lists: sharing with other programs,
// file attributes, and the system's error texts.
#include <gtest/gtest.h>

#include <filesystem>

#include "Cp1251.h"
#include "Errors.h"
#include "FileAccess.h"
#include "HexUnit.h"
#include "LineList.h"
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

// Written through the same wide calls as the program uses.
std::filesystem::path Put(const TempDir& folder, const std::filesystem::path& name,
                          std::string_view bytes) {
    const std::filesystem::path path = folder.Root() / name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

std::string Got(const std::filesystem::path& path) {
    std::string contents, error;
    if (!FileAccess::ReadWhole(path, contents, error)) return "(unreadable) " + error;
    return contents;
}

DWORD Attributes(const std::filesystem::path& path) {
    return GetFileAttributesW(path.c_str());
}

void SetAttributes(const std::filesystem::path& path, DWORD attributes) {
    SetFileAttributesW(path.c_str(), attributes);
}

TEST(Win32Files, ReadingSharesWithOtherProgramsAndErrorsNameTheFullPath) {
    TempDir folder;
    // Another program that keeps everyone else out: the sharing violation.
    const auto locked = Put(folder, "locked.bin", "abc");
    {
        HeldOpen other(locked, GENERIC_READ, 0);
        ASSERT_TRUE(other.Held());
        try {
            Load(locked);
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.Code, 32);
            EXPECT_EQ(error.Message, "I/O error 32");
        }
    }

    // A file another program is writing still loads.
    const auto busy = Put(folder, u8"прошивка-固件.bin", std::string("\0\r\n\xFF", 4));
    HeldOpen writer(busy, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(writer.Held());
    Load(busy);
    EXPECT_EQ(HexUnit::ImageBytes, (std::vector<uint8_t>{0, 13, 10, 255}));

    // A relative name is reported in full, and the system's text on one line.
    SetCurrentDirectoryW(Win32::Wide(folder.Root().string()).c_str());
    LineList lines;
    try {
        lines.LoadFile("missing.txt");
        ADD_FAILURE() << "no error";
    } catch (const EFileOpenError& error) {
        const std::string prefix =
            "Cannot open file \"" + folder.Root().string() + "\\missing.txt\". ";
        EXPECT_EQ(error.Message.substr(0, prefix.size()), prefix);
        EXPECT_EQ(error.Message.find_first_of("\r\n"), std::string::npos);
    }
    SetCurrentDirectoryW(Win32::Wide(std::filesystem::temp_directory_path().string()).c_str());
}

TEST(Win32Files, SaveKeepsAttributesAndLeavesFilesOthersHoldAlone) {
    TempDir folder;
    LineList lines;
    lines.SetText("SET2E 01 0010\r\n\xC6");
    // The hidden mark survives the replacement (some file systems under Wine cannot hold it).
    const auto hidden = Put(folder, u8"скрипт-日本.txt", "old and longer");
    SetAttributes(hidden, FILE_ATTRIBUTE_HIDDEN);
    const DWORD marked = Attributes(hidden) & FILE_ATTRIBUTE_HIDDEN;
    lines.SaveFile(hidden);
    EXPECT_EQ(Got(hidden), "SET2E 01 0010\r\n\xC6");
    EXPECT_EQ(Attributes(hidden) & FILE_ATTRIBUTE_HIDDEN, marked);

    // A read-only file is refused, and stays as it was.
    const auto readOnly = Put(folder, "ro.txt", "old");
    SetAttributes(readOnly, FILE_ATTRIBUTE_READONLY);
    EXPECT_THROW(lines.SaveFile(readOnly), EFileCreateError);
    EXPECT_EQ(Got(readOnly), "old");
    EXPECT_TRUE(Attributes(readOnly) & FILE_ATTRIBUTE_READONLY);
    SetAttributes(readOnly, FILE_ATTRIBUTE_NORMAL);

    // So is a file another program reads while refusing writers.
    const auto busy = Put(folder, "busy.txt", "old");
    {
        HeldOpen reader(busy, GENERIC_READ, FILE_SHARE_READ);
        ASSERT_TRUE(reader.Held());
        EXPECT_THROW(lines.SaveFile(busy), EFileCreateError);
    }
    EXPECT_EQ(Got(busy), "old");
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Root()), {}), 3);
}

}  // namespace
