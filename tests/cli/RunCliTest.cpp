// End-to-end: `vantrel-cli run`'s listing bytes on stdout, its error line on stderr and its exit
// statuses.
#include <gtest/gtest.h>

#include <filesystem>

#include "RunProgram.h"
#include "TempDir.h"

namespace {

class RunCli : public ::testing::Test {
  protected:
    TempDir dir;
    // Bytes 0..3: 12 34 56 78.
    std::string image = dir.Write("image.bin", "\x12\x34\x56\x78");
};

TEST_F(RunCli, ExampleScriptChecksTheExampleImage) {
    auto result =
        RunProgram({VANTREL_CLI, "run", EXAMPLES_DIR "/firmware.bin", EXAMPLES_DIR "/example.vts"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(result.Out, Listed("Signature 7F 56 found\n"
                                 "Signature VTR found\n"
                                 "Signature: 7F565452\n"
                                 "Format major: 00000001\n"
                                 "Format minor: 00000004\n"
                                 "Minor byte: 00000004\n"
                                 "Version: VANTREL FW 1.04 \n"
                                 "Image length: 00001000\n"
                                 "Checksum covers up to: 00000FFD\n"
                                 "Computed checksum: 0000B477\n"
                                 "Stored checksum: 0000B477\n"
                                 "Stored, low byte first: 000077B4\n"
                                 "Stored, complemented: 00004B88\n"));
}

TEST_F(RunCli, OnlyCrLfPairsBecomeLineEndsAndOtherBytesPassUnchanged) {
    // Bytes 0..15 of this image hold a lone CR, a CR LF pair, a lone LF and byte 255.
    std::string img = dir.Write("ctl.bin", "a\rb\r\nc\nd\xFF" + std::string("efghijklm"));
    auto result = RunProgram({VANTREL_CLI, "run", img, dir.Write("s.vts", "EQU16 01 'T'\n")});
    EXPECT_EQ(result.Status, 0);
#ifdef _WIN32
    EXPECT_EQ(result.Out,
              "T: a\rb\r\nc\nd\xFF"
              "efghijk\r\n");
#else
    EXPECT_EQ(result.Out,
              "T: a\rb\nc\nd\xFF"
              "efghijk\n");
#endif
}

TEST_F(RunCli, RegistersCarryOverAndAFailingLineStopsEveryRun) {
    std::string inc = dir.Write("inc.vts", "INC2 01 01\nEQU2 01 'r'\n");
    std::string failing = dir.Write("failing.vts", "PTR 0001 'two'\nINC2 01 0G\nPTR 0002 'no'\n");
    auto result = RunProgram({VANTREL_CLI, "run", image, inc, inc, failing, inc});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, Listed("r: 00000001\nr: 00000002\ntwo: 00000034\n"));
    EXPECT_EQ(result.Err, Listed(failing + ":2: '$0G' is not a valid integer value.\n"));
}

TEST_F(RunCli, FilesThatDoNotLoadNameThePathAndExitWithOne) {
    const std::string missing = dir.Path("нет.bin");
    auto noImage = RunProgram({VANTREL_CLI, "run", missing, dir.Write("s.vts", "")});
    EXPECT_EQ(noImage.Status, 1);
    EXPECT_EQ(noImage.Out, "");
#ifndef _WIN32  // messages show the name in UTF-8
    EXPECT_EQ(noImage.Err, missing + ": File not found.\n");
#endif
    std::string ok = dir.Write("ok.vts", "PTR 0000 'ran'\n");
    std::string noScript = dir.Path("missing.vts");
    auto result = RunProgram({VANTREL_CLI, "run", image, ok, noScript, ok});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, Listed("ran: 00000012\n"));
    std::string absolute = std::filesystem::absolute(noScript).string();
    EXPECT_EQ(result.Err.rfind(noScript + ": Cannot open file \"" + absolute + "\". ", 0), 0u);
}

}  // namespace
