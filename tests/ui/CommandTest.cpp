// The commands' success and failure paths, and the program's error handler.
#include <filesystem>
#include <new>
#include <stdexcept>

#include "FormFixture.h"
#include "HexUnit.h"

namespace {

TEST_F(FormTest, OpenScriptShowsTheFileAndABadOrCancelledOneChangesNothing) {
    const std::string file = temp.Write("a.vts", "SWP 01\r\n");
    platform.DialogAnswers.push_back(file);
    Choose(ScriptWindow(), {"Открыть скрипт"});
    EXPECT_EQ(platform.ActiveWindow(), &ScriptWindow());
    Choose(Main(), {"&Файл", "&Открыть скрипт..."});  // no answer queued: cancelled
    OpenScript(temp.Path("missing.vts"));
    EXPECT_EQ(platform.Messages.size(), 1u);
    EXPECT_EQ(ScriptView().Displayed, "SWP 01\r\n");
    EXPECT_EQ(MainUnit::MainForm->ScriptLoadedPanel->Text(), Ru("СКРИПТ ЗАГРУЖЕН:   ") + file);
}

TEST_F(FormTest, OpenFirmwareShowsTheRowsFromTheTopAndABadOneChangesNothing) {
    DumpView().Editor.Type("typed into the dump");
    const std::string file = temp.Write("fw.bin", "\x01\x7F");
    OpenFirmware(file);
    OpenFirmware(temp.Path("missing.bin"));
    EXPECT_EQ(FirmwareUnit::FirmwareForm->FirstStringStaticText->Text(), HexUnit::DumpHeader());
    EXPECT_EQ(DumpView().Displayed(), "00000000 | 01 7F \r\n");  // rows again, not the text
    EXPECT_EQ(MainUnit::MainForm->FirmwareLoadedPanel->Text(), Ru("HEX-ФАЙЛ ЗАГРУЖЕН:   ") + file);

    // The window's own item opens too, and every row of a large image is there.
    platform.DialogAnswers.push_back(temp.Write("big.bin", std::string(5000, 'A')));
    Choose(FirmwareWindow(), {"Открыть HEX-файл"});
    EXPECT_EQ(DumpView().Editor.LineCount(), 314u);  // 313 rows and the empty line after
}

TEST_F(FormTest, RunErrorPutsTheCaretOnTheFailingLine) {
    OpenScript(temp.Write("f.vts", "EQU2 01 'L0'\r\nSWP 5\r\nEQU2 01 'L2'\r\n"));
    Choose(Main(), {"&Выполнение F9"});
    EXPECT_EQ(ScriptView().CaretLine, 1);
}

TEST_F(FormTest, SaveWritesOnlyOverTheFileLoadedSinceTheStart) {
    const std::string file = temp.Write("s.vts", "SWP 01\n");
    OpenScript(file);
    ScriptView().TypeText("INV2 02");
    Choose(ScriptWindow(), {"Сохранить скрипт"});
    EXPECT_EQ(TempDir::Read(file), "SWP 01\nINV2 02");  // with the file's own line ends

    Program::ShutDown();
    EXPECT_EQ(MainUnit::ScriptFileName, "");
    Start();
    Choose(ScriptWindow(), {"Сохранить скрипт"});
    EXPECT_EQ(platform.Messages,
              std::vector<std::string>{Ru("Скрипт не сохранён: сначала откройте файл скрипта.")});
}

TEST_F(FormTest, UnsavedScriptEditsAreAskedAboutBeforeClosingOrOpeningAnother) {
    using enum Platform::Desktop::Answer;
    const std::string file = temp.Write("s.vts", "SWP 01"), other = temp.Write("t.vts", "INV2 02");
    OpenScript(file);
    platform.RequestClose(Main());  // nothing changed: the program ends at once
    EXPECT_TRUE(platform.Questions.empty());
    EXPECT_TRUE(platform.LoopEnded);

    platform.LoopEnded = false;
    ScriptView().TypeText("\r\nINV2 02");
    platform.Answers = {Cancel, Cancel, No};
    platform.RequestClose(Main());
    OpenScript(other);  // cancelled before its file dialog
    EXPECT_EQ(platform.DialogAnswers.size(), 1u);
    platform.DialogAnswers.clear();
    OpenScript(other);  // not saved, and opened
    EXPECT_FALSE(platform.LoopEnded);
    EXPECT_EQ(platform.Questions,
              std::vector<std::string>(3, Ru("Сохранить изменения в скрипте «") + file + Ru("»?")));
    EXPECT_EQ(TempDir::Read(file), "SWP 01");
    EXPECT_EQ(ScriptView().Displayed, "INV2 02");

    // Yes saves, and a failed save keeps the program running.
    ScriptView().TypeText("\r\nSWP 03");
    std::filesystem::remove(other);
    std::filesystem::create_directory(other);
    platform.Answers = {Yes};
    Choose(Main(), {"&Файл", "&Выход"});
    EXPECT_EQ(platform.Messages.size(), 1u);
    EXPECT_FALSE(platform.LoopEnded);
    std::filesystem::remove(other);
    platform.Answers = {Yes};
    Choose(Main(), {"&Файл", "&Выход"});
    EXPECT_EQ(TempDir::Read(other), "INV2 02\r\nSWP 03");
    EXPECT_TRUE(platform.LoopEnded);
    platform.RequestClose(Main());  // saved: nothing to ask
    EXPECT_EQ(platform.Questions.size(), 5u);
}

TEST_F(FormTest, CancelledLoadsLeaveTheImageTheDumpAndTheScriptAsTheyWere) {
    const std::string image = temp.Write("fw.bin", "\x01\x7F"),
                      script = temp.Write("s.vts", "SWP 01");
    OpenFirmware(image);
    OpenScript(script);
    EXPECT_TRUE(platform.ProgressNames.empty());  // quick loads show no progress window

    LoadProgress::Delay = {};
    platform.CancelLoads = true;
    const std::string big = temp.Write("big.bin", std::string(5000, 'A'));
    const std::string other = temp.Write("t.vts", "INV2 02");
    OpenFirmware(big);
    OpenScript(other);
    EXPECT_EQ(platform.ProgressNames, (std::vector<std::string>{big, other}));
    EXPECT_TRUE(platform.Messages.empty());  // the user knows: no error box
    EXPECT_EQ(HexUnit::ImageBytes, (std::vector<uint8_t>{1, 0x7F}));
    EXPECT_EQ(DumpView().Displayed(), "00000000 | 01 7F \r\n");
    EXPECT_EQ(MainUnit::MainForm->FirmwareLoadedPanel->Text(), Ru("HEX-ФАЙЛ ЗАГРУЖЕН:   ") + image);
    EXPECT_EQ(ScriptView().Displayed, "SWP 01");
    EXPECT_EQ(MainUnit::ScriptFileName, script);
}

TEST_F(FormTest, ErrorHandlerShowsWhatEndedTheCommand) {
    EXPECT_FALSE(MainUnit::RunCommand(platform, [] { throw std::bad_alloc(); }));
    EXPECT_FALSE(MainUnit::RunCommand(platform, [] { throw std::runtime_error("boom"); }));
    EXPECT_EQ(platform.Messages, (std::vector<std::string>{"Out of memory.", "boom."}));
}

}  // namespace
