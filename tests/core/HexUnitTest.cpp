// The image loader, the dump's hex texts and the message rule.
#include "HexUnit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "Errors.h"
#include "FileAccess.h"
#include "TempDir.h"

using namespace HexUnit;

namespace {

std::vector<uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

class Loader : public ::testing::Test {
  protected:
    void SetUp() override { LoadImage(previous); }
    void TearDown() override { FileAccess::CurrentIo = {}; }

    // Loads `path`, expects the failure, and checks that the previous image is untouched.
    void ExpectFailure(const std::filesystem::path& path, int code, const std::string& message) {
        SCOPED_TRACE(path.string());
        try {
            LoadImage(path);
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Code, code);
            EXPECT_EQ(e.Message, message);
        }
        EXPECT_EQ(ImageBytes, Bytes("PREVIOUS IMAGE"));
        EXPECT_EQ(ImageSize, 14u);
    }

    TempDir dir;
    std::string previous = dir.Write("previous.bin", "PREVIOUS IMAGE");
};

TEST_F(Loader, LoadsEveryByteOfAReadOnlyFileAcrossBlocks) {
    std::string big(3 * 1024 * 1024 + 5, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i % 251);
    const std::string path = dir.Write("image.bin", big);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    LoadImage(path);
    EXPECT_EQ(ImageSize, big.size());
    EXPECT_TRUE(ImageBytes == Bytes(big));
}

TEST_F(Loader, FailuresKeepThePreviousImage) {
    ExpectFailure(dir.Path("missing.bin"), 2, "File not found");
    ExpectFailure(dir.Path("no-folder/missing.bin"), 3, "Invalid filename");
    ExpectFailure(previous + "/below-a-file", 3, "Invalid filename");
    ExpectFailure(dir.Root(), 5, "File access denied");

    std::string path = dir.Write("new.bin", std::string(5000, 'N'));
    FileAccess::CurrentIo.Read = [](FileAccess::Handle, void* buffer, uint32_t count,
                                    int&) -> int64_t {
        static bool first = true;  // the file seems to shrink after the first block
        if (!first) return 0;
        first = false;
        std::memset(buffer, 'N', count / 2);
        return count / 2;
    };
    ExpectFailure(path, 100, "Read beyond end of file");
}

TEST(Dump, RowsAndHexTexts) {
    ImageBytes = Bytes("\x01\x23\x45\x67\x89\xAB\xCD\xEF\x10\x20\x30\x40\x50\x60\x70\xFF\x7F");
    ImageSize = 17;
    std::string rows = "keep:";  // any range of rows, appended
    AppendDumpRows(rows, 0, DumpRowCount(), "\n");
    AppendDumpRows(rows, 1, 1, "\r\n");
    EXPECT_EQ(rows,
              "keep:00000000 | 01 23 45 67 89 AB CD EF 10 20 30 40 50 60 70 FF \n"
              "00000010 | 7F \n00000010 | 7F \r\n");
    EXPECT_EQ(DumpHeader(), "           00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ");
    ImageSize = 16;  // a whole row is followed by an address-only row
    EXPECT_EQ(DumpRowCount(), 2u);
    ImageSize = 0;
    EXPECT_EQ(DumpRowCount(), 0u);
    ImageBytes.clear();
}

TEST(MessageText, AppendsAFullStopAfterCharactersAboveIt) {
    EXPECT_EQ(MessageBoxText("File not found"), "File not found.");
    EXPECT_EQ(MessageBoxText("Done."), "Done.");
    EXPECT_EQ(MessageBoxText("\xD1\xEA"), "\xD1\xEA.");  // bytes above 127 count as above '.'
    EXPECT_EQ(MessageBoxText(""), "");
}

}  // namespace
