// The loader's Windows error codes and the line lists' files, through the Windows file calls.
#include <gtest/gtest.h>

#include <filesystem>

#include "Cp1251.h"
#include "Errors.h"
#include "FileAccess.h"
#include "HexUnit.h"
#include "LineList.h"
#include "TempDir.h"
#include "Win32.h"

namespace {

// Holds a file open with the given sharing, as another program would.
class HeldOpen {
  public:
    HeldOpen(const std::string& path, DWORD access, DWORD share)
        : handle_(CreateFileW(Win32::Wide(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldOpen() { CloseHandle(handle_); }
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

// Files are named by the program's CP1251 bytes, which the narrow C++ library would read in the
// system's ANSI code page; these go through the same wide calls as the program.
std::string Put(const std::string& path, std::string_view bytes) {
    HANDLE file = CreateFileW(Win32::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

std::string In(const TempDir& folder, const std::string& name) {
    return folder.Root().string() + "\\" + name;
}

std::string Got(const std::string& path) {
    std::string contents, error;
    if (!FileAccess::ReadWhole(path, contents, error)) return "(unreadable) " + error;
    return contents;
}

int LoadCode(const std::string& path, std::string& message) {
    try {
        HexUnit::LoadImage(path);
    } catch (const EInOutError& error) {
        message = error.Message;
        return error.Code;
    }
    return 0;
}

void SetReadOnly(const std::string& path, bool readOnly) {
    SetFileAttributesW(Win32::Wide(path).c_str(),
                       readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

size_t FilesIn(const TempDir& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder.Root()),
                                             std::filesystem::directory_iterator()));
}

class Win32FileTest : public ::testing::Test {
  protected:
    void SetUp() override { HexUnit::LoadImage(Put(In(folder, "previous.bin"), "\x01\x02\x03")); }
    void TearDown() override { WriteSaveForTests = nullptr; }

    void ExpectPreviousImage() {
        EXPECT_EQ(HexUnit::ImageSize, 3u);
        EXPECT_EQ(HexUnit::ImageBytes, (std::vector<uint8_t>{1, 2, 3}));
    }

    TempDir folder;
};

TEST_F(Win32FileTest, LoaderReportsTheSystemsErrorCodes) {
    std::string message;
    EXPECT_EQ(LoadCode(In(folder, "missing.bin"), message), 2);
    EXPECT_EQ(message, "File not found");
    EXPECT_EQ(LoadCode(In(folder, "no-folder\\file.bin"), message), 3);
    EXPECT_EQ(message, "Invalid filename");
    std::filesystem::create_directory(In(folder, "sub"));
    EXPECT_EQ(LoadCode(In(folder, "sub"), message), 5);
    EXPECT_EQ(message, "File access denied");

    // Another program that keeps everyone else out: the sharing violation.
    const std::string locked = Put(In(folder, "locked.bin"), "abc");
    {
        HeldOpen other(locked, GENERIC_READ, 0);
        ASSERT_TRUE(other.Held());
        EXPECT_EQ(LoadCode(locked, message), 32);
        EXPECT_EQ(message, "I/O error 32");
    }
    ExpectPreviousImage();
}

TEST_F(Win32FileTest, LoaderReadsFilesOthersWriteAndReadOnlyFiles) {
    const std::string busy =
        Put(In(folder, Cp1251::FromUtf8("прошивка.bin")), std::string("\0\r\n\xFF", 4));
    HeldOpen writer(busy, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(writer.Held());
    HexUnit::LoadImage(busy);
    EXPECT_EQ(HexUnit::ImageBytes, (std::vector<uint8_t>{0, 13, 10, 255}));

    const std::string readOnly = Put(In(folder, "ro.bin"), "xy");
    SetReadOnly(readOnly, true);
    HexUnit::LoadImage(readOnly);
    EXPECT_EQ(HexUnit::ImageSize, 2u);
    SetReadOnly(readOnly, false);
}

TEST_F(Win32FileTest, OpenErrorNamesTheFullPathAndTheSystemsText) {
    SetCurrentDirectoryW(Win32::Wide(folder.Root().string()).c_str());
    LineList lines;
    lines.SetText("kept");
    try {
        lines.LoadFile("missing.txt");
        FAIL() << "no error";
    } catch (const EFileOpenError& error) {
        const std::string prefix = "Cannot open file \"" + In(folder, "missing.txt") + "\". ";
        ASSERT_EQ(error.Message.substr(0, prefix.size()), prefix);
        std::string text = error.Message.substr(prefix.size());
        ASSERT_FALSE(text.empty());
        // The box adds the one full stop; the system's own stop and line break are gone.
        EXPECT_NE(text.back(), '.');
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(MessageBoxText(error.Message), error.Message + ".");
    }
    EXPECT_EQ(lines.Text(), "kept");
    SetCurrentDirectoryW(Win32::Wide(std::filesystem::temp_directory_path().string()).c_str());
}

TEST_F(Win32FileTest, SaveReplacesTheFileAndLeavesNoTemporaryBehind) {
    const std::string path =
        Put(In(folder, Cp1251::FromUtf8("скрипт.txt")), "old contents that are longer");
    auto hidden = [&] {
        return (GetFileAttributesW(Win32::Wide(path).c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0;
    };
    // Some file systems under Wine cannot hold the mark; then there is nothing to keep.
    SetFileAttributesW(Win32::Wide(path).c_str(), FILE_ATTRIBUTE_HIDDEN);
    const bool markHeld = hidden();
    LineList lines;
    lines.SetText("SET2E 01 0010\r\n\xC6\r\nlast");
    lines.SaveFile(path);
    EXPECT_EQ(Got(path), "SET2E 01 0010\r\n\xC6\r\nlast");
    EXPECT_EQ(hidden(), markHeld);
    EXPECT_EQ(FilesIn(folder), 2u);  // previous.bin and the script

    // A write that fails half-way leaves the file as it was, and no temporary file.
    WriteSaveForTests = [](std::string_view, int& error) {
        error = ERROR_DISK_FULL;
        return false;
    };
    lines.SetText("never written");
    EXPECT_THROW(lines.SaveFile(path), EFileCreateError);
    EXPECT_EQ(Got(path), "SET2E 01 0010\r\n\xC6\r\nlast");
    EXPECT_EQ(FilesIn(folder), 2u);
}

TEST_F(Win32FileTest, SaveRefusesFilesThatMayNotBeWritten) {
    LineList lines;
    lines.SetText("new");
    const std::string readOnly = Put(In(folder, "ro.txt"), "old");
    SetReadOnly(readOnly, true);
    try {
        lines.SaveFile(readOnly);
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const EFileCreateError& error) {
        EXPECT_EQ(error.Message.rfind("Cannot create file \"" + readOnly + "\". ", 0), 0u)
            << error.Message;
        EXPECT_NE(error.Message.back(), '.');
    }
    EXPECT_EQ(Got(readOnly), "old");
    EXPECT_TRUE(GetFileAttributesW(Win32::Wide(readOnly).c_str()) & FILE_ATTRIBUTE_READONLY);
    SetReadOnly(readOnly, false);

    // Another program reading the file while refusing writers keeps it.
    const std::string busy = Put(In(folder, "busy.txt"), "old");
    {
        HeldOpen reader(busy, GENERIC_READ, FILE_SHARE_READ);
        ASSERT_TRUE(reader.Held());
        EXPECT_THROW(lines.SaveFile(busy), EFileCreateError);
    }
    EXPECT_EQ(Got(busy), "old");

    EXPECT_THROW(lines.SaveFile(In(folder, "no-folder\\new.txt")), EFileCreateError);
    EXPECT_FALSE(std::filesystem::exists(In(folder, "no-folder")));
    EXPECT_EQ(FilesIn(folder), 3u);
}

}  // namespace
