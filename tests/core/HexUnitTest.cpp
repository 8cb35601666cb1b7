// The image loader, the dump's hex texts and the message rule.
#include "HexUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "Errors.h"
#include "FileAccess.h"
#include "TempDir.h"

using namespace HexUnit;

namespace {

std::vector<uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

TEST(Loader, LoadsEveryByteOrFailsAndKeepsThePreviousImage) {
    TempDir dir;
    std::string big(3 * 1024 * 1024 + 5, '\0');  // across blocks
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i % 251);
    const std::string previous = dir.Write("previous.bin", big);
    std::filesystem::permissions(previous, std::filesystem::perms::owner_read);
    LoadImage(previous);
    EXPECT_EQ(ImageSize, big.size());
    EXPECT_TRUE(ImageBytes == Bytes(big));

    auto expectFailure = [&](const std::filesystem::path& path, int code, const char* message) {
        SCOPED_TRACE(path.string());
        try {
            LoadImage(path);
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Code, code);
            EXPECT_EQ(e.Message, message);
        }
        EXPECT_EQ(ImageSize, big.size());
        EXPECT_TRUE(ImageBytes == Bytes(big));
    };
    expectFailure(dir.Path("missing.bin"), 2, "File not found");
    expectFailure(dir.Path("no-folder/missing.bin"), 3, "Invalid filename");
    expectFailure(dir.Root(), 5, "File access denied");
    FileAccess::CurrentIo.Read = [](FileAccess::Handle, void*, uint32_t, int&) -> int64_t {
        return 0;  // the file seems to have shrunk since its size was taken
    };
    expectFailure(dir.Write("new.bin", "NEW"), 100, "Read beyond end of file");
    FileAccess::CurrentIo = {};
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

// Every place a pattern can stand, checked against a plain search: across the word-at-a-time
// blocks, at the image's end, before the start (wrapping round once) and with runs of one byte.
TEST(Find, FindsTheNextMatchAndWrapsRoundOnce) {
    ImageBytes.assign(200, 0xFF);
    for (size_t at : {0, 31, 32, 63, 100, 197}) ImageBytes[at] = 0x7F, ImageBytes[at + 1] = 0x00;
    ImageBytes[199] = 0x46;
    ImageSize = static_cast<uint32_t>(ImageBytes.size());
    const std::vector<std::vector<uint8_t>> patterns = {
        {0x7F, 0x00}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0x7F}, {0x46}, {0x00, 0x46}, {0x12}};
    for (const auto& pattern : patterns) {
        for (uint64_t start : {0, 1, 32, 33, 64, 150, 199, 200}) {
            auto plain = [&](size_t from, size_t to) -> std::optional<uint32_t> {
                auto found = std::search(ImageBytes.begin() + from, ImageBytes.begin() + to,
                                         pattern.begin(), pattern.end());
                if (found == ImageBytes.begin() + to) return std::nullopt;
                return static_cast<uint32_t>(found - ImageBytes.begin());
            };
            std::optional<uint32_t> expected = plain(start, 200);
            if (!expected) expected = plain(0, std::min<size_t>(200, start + pattern.size() - 1));
            EXPECT_EQ(FindBytes(pattern, start), expected) << start << " " << pattern.size();
        }
    }
}

TEST(MessageText, AppendsAFullStopAfterCharactersAboveIt) {
    EXPECT_EQ(MessageBoxText("Done."), "Done.");
    EXPECT_EQ(MessageBoxText("\xD1\xEA"), "\xD1\xEA.");  // bytes above 127 count as above '.'
}

}  // namespace
