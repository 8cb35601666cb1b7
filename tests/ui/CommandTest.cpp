// Every command with its success and failure paths, and the default error handler.
#include <filesystem>
#include <fstream>
#include <new>
#include <stdexcept>

#include "Errors.h"
#include "FormFixture.h"
#include "HexUnit.h"
#include "RunUnit.h"

namespace {

class CommandTest : public FormTest {
  protected:
    void SetUp() override { Start(); }
};

// The 18-byte image whose dump is known: a full row and a row of two bytes.
const std::string Image18(
    "\x01\x23\x45\x67\x89\xAB\xCD\xEF\x00\xFF\x10\x20\x30\x40\x50\x60\x7F\x80", 18);
const std::string Header18 = "           00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ";
const std::string Rows18 =
    "00000000 | 01 23 45 67 89 AB CD EF 00 FF 10 20 30 40 50 60 \r\n00000010 | 7F 80 \r\n";

TEST_F(CommandTest, OpenScriptLoadsShowsAndNamesTheFile) {
    RunUnit::RegisterFile[0] = 7;
    Listing().Add("old listing");
    ScriptWindow().Hide();
    const std::string file = temp.Write("a.vts", "SET2E 01 0010\nEQU2 01 'R'");
    OpenScript(file);
    EXPECT_EQ(Script().Text(), "SET2E 01 0010\r\nEQU2 01 'R'");
    EXPECT_EQ(ScriptView().Displayed, Script().Text());
    EXPECT_TRUE(ScriptWindow().Visible());
    EXPECT_EQ(platform.ActiveWindow(), &ScriptWindow());
    EXPECT_EQ(ScriptPanel(), Ru("СКРИПТ ЗАГРУЖЕН:   ") + file);
    EXPECT_EQ(MainUnit::ScriptFileName, file);
    // Loading runs nothing.
    EXPECT_EQ(RunUnit::RegisterFile[0], 7);
    EXPECT_EQ(Listing().Get(0), "old listing");

    // The script window's item does exactly the same, and the dialog offers the last path.
    const std::string other = temp.Write("b.vts", "INV2 01\r\n");
    ScriptWindow().Hide();
    ScriptWindow().Show();
    platform.DialogAnswers.push_back(other);
    Choose(ScriptWindow(), {"Открыть скрипт"});
    EXPECT_EQ(Script().Text(), "INV2 01\r\n");
    EXPECT_EQ(ScriptPanel(), Ru("СКРИПТ ЗАГРУЖЕН:   ") + other);
    EXPECT_EQ(MainUnit::ScriptFileName, other);
    EXPECT_EQ(platform.DialogOffers, (std::vector<std::filesystem::path>{"", file}));
    EXPECT_TRUE(platform.MessageBoxes.empty());
}

TEST_F(CommandTest, NamesTheCodePageLacksOpenAndSaveTheirOwnFiles) {
    // "??" is how the code page shows both names; a file of that name stays untouched.
    const std::string decoy = temp.Write("??.vts", "decoy");
    const auto script = temp.Root() / std::filesystem::path(u8"日本.vts");
    std::ofstream(script, std::ios::binary) << "PTR 0000 'x'\r\n";
    const auto image = temp.Root() / std::filesystem::path(u8"固件.bin");
    std::ofstream(image, std::ios::binary) << Image18;

    OpenScript(script);
    EXPECT_EQ(Script().Text(), "PTR 0000 'x'\r\n");
    EXPECT_EQ(MainUnit::ScriptFileName, script);
    EXPECT_TRUE(ScriptPanel().ends_with("/??.vts") || ScriptPanel().ends_with("\\??.vts"));
    Script().SetText("INV2 01\r\n");
    Choose(ScriptWindow(), {"Сохранить скрипт"});
    EXPECT_EQ(TempDir::Read(script), "INV2 01\r\n");
#ifndef _WIN32  // Windows names cannot hold '?'
    EXPECT_EQ(TempDir::Read(decoy), "decoy");
#endif

    OpenFirmware(image);
    EXPECT_EQ(HexUnit::ImageSize, 18u);
    EXPECT_TRUE(FirmwarePanel().ends_with("??.bin"));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(CommandTest, FailedOrCancelledScriptOpenChangesNothing) {
    const std::string file = temp.Write("good.vts", "SWP 01\r\n");
    OpenScript(file);
    ScriptView().TypeText("INV2 01");
    ScriptWindow().Hide();

    Choose(Main(), {"&Файл", "&Открыть скрипт..."});  // no answer queued: cancelled
    const std::string missing = temp.Path("missing.vts");
    OpenScript(missing);

    // Only the failed open shows a box; the view keeps the edited text the save would write.
    ASSERT_EQ(Boxes().size(), 1u);
    const std::string text = Boxes()[0];
    EXPECT_EQ(text.rfind("Cannot open file \"", 0), 0u) << text;
    EXPECT_NE(text.find(std::filesystem::absolute(missing).string()), std::string::npos) << text;
    EXPECT_EQ(text.back(), '.');
    EXPECT_EQ(Script().Text(), "SWP 01\r\nINV2 01");
    EXPECT_FALSE(ScriptWindow().Visible());
    EXPECT_EQ(ScriptPanel(), Ru("СКРИПТ ЗАГРУЖЕН:   ") + file);
    EXPECT_EQ(MainUnit::ScriptFileName, file);
    // The dialog keeps the path chosen last, even when its load failed.
    EXPECT_EQ(platform.DialogOffers.back(), file);
    platform.DialogAnswers.push_back(std::nullopt);
    Choose(Main(), {"&Файл", "&Открыть HEX-файл..."});
    EXPECT_EQ(platform.DialogOffers.back(), missing);
}

TEST_F(CommandTest, OpenFirmwareFillsTheDumpWithoutShowingIt) {
    DumpView().TypeText("typed into the dump");
    FirmwareWindow().Hide();
    const std::string file = temp.Write("fw.bin", Image18);
    OpenFirmware(file);
    EXPECT_EQ(Header(), Header18);
    EXPECT_EQ(DumpView().Displayed(), Rows18);
    EXPECT_EQ(Dump().Text(), "");  // the typed text is gone
    EXPECT_EQ(FirmwarePanel(), Ru("HEX-ФАЙЛ ЗАГРУЖЕН:   ") + file);
    EXPECT_FALSE(FirmwareWindow().Visible());
    EXPECT_EQ(HexUnit::ImageSize, 18u);
    EXPECT_EQ(Script().Count() + Listing().Count(), 0);

    // The firmware window's item does the same; an empty file has a header and no rows.
    const std::string empty = temp.Write("empty.bin", "");
    FirmwareWindow().Show();
    platform.DialogAnswers.push_back(empty);
    Choose(FirmwareWindow(), {"Открыть HEX-файл"});
    EXPECT_EQ(Header(), Header18);
    EXPECT_EQ(DumpView().Displayed(), "");
    EXPECT_EQ(FirmwarePanel(), Ru("HEX-ФАЙЛ ЗАГРУЖЕН:   ") + empty);
    EXPECT_TRUE(platform.MessageBoxes.empty());
}

TEST_F(CommandTest, TheDumpIsDrawnFromTheImageAndTypingNeverReachesIt) {
    std::string image;
    for (int i = 0; i < 5000; ++i) image += char(i * 7 + i / 256);
    OpenFirmware(temp.Write("big.bin", image));
    std::string rows;
    HexUnit::AppendDumpRows(rows, 0, HexUnit::DumpRowCount(), "\r\n");
    const uint32_t page = DumpView().Cursor.PageLines();
    ASSERT_GT(page, 20u);
    EXPECT_EQ(Dump().Text(), "");  // nothing is built for the screen
    std::string firstPage;
    for (size_t at = 0, line = 0; line < page; ++line) {
        const size_t next = rows.find("\r\n", at) + 2;
        firstPage += rows.substr(at, next - at);
        at = next;
    }
    firstPage.resize(firstPage.size() - 2);
    EXPECT_EQ(DumpView().Displayed(), firstPage);

    // The first edit turns the whole dump into text; the image stays as loaded.
    DumpView().TypeText("EQU16 01 'x'");
    EXPECT_EQ(Dump().Text(), "EQU16 01 'x'" + rows);
    Script().SetText("SET2E 01 0010\r\nEQU16 01 'Bytes'\r\n");
    Choose(Main(), {"&Выполнение F9"});
    EXPECT_EQ(Listing().Get(0), "Bytes: " + image.substr(16, 16));

    // The next load shows rows again.
    OpenFirmware(temp.Write("fw.bin", Image18));
    EXPECT_EQ(DumpView().Displayed(), Rows18);
    EXPECT_EQ(Dump().Text(), "");
}

TEST_F(CommandTest, FailedOrCancelledFirmwareOpenKeepsTheDump) {
    OpenFirmware(temp.Write("fw.bin", Image18));
    const std::string panel = FirmwarePanel();
    platform.DialogAnswers.push_back(std::nullopt);
    Choose(Main(), {"&Файл", "&Открыть HEX-файл..."});
    OpenFirmware(temp.Path("missing.bin"));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"File not found."});
    EXPECT_EQ(Header(), Header18);
    EXPECT_EQ(DumpView().Displayed(), Rows18);
    EXPECT_EQ(FirmwarePanel(), panel);
    EXPECT_EQ(HexUnit::ImageSize, 18u);
}

TEST_F(FormTest, TextsBeyondTheViewsCapacity) {
    platform.ViewCapacity = 1000;
    Start();
    // A script too long for its view is refused whole; the previous one stays.
    const std::string small = temp.Write("small.vts", "SWP 01\r\n");
    OpenScript(small);
    ScriptWindow().Hide();
    OpenScript(temp.Write("long.vts", std::string(1001, 'x')));
    EXPECT_EQ(Script().Text(), "SWP 01\r\n");
    EXPECT_FALSE(ScriptWindow().Visible());
    EXPECT_EQ(MainUnit::ScriptFileName, small);

    // A dump larger than a text view holds still opens; only typing into it, which would make it
    // a text, is refused, and the rows stay.
    const std::string file = temp.Write("fw.bin", std::string(400, 'A'));
    OpenFirmware(file);
    EXPECT_EQ(FirmwarePanel(), Ru("HEX-ФАЙЛ ЗАГРУЖЕН:   ") + file);
    const std::string shown = DumpView().Displayed();
    DumpView().TypeText("x");
    EXPECT_EQ(Dump().Text(), "");
    EXPECT_FALSE(DumpView().Edited());
    EXPECT_EQ(DumpView().Displayed(), shown);
    EXPECT_EQ(Boxes(), std::vector<std::string>(2, "Text exceeds memo capacity."));
}

TEST_F(CommandTest, RunsReplaceTheListingAndKeepTheRegisters) {
    Choose(Main(), {"&Выполнение F9"});  // empty script: cleared, nothing run, shown
    EXPECT_EQ(Listing().Count(), 0);
    EXPECT_EQ(platform.ActiveWindow(), &ListingWindow());

    OpenScript(temp.Write("inc.vts", "INC2 01 01\r\nEQU2 01 'R'\r\n"));
    Press(Main(), 120);
    EXPECT_EQ(Listing().Text(), "R: 00000001\r\n");
    ListingWindow().Hide();
    Press(Main(), 120);
    EXPECT_EQ(Listing().Text(), "R: 00000002\r\n");
    EXPECT_TRUE(ListingWindow().Visible());
    EXPECT_EQ(platform.ActiveWindow(), &ListingWindow());

    // An unsaved edit in the script view is what the next run executes.
    // The run fetches the edited text from the view once, not once per line read.
    ScriptView().TypeText("INV2 01\r\nEQU2 01 'Inverted'\r\n");
    const int reads = ScriptView().Reads;
    Press(ScriptWindow(), 120);
    EXPECT_EQ(Listing().Text(), "R: 00000003\r\nInverted: 0000FFFC\r\n");
    EXPECT_EQ(ScriptView().Reads, reads + 1);
    EXPECT_TRUE(platform.MessageBoxes.empty());
}

TEST_F(CommandTest, FailedRunStopsAtTheLineAndPutsTheCaretThere) {
    std::string script;
    for (int line = 0; line < 10; ++line)
        script += line == 5 ? "SWP 5\r\n" : "EQU2 01 'L" + std::to_string(line) + "'\r\n";
    OpenScript(temp.Write("ten.vts", script));
    ScriptWindow().Hide();
    Choose(Main(), {"&Окна", "&Прошивка"});
    const std::vector<MemoryWindow*> stacking = platform.StackingOrder();

    Press(FirmwareWindow(), 120);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"'$' is not a valid integer value."});
    EXPECT_EQ(Listing().Text(),
              "L0: 00000000\r\nL1: 00000000\r\nL2: 00000000\r\nL3: 00000000\r\nL4: 00000000\r\n");
    EXPECT_EQ(ScriptView().Caret, script.find("SWP 5"));
    EXPECT_FALSE(ScriptWindow().Visible());
    EXPECT_EQ(platform.StackingOrder(), stacking);
    EXPECT_EQ(platform.ActiveWindow(), &FirmwareWindow());

    // The loop goes on: the next command works as usual.
    Choose(Main(), {"&Окна", "&Скрипт"});
    EXPECT_TRUE(ScriptWindow().Visible());
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

    // A file that can no longer be created: the error box, and the text stays in the view.
    std::filesystem::create_directory(temp.Path("sub"));
    const std::string inFolder = temp.Write("sub/t.vts", "SWP 01\r\n");
    OpenScript(inFolder);
    std::filesystem::remove_all(temp.Path("sub"));
    Choose(ScriptWindow(), {"Сохранить скрипт"});
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[1].rfind("Cannot create file \"", 0), 0u) << Boxes()[1];
    EXPECT_FALSE(std::filesystem::exists(inFolder));
    EXPECT_EQ(Script().Text(), "SWP 01\r\n");
}

TEST_F(CommandTest, ErrorBoxShowsTheMessageWithTheFullStopRule) {
    const auto boxFor = [&](const std::function<void()>& command) {
        platform.MessageBoxes.clear();
        MainUnit::RunCommand(platform, command);
        return platform.MessageBoxes.empty() ? std::string("<none>") : Boxes().at(0);
    };
    EXPECT_EQ(boxFor([] { throw Exception("File not found"); }), "File not found.");
    EXPECT_EQ(boxFor([] { throw Exception("Ends with a stop."); }), "Ends with a stop.");
    EXPECT_EQ(boxFor([] { throw Exception("(x)"); }), "(x)");  // ")" lies below "."
    EXPECT_EQ(boxFor([] { throw Exception(""); }), "");
    EXPECT_EQ(boxFor([] { throw Exception(Ru("не загружен")); }), Ru("не загружен."));
    EXPECT_EQ(boxFor([] { throw std::bad_alloc(); }), "Out of memory.");
    EXPECT_EQ(boxFor([] { throw std::runtime_error("boom"); }), "boom.");
    EXPECT_EQ(boxFor([] {}), "<none>");
}

}  // namespace
