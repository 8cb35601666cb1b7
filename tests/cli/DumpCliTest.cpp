// End-to-end: vantrel-cli's dump output bytes, its usage texts and its exit statuses.
#include <gtest/gtest.h>

#include <algorithm>

#include "RunProgram.h"
#include "TempDir.h"

namespace {

const std::string Header =
    std::string(11, ' ') + "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \n";

TEST(DumpCli, MatchesTheReferenceFormattingAcrossWriteBatches) {
    TempDir dir;
    std::string bytes(300000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    auto result = RunProgram({VANTREL_CLI, "dump", dir.Write("big.bin", bytes)});
    ASSERT_EQ(result.Status, 0);
    EXPECT_EQ(result.Err, "");
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
    EXPECT_TRUE(result.Out == Listed(expected)) << "dump differs from the reference formatting";
    EXPECT_EQ(RunProgram({VANTREL_CLI, "dump", dir.Write("empty.bin", "")}).Out, Listed(Header));
}

TEST(DumpCli, UsageHelpAndVersion) {
    for (auto args :
         std::vector<std::vector<std::string>>{{VANTREL_CLI},
                                               {VANTREL_CLI, "dump", "a", "b"},
                                               {VANTREL_CLI, "run", "image"},
                                               {VANTREL_CLI, "frobnicate"},
                                               {VANTREL_CLI, "--raw", "--utf8", "dump", "a"}}) {
        auto result = RunProgram(args);
        EXPECT_EQ(result.Status, 2);
        EXPECT_EQ(result.Out, "");
        EXPECT_NE(result.Err.find("usage: vantrel-cli dump IMAGE"), std::string::npos);
    }
    for (const char* option : {"--help", "--version"}) {
        auto result = RunProgram({VANTREL_CLI, option});
        EXPECT_EQ(result.Status, 0);
        EXPECT_EQ(result.Out.rfind(option[2] == 'h' ? "usage: " : "vantrel-cli ", 0), 0u);
        const auto ends = std::count(result.Out.begin(), result.Out.end(), '\n');
        EXPECT_GT(ends, 0);
        EXPECT_EQ(std::count(result.Out.begin(), result.Out.end(), '\r'),
                  Listed("\n") == "\n" ? 0 : ends);
    }
}

TEST(ExampleImage, GeneratorStillMakesTheBundledFile) {
    TempDir dir;
    auto made = RunProgram({MAKE_EXAMPLE, dir.Path("fw.bin")});
    ASSERT_EQ(made.Status, 0);
    std::string bytes = TempDir::Read(dir.Path("fw.bin"));
    EXPECT_EQ(bytes.size(), 4096u);
    EXPECT_TRUE(bytes == TempDir::Read(EXAMPLES_DIR "/firmware.bin"));
}

}  // namespace
