// The image loader and the dump's hex texts.
#include "HexUnit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "Cp1251.h"
#include "Errors.h"
#include "TempDir.h"

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace HexUnit;

namespace {

std::vector<uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

class Loader : public ::testing::Test {
  protected:
    void SetUp() override {
        ImageBytes.clear();
        ImageSize = 0;
        ReadBlockForTests = nullptr;
        previous = dir.Write("previous.bin", "PREVIOUS IMAGE");
        LoadImage(previous);
    }
    void TearDown() override { ReadBlockForTests = nullptr; }

    // Loads `path`, expects the failure, and checks that the previous image is untouched.
    void ExpectFailure(const std::filesystem::path& path, int code, const std::string& message) {
        try {
            LoadImage(path);
            ADD_FAILURE() << "no error for " << path.string();
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Code, code);
            EXPECT_EQ(e.Message, message);
        }
        EXPECT_EQ(ImageBytes, Bytes("PREVIOUS IMAGE"));
        EXPECT_EQ(ImageSize, 14u);
    }

    TempDir dir;
    std::string previous;
};

TEST_F(Loader, LoadsEveryByteAndReplacesTheWholeImage) {
    LoadImage(dir.Write("one.bin", "Z"));
    EXPECT_EQ(ImageSize, 1u);
    EXPECT_EQ(ImageBytes, Bytes("Z"));

    std::string special("\x00\x0A\x0D\xFF\x0D\x0A", 6);
    LoadImage(dir.Write("special.bin", special));
    EXPECT_EQ(ImageSize, 6u);
    EXPECT_EQ(ImageBytes, Bytes(special));

    LoadImage(dir.Write("empty.bin", ""));
    EXPECT_EQ(ImageSize, 0u);
    EXPECT_TRUE(ImageBytes.empty());
}

TEST_F(Loader, ReadsLargeFilesAcrossBlocks) {
    std::string big(3 * 1024 * 1024 + 5, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i % 251);
    LoadImage(dir.Write("big.bin", big));
    ASSERT_EQ(ImageSize, big.size());
    EXPECT_EQ(ImageBytes, Bytes(big));
}

TEST_F(Loader, FileNamesReachTheSystemUnchanged) {
    // Names the interface's code page can and cannot spell; "??.bin" is what the code page
    // would have made of the second, and must not be opened in its place.
    std::ofstream(dir.Root() / std::filesystem::path(u8"прошивка.bin"), std::ios::binary) << "RU";
    std::ofstream(dir.Root() / std::filesystem::path(u8"固件.bin"), std::ios::binary) << "CJK";
    std::ofstream(dir.Root() / "??.bin", std::ios::binary) << "WRONG";
    LoadImage(dir.Root() / std::filesystem::path(u8"прошивка.bin"));
    EXPECT_EQ(ImageBytes, Bytes("RU"));
    LoadImage(dir.Root() / std::filesystem::path(u8"固件.bin"));
    EXPECT_EQ(ImageBytes, Bytes("CJK"));
    LoadImage(previous);
    ExpectFailure(dir.Root() / std::filesystem::path(u8"naïve.bin"), 2, "File not found");
}

TEST_F(Loader, ReadOnlyFileLoads) {
    std::string path = dir.Write("ro.bin", "RO");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    LoadImage(path);
    EXPECT_EQ(ImageBytes, Bytes("RO"));
}

TEST_F(Loader, OpenFailuresKeepThePreviousImage) {
    ExpectFailure(dir.Path("missing.bin"), 2, "File not found");
    ExpectFailure(dir.Path("no-folder/missing.bin"), 3, "Invalid filename");
    ExpectFailure(dir.Root().string(), 5, "File access denied");
    ExpectFailure(previous + "/below-a-file", 3, "Invalid filename");
#ifndef _WIN32
    if (geteuid() != 0) {  // the superuser reads regardless of permissions
        std::string locked = dir.Write("locked.bin", "x");
        std::filesystem::permissions(locked, std::filesystem::perms::none);
        ExpectFailure(locked, 5, "File access denied");
    }
#endif
}

TEST_F(Loader, ShortReadAndReadErrorsKeepThePreviousImage) {
    std::string path = dir.Write("new.bin", std::string(5000, 'N'));
    ReadBlockForTests = [](void* buffer, uint32_t count, int&) -> int64_t {
        static bool first = true;  // the file seems to shrink after the first block
        if (!first) return 0;
        first = false;
        std::memset(buffer, 'N', count / 2);
        return count / 2;
    };
    ExpectFailure(path, 100, "Read beyond end of file");

    ReadBlockForTests = [](void*, uint32_t, int& error) -> int64_t {
        error = 23;
        return -1;
    };
    ExpectFailure(path, 23, "I/O error 23");
}

TEST(HexTexts, BytesAndWords) {
    EXPECT_EQ(HexByte(0), "00");
    EXPECT_EQ(HexByte(10), "0A");
    EXPECT_EQ(HexByte(171), "AB");
    EXPECT_EQ(HexByte(0x1FF), "FF");  // only the low byte counts
    EXPECT_EQ(Hex32(0), "00000000");
    EXPECT_EQ(Hex32(16), "00000010");
    EXPECT_EQ(Hex32(0xFFFFFFFF), "FFFFFFFF");
    EXPECT_EQ(Hex32(0x12AB34CD), "12AB34CD");
}

class Dumps : public ::testing::Test {
  protected:
    void Use(std::string_view bytes) {
        ImageBytes = Bytes(bytes);
        ImageSize = static_cast<uint32_t>(bytes.size());
    }
    void TearDown() override { Use(""); }

    // The fast path must give exactly the rows of the reference composition.
    void ExpectFastPathMatches() {
        std::string joined;
        for (const auto& row : ComposeDump().Rows) joined += row + "\r\n";
        std::string fast;
        AppendDumpRows(fast, 0, DumpRowCount(), "\r\n");
        EXPECT_EQ(fast, joined);
    }
};

TEST_F(Dumps, WorkedExample) {
    Use(std::string("\x01\x23\x45\x67\x89\xAB\xCD\xEF\x00\xFF\x10\x20\x30\x40\x50\x60\x7F\x80",
                    18));
    Dump dump = ComposeDump();
    EXPECT_EQ(dump.Header, "           00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ");
    EXPECT_EQ(dump.Header.size(), 59u);
    ASSERT_EQ(dump.Rows.size(), 2u);
    EXPECT_EQ(dump.Rows[0], "00000000 | 01 23 45 67 89 AB CD EF 00 FF 10 20 30 40 50 60 ");
    EXPECT_EQ(dump.Rows[1], "00000010 | 7F 80 ");
    EXPECT_EQ(DumpRow(5), "AB CD EF 00 FF 10 20 30 40 50 60 7F 80 ");
    EXPECT_EQ(DumpRow(18), "");
    ExpectFastPathMatches();
}

TEST_F(Dumps, RowCountsAtTheSizeBoundaries) {
    Use("");
    EXPECT_TRUE(ComposeDump().Rows.empty());
    ExpectFastPathMatches();

    Use("\xC3");
    ASSERT_EQ(ComposeDump().Rows.size(), 1u);
    EXPECT_EQ(ComposeDump().Rows[0], "00000000 | C3 ");

    Use(std::string(16, 'a'));
    auto rows16 = ComposeDump().Rows;
    ASSERT_EQ(rows16.size(), 2u);
    EXPECT_EQ(rows16[1], "00000010 | ");
    ExpectFastPathMatches();

    Use(std::string(17, 'a'));
    EXPECT_EQ(ComposeDump().Rows.back(), "00000010 | 61 ");

    Use(std::string(32, 'b'));
    auto rows32 = ComposeDump().Rows;
    ASSERT_EQ(rows32.size(), 3u);
    EXPECT_EQ(rows32[2], "00000020 | ");
    ExpectFastPathMatches();
}

TEST_F(Dumps, FastPathWritesAnyRangeOfRows) {
    std::string bytes(100, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(255 - i);
    Use(bytes);
    auto rows = ComposeDump().Rows;
    std::string part = "keep:";
    AppendDumpRows(part, 2, 3, "\n");
    EXPECT_EQ(part, "keep:" + rows[2] + "\n" + rows[3] + "\n" + rows[4] + "\n");
}

TEST(MessageBoxRule, AppendsAFullStopAfterCharactersAboveIt) {
    EXPECT_EQ(MessageBoxText("File not found"), "File not found.");
    EXPECT_EQ(MessageBoxText("Done."), "Done.");
    EXPECT_EQ(MessageBoxText("odd-"), "odd-");  // '-' lies below '.'
    EXPECT_EQ(MessageBoxText("ends in /"), "ends in /.");
    EXPECT_EQ(MessageBoxText("\xD1\xEA"), "\xD1\xEA.");  // bytes above 127 count as above '.'
    EXPECT_EQ(MessageBoxText(""), "");
}

}  // namespace
