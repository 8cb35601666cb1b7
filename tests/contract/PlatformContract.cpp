#include "PlatformContract.h"

#include <stdexcept>
#include <vector>

#include "LineList.h"

namespace {

const Platform::Font Courier = {
    .Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {255, 255, 0}};

// "row 0" to "row N-1", counting how many rows were asked for.
class NumberedRows : public Platform::RowSource {
  public:
    explicit NumberedRows(uint64_t count) : count_(count) {}
    uint64_t RowCount() const override { return count_; }
    std::string Row(uint64_t row) const override {
        ++Drawn;
        return "row " + std::to_string(row);
    }
    mutable uint64_t Drawn = 0;

  private:
    uint64_t count_;
};

// The program's error handler as a test sees it: it counts its calls, runs the action unless
// told to refuse, and stops the action's error.
struct CountingGuard {
    bool Refuse = false;
    int Calls = 0;
    bool operator()(const std::function<void()>& action) {
        ++Calls;
        if (Refuse) return false;
        try {
            action();
        } catch (const std::exception&) {
            return false;
        }
        return true;
    }
};

constexpr Platform::KeyPress Down{.VirtualKey = 0x28};
constexpr Platform::KeyPress CtrlEnd{.VirtualKey = 0x23, .Ctrl = true};

}  // namespace

std::unique_ptr<Platform::Window> PlatformContract::NewWindow(const std::string& caption) {
    return platform().NewWindow({.Caption = caption, .Width = 400, .Height = 300});
}

// A shown window whose text view shows Lines.
struct PlatformContract::ShownText {
    explicit ShownText(PlatformContract& test) : Probe(*test.probe) {
        Window = test.NewWindow("text");
        View = &Window->AddTextView(
            {.Where = {.FillClient = true}, .Background = {}, .Font = Courier}, Lines);
        Window->Show();
        Probe.ProcessEvents();
    }
    std::string Displayed() { return Probe.DisplayedText(*View); }

    BackendProbe& Probe;
    LineList Lines;
    std::unique_ptr<Platform::Window> Window;  // after the list its view is bound to
    Platform::TextView* View = nullptr;
};

// A shown window with a row view over `count` numbered rows, as the firmware window has; the
// guard is the error handler.
struct PlatformContract::ShownRows {
    ShownRows(PlatformContract& test, uint64_t count) : Probe(*test.probe), Source(count) {
        test.platform().SetErrorHandler(std::ref(Guard));
        Window = test.NewWindow("rows");
        const Platform::Placement underHeader = {
            .Left = 0, .Top = 25, .Width = 613, .Height = 434, .AnchorBottom = true};
        View = &Window->AddRowView({.Where = underHeader, .Background = {}, .Font = Courier},
                                   Source, Text);
        View->ShowRows();
        Window->Show();
        Probe.ProcessEvents();
    }
    std::string Displayed() { return Probe.DisplayedText(*View); }
    void Press(Platform::KeyPress key) { Probe.PressKey(*View, key); }

    BackendProbe& Probe;
    NumberedRows Source;
    LineList Text;
    CountingGuard Guard;
    std::unique_ptr<Platform::Window> Window;  // after the source and text its view refers to
    Platform::RowView* View = nullptr;
};

TEST_P(PlatformContract, RowViewDrawsOnlyTheRowsOnScreen) {
    ShownRows rows(*this, 1'000'000);
    const std::string top = rows.Displayed();
    EXPECT_TRUE(top.starts_with("row 0\r\nrow 1\r\n")) << top;
    rows.Press(CtrlEnd);
    // The last row, then the empty line after it, as in a text where every row ends a line.
    EXPECT_TRUE(rows.Displayed().ends_with("row 999999\r\n"));
    rows.Press({.VirtualKey = 0x24, .Ctrl = true});
    EXPECT_EQ(rows.Displayed(), top);
    EXPECT_LT(rows.Source.Drawn, 100'000u);  // a few screens, not the million rows
    EXPECT_EQ(rows.Text.Text(), "");         // nothing was built
}

TEST_P(PlatformContract, RowViewSelectionIsCopied) {
    ShownRows rows(*this, 5);
    rows.Press(Down);
    rows.Press({.VirtualKey = 0x28, .Shift = true});
    rows.Press({.VirtualKey = 0x23, .Shift = true});
    rows.Press({.VirtualKey = 'C', .Ctrl = true});
    EXPECT_EQ(probe->Clipboard(), "row 1\r\nrow 2");
    EXPECT_EQ(rows.Text.Text(), "");  // copying is no edit
}

TEST_P(PlatformContract, FirstEditTurnsTheRowsIntoText) {
    ShownRows rows(*this, 3);
    rows.Press(Down);
    probe->TypeText(*rows.View, "X");
    probe->TypeText(*rows.View, "Y");  // later edits go into the text as it stands
    EXPECT_EQ(rows.Guard.Calls, 1);
    EXPECT_EQ(rows.Text.Text(), "row 0\r\nXYrow 1\r\nrow 2\r\n");
    EXPECT_EQ(rows.Displayed(), "row 0\r\nXYrow 1\r\nrow 2\r\n");
}

TEST_P(PlatformContract, RefusedFirstEditKeepsTheRows) {
    ShownRows rows(*this, 3);
    rows.Guard.Refuse = true;  // as when the rows would not fit in a text
    probe->TypeText(*rows.View, "X");
    EXPECT_EQ(rows.Text.Text(), "");
    EXPECT_EQ(rows.Displayed(), "row 0\r\nrow 1\r\nrow 2\r\n");
}

TEST_P(PlatformContract, ShowRowsDropsTheTypedTextAndPutsTheCaretAtTheStart) {
    ShownRows rows(*this, 3);
    rows.Press(CtrlEnd);
    probe->TypeText(*rows.View, "typed");
    rows.View->ShowRows();
    EXPECT_EQ(rows.Displayed(), "row 0\r\nrow 1\r\nrow 2\r\n");
    probe->TypeText(*rows.View, "Z");
    EXPECT_EQ(rows.Text.Text(), "Zrow 0\r\nrow 1\r\nrow 2\r\n");
}

TEST_P(PlatformContract, ShowRaisesAndActivatesAVisibleWindow) {
    auto first = NewWindow("first"), second = NewWindow("second");
    first->Show();
    second->Show();
    first->Show();
    probe->ProcessEvents();
    EXPECT_TRUE(first->Visible() && second->Visible());
    EXPECT_EQ(probe->ActiveWindow(), first.get());
    EXPECT_TRUE(probe->IsAbove(*first, *second));
}

TEST_P(PlatformContract, HiddenWindowComesBackOnTop) {
    auto first = NewWindow("first"), second = NewWindow("second");
    second->Show();
    first->Show();
    second->Hide();
    probe->ProcessEvents();
    EXPECT_FALSE(second->Visible());
    second->Show();
    probe->ProcessEvents();
    EXPECT_EQ(probe->ActiveWindow(), second.get());
    EXPECT_TRUE(probe->IsAbove(*second, *first));
}

TEST_P(PlatformContract, PlaceTakesNegativeCoordinates) {
    auto window = NewWindow("placed");
    window->Place(-79, 119);
    window->Show();
    probe->ProcessEvents();
    EXPECT_EQ(window->Left(), -79);
    EXPECT_EQ(window->Top(), 119);
}

TEST_P(PlatformContract, CloseRequestsGoToTheHandler) {
    auto window = NewWindow("tool");
    int closeRequests = 0;
    window->OnCloseRequest([&] {
        ++closeRequests;
        window->Hide();
    });
    window->Show();
    probe->ProcessEvents();
    probe->RequestClose(*window);  // the platform's close request
    window->Close();               // the program's own
    probe->ProcessEvents();
    EXPECT_EQ(closeRequests, 2);
    EXPECT_FALSE(window->Visible());
}

TEST_P(PlatformContract, ListChangesAppearInTheView) {
    ShownText text(*this);
    text.Lines.Add("first");
    text.Lines.Add("\xC0\xFF second");  // single-byte text survives unchanged
    EXPECT_EQ(text.Displayed(), "first\r\n\xC0\xFF second\r\n");
    text.Lines.Clear();
    EXPECT_EQ(text.Displayed(), "");
    text.Lines.SetText("a\r\nb");
    text.Lines.Add("c");
    EXPECT_EQ(text.Displayed(), "a\r\nb\r\nc");
}

TEST_P(PlatformContract, BatchReachesTheViewWhenItClosesAlsoByAnError) {
    ShownText text(*this);
    text.Lines.Add("before");
    try {
        LineList::Batch batch(text.Lines);
        text.Lines.Clear();
        for (int line = 0; line < 3; ++line) text.Lines.Add("line " + std::to_string(line));
        throw std::runtime_error("the run fails");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(text.Displayed(), "line 0\r\nline 1\r\nline 2\r\n");
    text.Lines.Add("after");
    EXPECT_EQ(text.Lines.Get(3), "after");
}

TEST_P(PlatformContract, TypingIsSeenByTheNextRead) {
    ShownText text(*this);
    text.Lines.Add("SET2E 01 0010");
    probe->TypeText(*text.View, "EQU2 01 'R1'\r\nINV2 01");
    ASSERT_EQ(text.Lines.Count(), 3);
    EXPECT_EQ(text.Lines.Get(1), "EQU2 01 'R1'");
    EXPECT_EQ(text.Lines.Get(2), "INV2 01");
}

TEST_P(PlatformContract, KeysReachTheHandlerFromEveryWindow) {
    std::vector<Platform::KeyPress> received;
    platform().SetKeyHandler([&](const Platform::KeyPress& key) {
        received.push_back(key);
        return true;
    });
    ShownText text(*this);
    auto plain = NewWindow("plain");
    plain->Show();
    probe->ProcessEvents();
    const Platform::KeyPress shiftF3{.VirtualKey = 114, .Shift = true}, f9{.VirtualKey = 120},
        ctrlAltF5{.VirtualKey = 116, .Ctrl = true, .Alt = true};
    probe->PressKey(*plain, shiftF3);
    probe->PressKey(*text.Window, f9);  // the text view has the focus
    probe->PressKey(*text.Window, ctrlAltF5);
    EXPECT_EQ(received, (std::vector<Platform::KeyPress>{shiftF3, f9, ctrlAltF5}));
    platform().SetKeyHandler(nullptr);
}

TEST_P(PlatformContract, KeyHandlerRunsInsideTheErrorHandler) {
    CountingGuard guard;
    platform().SetErrorHandler(std::ref(guard));
    platform().SetKeyHandler(
        [](const Platform::KeyPress&) -> bool { throw std::runtime_error("failed"); });
    auto window = NewWindow("plain");
    window->Show();
    probe->ProcessEvents();
    probe->PressKey(*window, {.VirtualKey = 120});
    EXPECT_EQ(guard.Calls, 1);  // and the error did not escape
    platform().SetKeyHandler(nullptr);
    platform().SetErrorHandler(nullptr);
}
