// End-to-end: `vantrel-cli run`'s listing bytes on stdout, its error line on stderr and its exit
// statuses.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "RunProgram.h"
#include "ScriptFixture.h"
#include "TempDir.h"

namespace {

// 32 bytes: 12 34 56 78 9A BC DE F0 00 01 02 03 04 05 06 07, then "BOOT V1.02 A0001".
std::string ExampleBytes() {
    return std::string("\x12\x34\x56\x78\x9A\xBC\xDE\xF0\x00\x01\x02\x03\x04\x05\x06\x07", 16) +
           "BOOT V1.02 A0001";
}

// Text as the tool writes it: each line break as the platform's line end.
std::string Listed(std::string text) {
#ifdef _WIN32
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.replace(at, 1, "\r\n");
#endif
    return text;
}

class RunCli : public ::testing::Test {
  protected:
    TempDir dir;
    std::string image = dir.Write("image.bin", ExampleBytes());
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

TEST_F(RunCli, WorkedExampleListsExactlyWhateverTheScriptsLineEnds) {
    const auto& lines = WorkedExampleScript;
    const std::string& expected = WorkedExampleListing;
    for (const char* end : {"\r\n", "\n", "\r"}) {
        std::string text;
        for (const auto& line : lines) text += line + end;
        text.resize(text.size() - std::strlen(end));  // no break after the last line
        auto result = RunProgram({VANTREL_CLI, "run", image, dir.Write("s.vts", text)});
        EXPECT_EQ(result.Status, 0);
        EXPECT_EQ(result.Err, "");
        EXPECT_EQ(result.Out, Listed(expected)) << "line end " << (end[0] == '\r' ? "CR" : "LF");
    }
}

TEST_F(RunCli, OnlyCrLfPairsBecomeNewlinesAndOtherBytesPassUnchanged) {
    // Bytes 0..15 of this image hold a lone CR, a CR LF pair, a lone LF and byte 255.
    std::string bytes = "a\rb\r\nc\nd\xFF" + std::string("efghijklm");
    std::string img = dir.Write("ctl.bin", bytes);
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

TEST_F(RunCli, RegistersCarryOverFromOneScriptToTheNext) {
    std::string script = dir.Write("inc.vts", "INC2 01 01\nEQU2 01 'r'\n");
    auto result = RunProgram({VANTREL_CLI, "run", image, script, script, script});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out, Listed("r: 00000001\nr: 00000002\nr: 00000003\n"));
}

TEST_F(RunCli, AFailingLineWritesTheListingSoFarAndStopsEveryRun) {
    std::string first = dir.Write("first.vts", "PTR 0000 'one'\n");
    std::string failing =
        dir.Write("failing.vts", "PTR 0001 'two'\nINC2 01 01\nINC2 01 0G\nPTR 0002 'never'\n");
    auto result = RunProgram({VANTREL_CLI, "run", image, first, failing, first});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, Listed("one: 00000012\ntwo: 00000034\n"));
    EXPECT_EQ(result.Err, Listed(failing + ":3: '$0G' is not a valid integer value.\n"));
}

TEST_F(RunCli, ErrorLinesAppendAFullStopOnlyAfterCharactersAboveIt) {
    auto range = RunProgram({VANTREL_CLI, "run", image, dir.Write("r.vts", "\n\nPTR4 001D 'x'")});
    EXPECT_EQ(range.Status, 1);
    EXPECT_EQ(range.Err, Listed(dir.Path("r.vts") +
                                ":3: Offset 20 is beyond the end of the image (size 20)\n"));
    auto reg = RunProgram({VANTREL_CLI, "run", image, dir.Write("g.vts", "SWP 00\n")});
    EXPECT_EQ(reg.Status, 1);
    EXPECT_EQ(reg.Err,
              Listed(dir.Path("g.vts") + ":1: Register number 0 is out of range 1 to 400.\n"));
}

TEST_F(RunCli, ADashReadsTheScriptFromStandardInput) {
    std::string input = dir.Write("in.vts", "PTR 0003 'stdin'\r\nSWP 5");
    auto result = RunProgram({VANTREL_CLI, "run", image, "-"}, input);
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, Listed("stdin: 00000078\n"));
    EXPECT_EQ(result.Err, Listed("-:2: '$' is not a valid integer value.\n"));
}

TEST_F(RunCli, FilesThatDoNotLoadNameThePathAndExitWithOne) {
    std::string missing = dir.Path("missing.bin");
    auto noImage = RunProgram({VANTREL_CLI, "run", missing, dir.Write("s.vts", "")});
    EXPECT_EQ(noImage.Status, 1);
    EXPECT_EQ(noImage.Out, "");
    EXPECT_EQ(noImage.Err, Listed(missing + ": File not found.\n"));

    std::string ok = dir.Write("ok.vts", "PTR 0000 'ran'\n");
    std::string noScript = dir.Path("missing.vts");
    auto result = RunProgram({VANTREL_CLI, "run", image, ok, noScript, ok});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, Listed("ran: 00000012\n"));
    std::string absolute = std::filesystem::absolute(noScript).string();
#ifdef _WIN32  // the system's own text for the failure differs
    EXPECT_EQ(result.Err.rfind(noScript + ": Cannot open file \"" + absolute + "\". ", 0), 0u);
#else
    EXPECT_EQ(result.Err,
              noScript + ": Cannot open file \"" + absolute + "\". No such file or directory.\n");
#endif
}

#ifndef _WIN32
TEST_F(RunCli, CyrillicScriptNamesRunAndShowInUtf8) {
    std::string script = dir.Write("проверка.vts", "PTR 0002 'Байт'\nSWP 00\n");
    auto result = RunProgram({VANTREL_CLI, "run", image, script});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, "Байт: 00000056\n");  // the script's bytes pass unchanged
    EXPECT_EQ(result.Err, script + ":2: Register number 0 is out of range 1 to 400.\n");
}
#endif

TEST_F(RunCli, WithoutAScriptItIsBadUsage) {
    auto result = RunProgram({VANTREL_CLI, "run", image});
    EXPECT_EQ(result.Status, 2);
    EXPECT_EQ(result.Out, "");
    EXPECT_NE(result.Err.find("run IMAGE SCRIPT"), std::string::npos);
}

}  // namespace
