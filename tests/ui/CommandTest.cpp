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
    EXPECT_EQ(ScriptView().Displayed, "INV2 01\r\n");
    EXPECT_EQ(MainUnit::ScriptFileName, other);
    EXPECT_EQ(platform.DialogOffers, (std::vector<std::filesystem::path>{"", file}));
}

TEST_F(CommandTest, FailedOrCancelledOpensChangeNothing) {
    const std::string file = temp.Write("good.vts", "SWP 01\r\n");
    OpenScript(file);
    OpenFirmware(temp.Write("fw.bin", Image18));
    const std::string firmwarePanel = MainUnit::MainForm->FirmwareLoadedPanel->Text();
    ScriptWindow().Hide();

    Choose(Main(), {"&Файл", "&Открыть скрипт..."});  // no answer queued: cancelled
    OpenScript(temp.Path("missing.vts"));
    OpenFirmware(temp.Path("missing.bin"));
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(ScriptView().Displayed, "SWP 01\r\n");
    EXPECT_FALSE(ScriptWindow().Visible());
    EXPECT_EQ(ScriptPanel(), Ru("СКРИПТ ЗАГРУЖЕН:   ") + file);
    EXPECT_EQ(MainUnit::ScriptFileName, file);
    EXPECT_EQ(DumpView().Displayed(), Rows18);
    EXPECT_EQ(MainUnit::MainForm->FirmwareLoadedPanel->Text(), firmwarePanel);
}

TEST_F(CommandTest, OpenFirmwareShowsTheRowsFromTheTopUnderTheHeader) {
    DumpView().TypeText("typed into the dump");
    FirmwareWindow().Hide();
    const std::string file = temp.Write("fw.bin", Image18);
    OpenFirmware(file);
    EXPECT_EQ(FirmwareUnit::FirmwareForm->FirstStringStaticText->Text(), HexUnit::DumpHeader());
    EXPECT_EQ(DumpView().Displayed(), Rows18);
    EXPECT_EQ(DumpView().Text.Lines.Text(), "");  // the typed text is gone
    EXPECT_EQ(MainUnit::MainForm->FirmwareLoadedPanel->Text(), Ru("HEX-ФАЙЛ ЗАГРУЖЕН:   ") + file);
    EXPECT_FALSE(FirmwareWindow().Visible());

    // The window's own item opens too, and the last row of a large image can be reached.
    FirmwareWindow().Show();
    platform.DialogAnswers.push_back(temp.Write("big.bin", std::string(5000, 'A')));
    Choose(FirmwareWindow(), {"Открыть HEX-файл"});
    Press(FirmwareWindow(), 0x23, false, true);  // Ctrl+End
    EXPECT_TRUE(DumpView().Displayed().ends_with("00001380 | 41 41 41 41 41 41 41 41 \r\n"));
}

TEST_F(CommandTest, RunShowsTheListingAndRunsTheEditedScriptInOneAppend) {
    Choose(Main(), {"&Выполнение F9"});  // empty script: nothing run, the listing shown
    EXPECT_EQ(platform.ActiveWindow(), &ListingWindow());

    OpenScript(temp.Write("inc.vts", "INC2 01 01\r\n"));
    ScriptView().TypeText("EQU2 01 'R'\r\nINV2 01\r\nEQU2 01 'Inverted'\r\n");
    const int appends = ListingView().Appends;
    Press(ScriptWindow(), ShortCut::KeyF9);
    EXPECT_EQ(ListingView().Displayed, "R: 00000001\r\nInverted: 0000FFFE\r\n");
    EXPECT_EQ(ListingView().Appends, appends + 1);
    EXPECT_EQ(platform.ActiveWindow(), &ListingWindow());
}

TEST_F(CommandTest, FailedRunPutsTheCaretOnTheFailingLine) {
    const std::string script = "EQU2 01 'L0'\r\nEQU2 01 'L1'\r\nSWP 5\r\nEQU2 01 'L3'\r\n";
    OpenScript(temp.Write("four.vts", script));
    ScriptWindow().Hide();
    Press(FirmwareWindow(), ShortCut::KeyF9);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(ListingView().Displayed, "L0: 00000000\r\nL1: 00000000\r\n");
    EXPECT_EQ(ScriptView().Caret, script.find("SWP 5"));
    EXPECT_FALSE(ScriptWindow().Visible());
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
    EXPECT_TRUE(MainUnit::RunCommand(platform, [] {}));
    EXPECT_FALSE(MainUnit::RunCommand(platform, [] { throw Exception("File not found"); }));
    EXPECT_FALSE(MainUnit::RunCommand(platform, [] { throw std::bad_alloc(); }));
    EXPECT_FALSE(MainUnit::RunCommand(platform, [] { throw std::runtime_error("boom"); }));
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"File not found.", "Out of memory.", "boom."}));
}

}  // namespace
