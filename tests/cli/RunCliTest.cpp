// End-to-end: `vantrel-cli run`'s listing bytes on stdout, its error line on stderr and its exit
// statuses.
#include <gtest/gtest.h>

#include <algorithm>

#include "RunProgram.h"

TEST(RunCli, ExampleScriptChecksTheGeneratedExampleImage) {
    TempDir dir;
    ASSERT_EQ(RunProgram({MAKE_EXAMPLE, dir.Path("fw.bin")}).Status, 0);
    EXPECT_TRUE(TempDir::Read(dir.Path("fw.bin")) == TempDir::Read(EXAMPLES_DIR "/firmware.bin"));
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

TEST(RunCli, RegistersCarryOverAndAFailureStopsTheRunWithStatusOne) {
    TempDir dir;
    std::string image = dir.Write("image.bin", "\x12\x34\x56\x78");
    std::string inc = dir.Write("inc.vts", "INC2 01 01\nEQU2 01 'r'\n");
    std::string failing = dir.Write("failing.vts", "PTR 0001 'two'\nINC2 01 0G\nPTR 0002 'no'\n");
    auto result = RunProgram({VANTREL_CLI, "run", image, inc, inc, failing, inc});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, Listed("r: 00000001\nr: 00000002\ntwo: 00000034\n"));
    EXPECT_EQ(result.Err, Listed(failing + ":2: '$0G' is not a valid integer value.\n"));
}

TEST(RunCli, BadUsageIsStatusTwo) {
    for (auto args : std::vector<std::vector<std::string>>{
             {VANTREL_CLI},
             {VANTREL_CLI, "frobnicate"},
             {VANTREL_CLI, "run", "-", "-"},
             {VANTREL_CLI, "run", "i", "s", "--expect", ""},
             {VANTREL_CLI, "run", "i", "s", "--expect", "--approve"},
             {VANTREL_CLI, "check", "--quiet", "s", "--quiet"},
             {VANTREL_CLI, "check", "-", "-"}}) {
        auto result = RunProgram(args);
        EXPECT_EQ(result.Status, 2) << args.back() << args.size();
        EXPECT_EQ(result.Out, "");
        EXPECT_NE(result.Err.find("usage: vantrel-cli dump IMAGE"), std::string::npos);
    }
}

#ifndef _WIN32
TEST(RunCli, HelpAndVersionThatCannotBeWrittenAreStatusOne) {
    for (const char* option : {" --help", " --version"}) {
        auto result = RunProgram({"bash", "-c", ShellQuote(VANTREL_CLI) + option + " >/dev/full"});
        EXPECT_EQ(result.Status, 1) << option;
    }
}
#endif

TEST(DumpCli, HeaderThenEveryRowOnceAcrossWriteBatches) {
    TempDir dir;  // the rows' own text is the core's; here: every row once, in order
    auto result = RunProgram({VANTREL_CLI, "dump", dir.Write("big.bin", std::string(300000, 'v'))});
    ASSERT_EQ(result.Status, 0);
    EXPECT_TRUE(result.Out.starts_with(
        Listed("           00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \n00000000 | 76 ")));
    EXPECT_EQ(std::count(result.Out.begin(), result.Out.end(), '\n'), 1 + 300000 / 16 + 1);
    EXPECT_TRUE(result.Out.ends_with(Listed("\n000493E0 | \n")));
}

TEST(FormatCli, RecordsFlattenAndBadOnesFailWithNothingOnStandardOutput) {
    TempDir dir;
    std::string hex = dir.Write("fw.hex",
                                ":020010004142"
                                "6B\r\n:00000001FF\r\n");
    auto result = RunProgram(
        {VANTREL_CLI, "dump", "-", "--format", "auto", "--base", "0x0E", "--fill", "00"}, hex);
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out, Listed("           00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \n"
                                 "00000000 | 00 00 41 42 \n"));

    std::string bad = dir.Write("bad.hex",
                                ":020010004142"
                                "6B\n:0100000041BF\n");
    std::string script = dir.Write("s.vts", "PTR 0000 'b'\n");
    result = RunProgram({VANTREL_CLI, "run", "--format", "ihex", bad, script});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, Listed(bad + ":2: wrong checksum BF, the record's bytes ask for BE.\n"));

    for (auto args : std::vector<std::vector<std::string>>{{"dump", hex, "--format", "hex"},
                                                           {"run", hex, script, "--fill", "00"},
                                                           {"dump", hex, "--format"}}) {
        args.insert(args.begin(), VANTREL_CLI);
        result = RunProgram(args);
        EXPECT_EQ(result.Status, 2) << args[2];
        EXPECT_NE(result.Err.find("usage: vantrel-cli"), std::string::npos);
    }
}
