// The commands' success and failure paths, and the program's error handler.
#include <filesystem>
#include <new>
#include <stdexcept>

#include "Errors.h"
#include "FormFixture.h"
#include "HexUnit.h"

namespace {

class CommandTest : public FormTest {
  protected:
    void SetUp() override { Start(); }
};

// An 18-byte image: a full row and a row of two bytes.
const std::string Image18(
    "\x01\x23\x45\x67\x89\xAB\xCD\xEF\x00\xFF\x10\x20\x30\x40\x50\x60\x7F\x80", 18);
const std::string Rows18 =
    "00000000 | 01 23 45 67 89 AB CD EF 00 FF 10 20 30 40 50 60 \r\n00000010 | 7F 80 \r\n";

TEST_F(CommandTest, OpenScriptShowsAndNamesTheFile) {
    ScriptWindow().Hide();
    const std::string file = temp.Write("a.vts", "SET2E 01 0010\nEQU2 01 'R'");
    OpenScript(file);
    EXPECT_EQ(ScriptView().Displayed, "SET2E 01 0010\r\nEQU2 01 'R'");
    EXPECT_EQ(platform.ActiveWindow(), &ScriptWindow());
    EXPECT_EQ(ScriptPanel(), Ru("СКРИПТ ЗАГРУЖЕН:   ") + file);

    // The script window's item does the same; the dialog offers the path chosen last.
    const std::string other = temp.Write("b.vts", "INV2 01\r\n");
    platform.DialogAnswers.push_back(other);
    Choose(ScriptWindow(), {"Открыть скрипт"});
    EXPECT_EQ(Script().Text(), "INV2 01\r\n");
    EXPECT_EQ(MainUnit::ScriptFileName, other);
    EXPECT_EQ(platform.DialogOffers, (std::vector<std::filesystem::path>{"", file}));
}

TEST_F(CommandTest, FailedOrCancelledOpensChangeNothing) {
    const std::string file = temp.Write("good.vts", "SWP 01\r\n");
    OpenScript(file);
    OpenFirmware(temp.Write("fw.bin", Image18));
    const std::string panel = FirmwarePanel();
    ScriptView().TypeText("INV2 01");
    ScriptWindow().Hide();

    Choose(Main(), {"&Файл", "&Открыть скрипт..."});  // no answer queued: cancelled
    const std::string missing = temp.Path("missing.vts");
    OpenScript(missing);
    OpenFirmware(temp.Path("missing.bin"));
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[0].rfind("Cannot open file \"", 0), 0u) << Boxes()[0];
    EXPECT_EQ(Boxes()[1], "File not found.");
    EXPECT_EQ(Script().Text(), "SWP 01\r\nINV2 01");
    EXPECT_FALSE(ScriptWindow().Visible());
    EXPECT_EQ(ScriptPanel(), Ru("СКРИПТ ЗАГРУЖЕН:   ") + file);
    EXPECT_EQ(MainUnit::ScriptFileName, file);
    EXPECT_EQ(DumpView().Displayed(), Rows18);
    EXPECT_EQ(FirmwarePanel(), panel);
    EXPECT_EQ(platform.DialogOffers.back(), missing);  // kept, though its load failed
}

TEST_F(CommandTest, OpenFirmwareShowsRowsThatTheFirstEditTurnsIntoText) {
    DumpView().TypeText("typed into the dump");
    FirmwareWindow().Hide();
    const std::string file = temp.Write("fw.bin", Image18);
    OpenFirmware(file);
    EXPECT_EQ(Header(), HexUnit::DumpHeader());
    EXPECT_EQ(DumpView().Displayed(), Rows18);
    EXPECT_EQ(Dump().Text(), "");  // the typed text is gone
    EXPECT_EQ(FirmwarePanel(), Ru("HEX-ФАЙЛ ЗАГРУЖЕН:   ") + file);
    EXPECT_FALSE(FirmwareWindow().Visible());

    // The first edit turns the whole dump into text; a run still reads the image.
    FirmwareWindow().Show();
    std::string image;
    for (int i = 0; i < 5000; ++i) image += char(i * 7 + i / 256);
    platform.DialogAnswers.push_back(temp.Write("big.bin", image));
    Choose(FirmwareWindow(), {"Открыть HEX-файл"});
    std::string rows;
    HexUnit::AppendDumpRows(rows, 0, HexUnit::DumpRowCount(), "\r\n");
    DumpView().TypeText("EQU16 01 'x'");
    EXPECT_EQ(Dump().Text(), "EQU16 01 'x'" + rows);
    Script().SetText("SET2E 01 0010\r\nEQU16 01 'Bytes'\r\n");
    Choose(Main(), {"&Выполнение F9"});
    EXPECT_EQ(Listing().Get(0), "Bytes: " + image.substr(16, 16));
    EXPECT_TRUE(platform.MessageBoxes.empty());
}

TEST_F(FormTest, TextsBeyondTheViewsCapacity) {
    platform.ViewCapacity = 1000;
    Start();
    // A script too long for its view is refused whole; the previous one stays.
    const std::string small = temp.Write("small.vts", "SWP 01\r\n");
    OpenScript(small);
    OpenScript(temp.Write("long.vts", std::string(1001, 'x')));
    EXPECT_EQ(Script().Text(), "SWP 01\r\n");
    EXPECT_EQ(MainUnit::ScriptFileName, small);

    // A dump larger than a text view opens; only the edit that would make it a text is refused.
    OpenFirmware(temp.Write("fw.bin", std::string(400, 'A')));
    const std::string shown = DumpView().Displayed();
    DumpView().TypeText("x");
    EXPECT_FALSE(DumpView().Edited());
    EXPECT_EQ(DumpView().Displayed(), shown);
    EXPECT_EQ(Boxes(), std::vector<std::string>(2, "Text exceeds memo capacity."));
}

TEST_F(CommandTest, RunShowsTheListingOnceAndRunsTheEditedScript) {
    Choose(Main(), {"&Выполнение F9"});  // empty script: nothing run, the listing shown
    EXPECT_EQ(platform.ActiveWindow(), &ListingWindow());

    OpenScript(temp.Write("inc.vts", "INC2 01 01\r\n"));
    // An unsaved edit is what runs; the run fetches it from the view once, not once per line.
    ScriptView().TypeText("EQU2 01 'R'\r\nINV2 01\r\nEQU2 01 'Inverted'\r\n");
    const int reads = ScriptView().Reads, appends = ListingView().Appends;
    Press(ScriptWindow(), 120);
    EXPECT_EQ(ListingView().Displayed, "R: 00000001\r\nInverted: 0000FFFE\r\n");
    EXPECT_EQ(ScriptView().Reads, reads + 1);
    EXPECT_EQ(ListingView().Appends, appends + 1);  // the view takes the run's lines at once
    EXPECT_EQ(platform.ActiveWindow(), &ListingWindow());
}

TEST_F(CommandTest, FailedRunStopsAtTheLineAndPutsTheCaretThere) {
    std::string script;
    for (int line = 0; line < 5; ++line)
        script += line == 3 ? "SWP 5\r\n" : "EQU2 01 'L" + std::to_string(line) + "'\r\n";
    OpenScript(temp.Write("five.vts", script));
    ScriptWindow().Hide();
    Choose(Main(), {"&Окна", "&Прошивка"});

    Press(FirmwareWindow(), 120);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"'$' is not a valid integer value."});
    EXPECT_EQ(ListingView().Displayed, "L0: 00000000\r\nL1: 00000000\r\nL2: 00000000\r\n");
    EXPECT_EQ(ScriptView().Caret, script.find("SWP 5"));
    EXPECT_FALSE(ScriptWindow().Visible());
    EXPECT_EQ(platform.ActiveWindow(), &FirmwareWindow());
}

TEST_F(CommandTest, SaveWritesOnlyOverTheLoadedFile) {
    ScriptView().TypeText("INV2 01\r\n");
    Choose(ScriptWindow(), {"Сохранить скрипт"});
    EXPECT_EQ(Boxes(),
              std::vector<std::string>{Ru("Скрипт не сохранён: сначала откройте файл скрипта.")});
    EXPECT_TRUE(std::filesystem::is_empty(temp.Root()));

    const std::string file = temp.Write("s.vts", "SWP 01\nINV2 02");
    OpenScript(file);
    ScriptView().TypeText("\r\nEQU2 02 'x'");
    Choose(ScriptWindow(), {"Сохранить скрипт"});
    EXPECT_EQ(TempDir::Read(file), "SWP 01\r\nINV2 02\r\nEQU2 02 'x'");
    EXPECT_EQ(platform.MessageBoxes.size(), 1u);
}

TEST_F(CommandTest, ErrorHandlerShowsWhatEndedTheCommand) {
    const auto boxFor = [&](const std::function<void()>& command) {
        platform.MessageBoxes.clear();
        const bool completed = MainUnit::RunCommand(platform, command);
        EXPECT_EQ(completed, platform.MessageBoxes.empty());
        return platform.MessageBoxes.empty() ? std::string("<none>") : Boxes().at(0);
    };
    EXPECT_EQ(boxFor([] { throw Exception("File not found"); }), "File not found.");
    EXPECT_EQ(boxFor([] { throw std::bad_alloc(); }), "Out of memory.");
    EXPECT_EQ(boxFor([] { throw std::runtime_error("boom"); }), "boom.");
    EXPECT_EQ(boxFor([] {}), "<none>");
}

}  // namespace
