// Going to an address and finding bytes in the dump, through the prompts and the view's keys.
#include "FormFixture.h"
#include "Keys.h"

namespace {

class DumpSearch : public FormTest {
  protected:
    // 0x40 bytes: "\x7F" "EL" at 0x05 and again across the row break at 0x1E.
    void SetUp() override {
        FormTest::SetUp();
        std::string image(0x40, '\0');
        image.replace(0x05, 3,
                      "\x7F"
                      "EL");
        image.replace(0x1E, 3,
                      "\x7F"
                      "EL");
        OpenFirmware(temp.Write("fw.bin", image));
    }
    // Answers the next prompt with `typed` and presses Ctrl and `key` in the dump.
    void Ask(uint8_t key, const std::optional<std::string>& typed) {
        if (typed) platform.AnswerPrompt({.Typed = *typed});
        DumpView().Editor.Key({.VirtualKey = key, .Ctrl = true});
    }
    static RowPoint Caret() { return DumpView().Editor.Caret(); }
    static RowPoint Anchor() { return DumpView().Editor.Anchor(); }
};

TEST_F(DumpSearch, GoToPutsTheCaretBeforeTheBytesDigits) {
    for (const char* address : {"0x23", " 23h ", "23"}) {
        Ask('G', address);
        EXPECT_EQ(Caret(), (RowPoint{2, 11 + 3 * 3})) << address;
    }
    // The prompt offers the address entered last.
    EXPECT_EQ(platform.Prompts.back(), std::make_pair(Ru("Перейти к адресу"), std::string("23h")));
    // A line typed above the rows moves them down; the address still finds its row.
    DumpView().Editor.Key({.VirtualKey = Keys::Home, .Ctrl = true});
    DumpView().Editor.Key({.VirtualKey = Keys::Return});
    Ask('G', "3F");
    EXPECT_EQ(Caret(), (RowPoint{4, 11 + 3 * 15}));
}

TEST_F(DumpSearch, GoToRefusesWhatIsNoAddressInTheFile) {
    Ask('G', "10");
    for (const char* address : {"40", "123456789", "xyz", "0x"}) Ask('G', address);
    EXPECT_EQ(platform.Messages,
              (std::vector<std::string>{Ru("Адрес 00000040 за концом файла (размер 00000040)."),
                                        Ru("Адрес 123456789 за концом файла (размер 00000040)."),
                                        Ru("Адрес «xyz» не шестнадцатеричное число."),
                                        Ru("Адрес «0x» не шестнадцатеричное число.")}));
    EXPECT_EQ(Caret(), (RowPoint{1, 11}));
}

TEST_F(DumpSearch, FindSelectsFromTheCaretOnAndWrapsOnce) {
    Ask('F', "7f 454C");
    EXPECT_EQ(Caret(), (RowPoint{0, 11 + 3 * 5}));
    EXPECT_EQ(Anchor(), (RowPoint{0, 11 + 3 * 7 + 2}));
    Ask('N', std::nullopt);  // find next: no prompt, the selection crosses the row break
    EXPECT_EQ(Caret(), (RowPoint{1, 11 + 3 * 14}));
    EXPECT_EQ(Anchor(), (RowPoint{2, 11 + 2}));
    EXPECT_EQ(DumpView().Editor.SelectedText(), "7F 45 \r\n00000020 | 4C");
    Ask('F', "'EL'");  // text, from after the caret's byte
    EXPECT_EQ(Caret(), (RowPoint{1, 11 + 3 * 15}));
    EXPECT_EQ(platform.Prompts.back().second, "7f 454C");  // the last pattern is offered
    Ask('N', std::nullopt);                                // round past the end, once
    EXPECT_EQ(Caret(), (RowPoint{0, 11 + 3 * 6}));
    EXPECT_TRUE(platform.Messages.empty());
}

TEST_F(DumpSearch, FindReportsWhatItCannotFindOrRead) {
    Ask('G', "8");
    for (const char* pattern : {"7F 7F", "7 F", "'"}) Ask('F', pattern);
    EXPECT_EQ(
        platform.Messages,
        (std::vector<std::string>{Ru("Не найдено: 7F 7F."),
                                  Ru("«7 F» не шестнадцатеричные байты и не текст в апострофах."),
                                  Ru("«'» не шестнадцатеричные байты и не текст в апострофах.")}));
    EXPECT_EQ(Caret(), (RowPoint{0, 11 + 3 * 8}));
}

TEST_F(DumpSearch, ContextMenuRunsTheCommandsAsTheirKeysDo) {
    platform.AnswerPrompt({.Typed = "1E"});
    const auto menu = DumpView().Editor.ContextMenu();
    ASSERT_EQ(menu.size(), 5u);
    const int repaints = DumpView().Repaints;
    menu[2].Command();
    EXPECT_EQ(Caret(), (RowPoint{1, 11 + 3 * 14}));
    EXPECT_GT(DumpView().Repaints, repaints);
}

}  // namespace
