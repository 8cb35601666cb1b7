// End-to-end: listing text byte for byte through a pipe and as a terminal shows it; messages in
// UTF-8.
#include <gtest/gtest.h>

#include "RunProgram.h"

TEST(TerminalText, PipesGetTheListingsBytesTerminalsAndMessagesUtf8) {
    TempDir dir;
    std::string image = dir.Write("image.bin", "\x12\x34\x56\x78");
    // "Байт" in CP1251, as the desktop program holds it.
    std::string script = dir.Write("s.vts", "PTR 0002 '\xC1\xE0\xE9\xF2'\n");
    EXPECT_EQ(RunProgram({VANTREL_CLI, "run", image, script}).Out,
              Listed("\xC1\xE0\xE9\xF2: 00000056\n"));
    EXPECT_EQ(RunProgram({VANTREL_CLI, "run", image, script, "--utf8"}).Out,
              Listed("Байт: 00000056\n"));
#ifndef _WIN32
    // Names in messages are UTF-8, or CP1251 bytes with --raw.
    const std::string missing = dir.Path("нет.bin");
    EXPECT_EQ(RunProgram({VANTREL_CLI, "run", missing, script}).Err,
              missing + ": File not found.\n");
    EXPECT_EQ(RunProgram({VANTREL_CLI, "--raw", "run", missing, script}).Err,
              dir.Path("\xED\xE5\xF2.bin") + ": File not found.\n");
    // `script` runs the tool on a terminal of its own, which ends lines with CR LF.
    const std::string run =
        ShellQuote(VANTREL_CLI) + " run " + ShellQuote(image) + " " + ShellQuote(script);
    EXPECT_EQ(RunProgram({"script", "-qec", run, "/dev/null"}).Out, "Байт: 00000056\r\n");
#endif
}
