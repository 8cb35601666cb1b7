// End-to-end: vantrel-cli's dump output bytes, its usage texts and its exit statuses.
#include <gtest/gtest.h>

#include "RunProgram.h"
#include "TempDir.h"

namespace {

#ifdef _WIN32
const std::string Eol = "\r\n";
#else
const std::string Eol = "\n";
#endif

// The expected output with the platform's line ends.
std::string Lines(std::string text) {
    for (size_t at = text.find('\n'); at != std::string::npos;
         at = text.find('\n', at + Eol.size()))
        text.replace(at, 1, Eol);
    return text;
}

const std::string Header =
    std::string(11, ' ') + "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \n";

TEST(DumpCli, WritesHeaderAndRowsForAKnownFile) {
    TempDir dir;
    std::string image = dir.Write("fw.bin", std::string("\x01\x23\x45\x67\x89\xAB\xCD\xEF\x00\xFF"
                                                        "\x10\x20\x30\x40\x50\x60\x7F\x80",
                                                        18));
    auto result = RunProgram({VANTREL_CLI, "dump", image});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(result.Out,
              Lines(Header + "00000000 | 01 23 45 67 89 AB CD EF 00 FF 10 20 30 40 50 60 \n"
                             "00000010 | 7F 80 \n"));
}

TEST(DumpCli, SixteenBytesEndWithAnAddressOnlyRowAndEmptyFileHasNoRows) {
    TempDir dir;
    auto full = RunProgram({VANTREL_CLI, "dump", dir.Write("16.bin", std::string(16, 'A'))});
    std::string row;
    for (int i = 0; i < 16; ++i) row += "41 ";
    EXPECT_EQ(full.Out, Lines(Header + "00000000 | " + row + "\n00000010 | \n"));

    auto empty = RunProgram({VANTREL_CLI, "dump", dir.Write("empty.bin", "")});
    EXPECT_EQ(empty.Status, 0);
    EXPECT_EQ(empty.Out, Lines(Header));
}

TEST(DumpCli, LargeImageMatchesRowByRowFormatting) {
    // Crosses the tool's write batches, so every batch boundary is checked.
    TempDir dir;
    std::string bytes(300000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    auto result = RunProgram({VANTREL_CLI, "dump", dir.Write("big.bin", bytes)});
    ASSERT_EQ(result.Status, 0);
    std::string expected = Header;
    char row[80];
    for (size_t offset = 0; offset <= bytes.size(); offset += 16) {
        std::snprintf(row, sizeof row, "%08zX | ", offset);
        expected += row;
        for (size_t i = offset; i < bytes.size() && i < offset + 16; ++i) {
            std::snprintf(row, sizeof row, "%02X ", static_cast<unsigned char>(bytes[i]));
            expected += row;
        }
        expected += "\n";
    }
    EXPECT_TRUE(result.Out == Lines(expected)) << "dump differs from the reference formatting";
}

TEST(DumpCli, FailuresNameTheFileAndExitWithOne) {
    TempDir dir;
    auto missing = RunProgram({VANTREL_CLI, "dump", dir.Path("none.bin")});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Out, "");
    EXPECT_EQ(missing.Err, dir.Path("none.bin") + ": File not found." + Eol);

    auto folder = RunProgram({VANTREL_CLI, "dump", dir.Root().string()});
    EXPECT_EQ(folder.Status, 1);
    EXPECT_EQ(folder.Err, dir.Root().string() + ": File access denied." + Eol);

    auto noFolder = RunProgram({VANTREL_CLI, "dump", dir.Path("no/such.bin")});
    EXPECT_EQ(noFolder.Err, dir.Path("no/such.bin") + ": Invalid filename." + Eol);
}

#ifndef _WIN32
TEST(DumpCli, CyrillicFileNamesOpenAndShowInUtf8) {
    TempDir dir;
    auto found = RunProgram({VANTREL_CLI, "dump", dir.Write("образ.bin", "A")});
    EXPECT_EQ(found.Status, 0);
    EXPECT_EQ(found.Out, Header + "00000000 | 41 \n");
    auto missing = RunProgram({VANTREL_CLI, "dump", dir.Path("нет.bin")});
    EXPECT_EQ(missing.Err, dir.Path("нет.bin") + ": File not found.\n");
}
#endif

TEST(DumpCli, UsageHelpAndVersion) {
    for (auto args : std::vector<std::vector<std::string>>{{VANTREL_CLI},
                                                           {VANTREL_CLI, "dump"},
                                                           {VANTREL_CLI, "dump", "a", "b"},
                                                           {VANTREL_CLI, "frobnicate"}}) {
        auto result = RunProgram(args);
        EXPECT_EQ(result.Status, 2);
        EXPECT_EQ(result.Out, "");
        EXPECT_NE(result.Err.find("usage: vantrel-cli dump IMAGE"), std::string::npos);
    }
    auto help = RunProgram({VANTREL_CLI, "--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("run IMAGE SCRIPT"), std::string::npos);
    auto version = RunProgram({VANTREL_CLI, "--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out.rfind("vantrel-cli ", 0), 0u);
}

TEST(ExampleImage, GeneratorStillMakesTheBundledFile) {
    TempDir dir;
    auto made = RunProgram({MAKE_EXAMPLE, dir.Path("fw.bin")});
    ASSERT_EQ(made.Status, 0);
    std::string bytes = TempDir::Read(dir.Path("fw.bin"));
    EXPECT_EQ(bytes.size(), 4096u);
    EXPECT_TRUE(bytes == TempDir::Read(EXAMPLES_DIR "/firmware.bin"));
    unsigned sum = 0;
    for (size_t i = 0; i <= 0xFFD; ++i) sum += static_cast<unsigned char>(bytes[i]);
    EXPECT_EQ(sum & 0xFFFF, static_cast<unsigned char>(bytes[0xFFE]) * 256u +
                                static_cast<unsigned char>(bytes[0xFFF]));
}

}  // namespace
