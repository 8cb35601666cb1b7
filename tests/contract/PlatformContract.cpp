#include "PlatformContract.h"

#include <stdexcept>
#include <vector>

#include "Cp1251.h"
#include "Keys.h"
#include "LineList.h"
#include "RowEditor.h"

namespace {

const Platform::Font Courier = {
    .Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {255, 255, 0}};

// "row 0" to "row N-1", counting how many rows were asked for.
struct NumberedRows : Platform::RowSource {
    explicit NumberedRows(uint64_t count) : Count(count) {}
    uint64_t RowCount() const override { return Count; }
    std::string Row(uint64_t row) const override {
        ++Drawn;
        return "row " + std::to_string(row);
    }
    uint64_t BytesOf(uint64_t, uint64_t count) const override { return count; }
    uint64_t Count;
    mutable uint64_t Drawn = 0;
};

// The program's error handler as a test sees it: it counts its calls and stops the action's
// error, or refuses to run the action at all.
struct CountingGuard {
    bool Refuse = false;
    int Calls = 0;
    bool operator()(const std::function<void()>& action) {
        ++Calls;
        try {
            if (!Refuse) action();
        } catch (const std::exception&) {
            return false;
        }
        return !Refuse;
    }
};

constexpr Platform::KeyPress Down{.VirtualKey = Keys::Down};
constexpr Platform::KeyPress CtrlEnd{.VirtualKey = Keys::End, .Ctrl = true};

// A sizeable tool window with no caption buttons.
std::unique_ptr<Platform::Window> NewWindow(BackendProbe& probe, const std::string& caption) {
    return probe.platform().NewWindow({.Caption = caption, .Width = 400, .Height = 300});
}

void Show(BackendProbe& probe, Platform::Window& window) {
    window.Show();
    probe.ProcessEvents();
}

std::unique_ptr<Platform::Window> ShownWindow(BackendProbe& probe, const std::string& caption) {
    auto window = NewWindow(probe, caption);
    Show(probe, *window);
    return window;
}

// A shown window whose text view shows Lines.
struct ShownText {
    explicit ShownText(BackendProbe& probe) : Window(NewWindow(probe, "text")) {
        View = &Window->AddTextView(
            {.Where = {.FillClient = true}, .Background = {}, .Font = Courier}, Lines);
        Show(probe, *Window);
    }

    LineList Lines;
    std::unique_ptr<Platform::Window> Window;  // after the list its view is bound to
    Platform::TextView* View;
};

// A shown window with a row view over `count` numbered rows, as the firmware window has; the
// guard is the program's error handler.
struct ShownRows {
    ShownRows(BackendProbe& probe, uint64_t count)
        : Probe(probe),
          Source(count),
          Editor(Source, probe.platform()),
          Window(NewWindow(probe, "rows")) {
        probe.platform().SetErrorHandler(std::ref(Guard));
        const Platform::Placement underHeader = {
            .Top = 25, .Width = 613, .Height = 434, .AnchorBottom = true};
        View =
            &Window->AddRowView({.Where = underHeader, .Background = {}, .Font = Courier}, Editor);
        Show(probe, *Window);
    }
    std::string Displayed() { return Probe.DisplayedText(*View); }
    void Press(Platform::KeyPress key) { Probe.PressKey(*View, key); }
    void Type(const std::string& text) { Probe.TypeText(*View, text); }

    BackendProbe& Probe;
    NumberedRows Source;
    CountingGuard Guard;
    RowEditor Editor;
    std::unique_ptr<Platform::Window> Window;  // after what its view refers to
    Platform::RowView* View;
};

}  // namespace

TEST_P(PlatformContract, RowViewDrawsOnlyTheRowsOnScreen) {
    ShownRows rows(*probe, 1'000'000);
    EXPECT_TRUE(rows.Displayed().starts_with("row 0\r\nrow 1\r\n"));
    rows.Press(CtrlEnd);
    // The last row, then the empty line after it, as in a text where every row ends a line.
    EXPECT_TRUE(rows.Displayed().ends_with("row 999999\r\n"));
    EXPECT_LT(rows.Source.Drawn, 100'000u);  // a few screens, not the million rows
}

TEST_P(PlatformContract, RowViewSelectionIsCopied) {
    ShownRows rows(*probe, 5);
    rows.Press(Down);
    for (uint8_t key : {Keys::Down, Keys::End}) rows.Press({.VirtualKey = key, .Shift = true});
    rows.Press({.VirtualKey = 'C', .Ctrl = true});
    EXPECT_EQ(probe->Clipboard(), "row 1\r\nrow 2");
}

TEST_P(PlatformContract, RowViewTypesAndPastesAtTheCaret) {
    ShownRows rows(*probe, 3);
    rows.Press(Down);
    rows.Type("\xC0Y");
    rows.Press({.VirtualKey = Keys::End, .Shift = true});  // the rest of the line
    rows.Press({.VirtualKey = 'X', .Ctrl = true});
    rows.Press(Down);
    rows.Press({.VirtualKey = Keys::Home});
    rows.Press({.VirtualKey = 'V', .Ctrl = true});
    EXPECT_EQ(rows.Displayed(), "row 0\r\n\xC0Y\r\nrow 1row 2\r\n");
}

TEST_P(PlatformContract, RowViewContextMenuNamesTheCommandsAndKeys) {
    ShownRows rows(*probe, 3);
    EXPECT_EQ(probe->ContextMenu(*rows.View),
              (std::vector<std::string>{"\xCA\xEE\xEF\xE8\xF0\xEE\xE2\xE0\xF2\xFC\tCtrl+C",
                                        "\xC2\xFB\xE4\xE5\xEB\xE8\xF2\xFC \xE2\xF1\xB8\tCtrl+A"}));
}

TEST_P(PlatformContract, PromptOffersItsTextAndReturnsTheAnswer) {
    Platform::Desktop& desktop = probe->platform();
    probe->AnswerPrompt({});
    EXPECT_EQ(desktop.Prompt("Find", "7F 45"), "7F 45");
    probe->AnswerPrompt({.Typed = "'\xC0\xFF'"});  // single-byte text both ways
    EXPECT_EQ(desktop.Prompt("Find", "7F 45"), "'\xC0\xFF'");
    probe->AnswerPrompt({.Accept = false});
    EXPECT_EQ(desktop.Prompt("Find", "7F 45"), std::nullopt);
}

TEST_P(PlatformContract, ShowRaisesAndActivatesTheWindow) {
    auto first = ShownWindow(*probe, "first"), second = ShownWindow(*probe, "second");
    Show(*probe, *first);
    EXPECT_EQ(probe->ActiveWindow(), first.get());
    EXPECT_TRUE(probe->IsAbove(*first, *second));
    second->Hide();  // a hidden window comes back on top too
    probe->ProcessEvents();
    Show(*probe, *second);
    EXPECT_EQ(probe->ActiveWindow(), second.get());
    EXPECT_TRUE(probe->IsAbove(*second, *first));
}

TEST_P(PlatformContract, PlaceTakesNegativeCoordinates) {
    auto window = NewWindow(*probe, "placed");
    window->Place(-79, 119);
    Show(*probe, *window);
    EXPECT_EQ(window->Left(), -79);
    EXPECT_EQ(window->Top(), 119);
}

TEST_P(PlatformContract, CloseRequestsGoToTheHandler) {
    auto window = ShownWindow(*probe, "tool");
    int closeRequests = 0;
    window->OnCloseRequest([&] {
        ++closeRequests;
        window->Hide();
    });
    probe->RequestClose(*window);  // the platform's close request
    window->Close();               // the program's own
    probe->ProcessEvents();
    EXPECT_EQ(closeRequests, 2);
}

TEST_P(PlatformContract, ListChangesAppearInTheView) {
    ShownText text(*probe);
    text.Lines.Add("first");
    text.Lines.Add("\xC0\xFF second");  // single-byte text survives unchanged
    EXPECT_EQ(probe->DisplayedText(*text.View), "first\r\n\xC0\xFF second\r\n");
    text.Lines.SetText("a\r\nb");
    text.Lines.Add("c");
    EXPECT_EQ(probe->DisplayedText(*text.View), "a\r\nb\r\nc");
}

TEST_P(PlatformContract, BatchReachesTheViewWhenItClosesAlsoByAnError) {
    ShownText text(*probe);
    text.Lines.Add("before");
    try {
        LineList::Batch batch(text.Lines);
        text.Lines.Clear();
        for (int line = 0; line < 3; ++line) text.Lines.Add("line " + std::to_string(line));
        throw std::runtime_error("the run fails");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(probe->DisplayedText(*text.View), "line 0\r\nline 1\r\nline 2\r\n");
}

TEST_P(PlatformContract, TypingIsSeenByTheNextRead) {
    ShownText text(*probe);
    text.Lines.Add("SET2E 01 0010");
    probe->TypeText(*text.View, "EQU2 01 'R1'\r\nINV2 01");
    EXPECT_EQ(text.Lines.Text(), "SET2E 01 0010\r\nEQU2 01 'R1'\r\nINV2 01");
}

TEST_P(PlatformContract, KeysReachTheHandlerFromEveryWindow) {
    std::vector<Platform::KeyPress> received;
    probe->platform().SetKeyHandler([&](const Platform::KeyPress& key) {
        received.push_back(key);
        return true;
    });
    ShownText text(*probe);
    auto plain = ShownWindow(*probe, "plain");
    const Platform::KeyPress shiftF3{.VirtualKey = Keys::F3, .Shift = true},
        ctrlAltF9{.VirtualKey = Keys::F9, .Ctrl = true, .Alt = true};
    probe->PressKey(*plain, shiftF3);
    probe->PressKey(*text.Window, ctrlAltF9);  // the text view has the focus
    EXPECT_EQ(received, (std::vector<Platform::KeyPress>{shiftF3, ctrlAltF9}));
    probe->platform().SetKeyHandler(nullptr);
}

TEST_P(PlatformContract, KeyHandlerRunsInsideTheErrorHandler) {
    CountingGuard guard;
    probe->platform().SetErrorHandler(std::ref(guard));
    probe->platform().SetKeyHandler(
        [](const Platform::KeyPress&) -> bool { throw std::runtime_error("failed"); });
    probe->PressKey(*ShownWindow(*probe, "plain"), {.VirtualKey = Keys::F9});
    EXPECT_EQ(guard.Calls, 1);  // and the error did not escape
    probe->platform().SetKeyHandler(nullptr);
    probe->platform().SetErrorHandler(nullptr);
}

TEST_P(PlatformContract, QuestionShowsItsTextAndAnswersByTheRussianButtonsYesByDefault) {
    using enum Platform::Desktop::Answer;
    const std::pair<const char*, Platform::Desktop::Answer> presses[] = {
        {"Да", Yes}, {"Нет", No}, {"Отмена", Cancel}, {"", Yes}};
    const std::string text = Cp1251::FromUtf8("Сохранить изменения в скрипте «a.vts»?");
    for (const auto& [button, answer] : presses) {
        SCOPED_TRACE(button);
        probe->AnswerNextQuestion(Cp1251::FromUtf8(button));
        EXPECT_EQ(probe->platform().Ask("Vantrel", text), answer);
        EXPECT_EQ(probe->LastQuestion(), text);
    }
}

TEST_P(PlatformContract, ProgressShowsItsTextsAndCancelReachesTheNextUpdate) {
    auto progress = probe->platform().ShowProgress("fw.bin");
    EXPECT_TRUE(progress->Update("1 %", 1));
    EXPECT_EQ(probe->ProgressShown(), "fw.bin\r\n1 %\r\n" + Cp1251::FromUtf8("Отмена"));
    probe->CancelProgress();
    EXPECT_FALSE(progress->Update("2 %", 2));
    progress.reset();
    EXPECT_EQ(probe->ProgressShown(), "");
}

TEST_P(PlatformContract, WhileProgressIsUpTheOtherWindowsTakeNoKeys) {
    int presses = 0;
    probe->platform().SetKeyHandler([&](const Platform::KeyPress&) { return ++presses > 0; });
    auto window = ShownWindow(*probe, "plain");
    auto progress = probe->platform().ShowProgress("fw.bin");
    progress->Update("", std::nullopt);
    probe->PressKey(*window, {.VirtualKey = Keys::F9});
    progress->Update("", std::nullopt);
    EXPECT_EQ(presses, 0);
    progress.reset();
    probe->PressKey(*window, {.VirtualKey = Keys::F9});
    EXPECT_EQ(presses, 1);
    probe->platform().SetKeyHandler(nullptr);
}
