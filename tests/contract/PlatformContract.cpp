#include "PlatformContract.h"

#include <stdexcept>
#include <vector>

#include "Errors.h"
#include "LineList.h"

void PlatformContract::SetUp() {
    probe = GetParam()();
}

void PlatformContract::TearDown() {
    probe.reset();
}

std::unique_ptr<Platform::Window> PlatformContract::NewWindow(const std::string& caption, int left,
                                                              int top) {
    return platform().NewWindow(
        {.Caption = caption, .Left = left, .Top = top, .Width = 400, .Height = 300});
}

Platform::TextViewSpec PlatformContract::ViewSpec() {
    Platform::TextViewSpec spec;
    spec.Where.FillClient = true;
    spec.Background = {0, 0, 255};
    spec.Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {255, 255, 0}};
    return spec;
}

Platform::LabelSpec PlatformContract::LabelSpec() {
    return {.Where = {.Left = 1, .Top = 0, .Width = 200, .Height = 25},
            .Background = {},
            .Font = ViewSpec().Font};
}

Platform::TextViewSpec PlatformContract::RowViewSpec() {
    Platform::TextViewSpec spec;
    spec.Where = {.Left = 0, .Top = 25, .Width = 613, .Height = 434, .AnchorBottom = true};
    spec.Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {0, 255, 0}};
    return spec;
}

namespace {

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

// The program's error handler as a test sees it: it runs the action unless told to refuse, and
// records the errors.
struct RecordingGuard {
    bool Refuse = false;
    int Calls = 0;
    std::vector<std::string> Errors;
    Platform::Guard Get() {
        return [this](const std::function<void()>& action) {
            ++Calls;
            if (Refuse) return false;
            try {
                action();
                return true;
            } catch (const std::exception& error) {
                Errors.push_back(error.what());
                return false;
            }
        };
    }
};

constexpr Platform::KeyPress Down{.VirtualKey = 0x28};
constexpr Platform::KeyPress CtrlEnd{.VirtualKey = 0x23, .Ctrl = true};

}  // namespace

// A shown window with a row view over `count` numbered rows; the guard is the error handler.
struct PlatformContract::ShownRows {
    ShownRows(PlatformContract& test, uint64_t count) : Source(count) {
        test.platform().SetErrorHandler(Guard.Get());
        Window = test.NewWindow("rows");
        View = &Window->AddRowView(RowViewSpec(), Source, Text);
        View->ShowRows();
        Window->Show();
        test.probe->ProcessEvents();
    }
    NumberedRows Source;
    LineList Text;
    RecordingGuard Guard;
    std::unique_ptr<Platform::Window> Window;  // after the source and text its view refers to
    Platform::RowView* View = nullptr;
};

TEST_P(PlatformContract, RowViewDrawsOnlyTheRowsOnScreen) {
    ShownRows rows(*this, 1'000'000);
    const std::string top = probe->DisplayedText(*rows.View);
    EXPECT_EQ(top.rfind("row 0\r\nrow 1\r\n", 0), 0u) << top;
    probe->PressKey(*rows.View, CtrlEnd);
    // The last row, then the empty line after it, as in a text where every row ends a line.
    EXPECT_TRUE(probe->DisplayedText(*rows.View).ends_with("row 999999\r\n"));
    probe->PressKey(*rows.View, {.VirtualKey = 0x24, .Ctrl = true});
    EXPECT_EQ(probe->DisplayedText(*rows.View), top);
    EXPECT_LT(rows.Source.Drawn, 100'000u);  // a few screens, not the million rows
    EXPECT_EQ(rows.Text.Text(), "");         // nothing was built
    EXPECT_EQ(rows.Guard.Calls, 0);
}

TEST_P(PlatformContract, RowViewSelectionIsCopied) {
    ShownRows rows(*this, 5);
    probe->PressKey(*rows.View, Down);
    probe->PressKey(*rows.View, {.VirtualKey = 0x28, .Shift = true});
    probe->PressKey(*rows.View, {.VirtualKey = 0x23, .Shift = true});
    probe->PressKey(*rows.View, {.VirtualKey = 'C', .Ctrl = true});
    EXPECT_EQ(probe->Clipboard(), "row 1\r\nrow 2");
    EXPECT_EQ(rows.Text.Text(), "");  // copying is no edit
}

TEST_P(PlatformContract, FirstEditTurnsTheRowsIntoText) {
    ShownRows rows(*this, 3);
    probe->PressKey(*rows.View, Down);
    probe->TypeText(*rows.View, "X");
    probe->TypeText(*rows.View, "Y");  // later edits go into the text as it stands
    EXPECT_EQ(rows.Guard.Calls, 1);
    EXPECT_EQ(rows.Text.Text(), "row 0\r\nXYrow 1\r\nrow 2\r\n");
    EXPECT_EQ(probe->DisplayedText(*rows.View), "row 0\r\nXYrow 1\r\nrow 2\r\n");
}

TEST_P(PlatformContract, RefusedFirstEditKeepsTheRows) {
    ShownRows rows(*this, 3);
    rows.Guard.Refuse = true;  // as when the rows would not fit in a text
    probe->TypeText(*rows.View, "X");
    EXPECT_EQ(rows.Guard.Calls, 1);
    EXPECT_EQ(rows.Text.Text(), "");
    EXPECT_EQ(probe->DisplayedText(*rows.View), "row 0\r\nrow 1\r\nrow 2\r\n");
}

TEST_P(PlatformContract, ShowRowsDropsTheTypedTextAndPutsTheCaretAtTheStart) {
    ShownRows rows(*this, 3);
    probe->PressKey(*rows.View, CtrlEnd);
    probe->TypeText(*rows.View, "typed");
    ASSERT_EQ(rows.Text.Get(3), "typed");
    rows.View->ShowRows();
    EXPECT_EQ(probe->DisplayedText(*rows.View), "row 0\r\nrow 1\r\nrow 2\r\n");
    probe->TypeText(*rows.View, "Z");
    EXPECT_EQ(rows.Text.Text(), "Zrow 0\r\nrow 1\r\nrow 2\r\n");
}

TEST_P(PlatformContract, ShowRaisesAndActivates) {
    auto first = NewWindow("first", 10, 10), second = NewWindow("second", 30, 30);
    EXPECT_FALSE(first->Visible());
    first->Show();
    second->Show();
    probe->ProcessEvents();
    EXPECT_TRUE(first->Visible() && second->Visible());
    EXPECT_EQ(probe->ActiveWindow(), second.get());
    EXPECT_TRUE(probe->IsAbove(*second, *first));
    first->Show();  // already visible: only raised and activated
    probe->ProcessEvents();
    EXPECT_EQ(probe->ActiveWindow(), first.get());
    EXPECT_TRUE(probe->IsAbove(*first, *second));
}

TEST_P(PlatformContract, HiddenWindowComesBackOnTop) {
    auto first = NewWindow("first", 10, 10), second = NewWindow("second", 30, 30);
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

TEST_P(PlatformContract, PlaceAndCaptionAreKept) {
    auto window = NewWindow("before", 5, 6);
    window->Place(-79, 119);
    window->SetCaption("\xD1\xEA\xF0\xE8\xEF\xF2");  // a CP1251 caption
    window->Show();
    probe->ProcessEvents();
    EXPECT_EQ(window->Left(), -79);
    EXPECT_EQ(window->Top(), 119);
    EXPECT_EQ(window->Caption(), "\xD1\xEA\xF0\xE8\xEF\xF2");
}

TEST_P(PlatformContract, HideKeepsTheContents) {
    LineList lines;
    auto window = NewWindow("tool");
    Platform::TextView& view = window->AddTextView(ViewSpec(), lines);
    Platform::TextControl& label = window->AddLabel(LabelSpec());
    label.SetText("header");
    lines.Add("one");
    window->Show();
    probe->ProcessEvents();
    probe->TypeText(view, "two");
    window->Hide();
    window->Show();
    EXPECT_EQ(probe->DisplayedText(view), "one\r\ntwo");
    EXPECT_EQ(lines.Get(1), "two");
    EXPECT_EQ(label.Text(), "header");
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
    probe->ProcessEvents();
    EXPECT_EQ(closeRequests, 1);
    EXPECT_FALSE(window->Visible());
    window->Show();
    window->Close();  // the program's own
    probe->ProcessEvents();
    EXPECT_EQ(closeRequests, 2);
    EXPECT_FALSE(window->Visible());
}

TEST_P(PlatformContract, ListChangesAppearInTheView) {
    LineList lines;
    auto window = NewWindow("view");
    Platform::TextView& view = window->AddTextView(ViewSpec(), lines);
    window->Show();
    lines.Add("first");
    lines.Add("\xC0\xFF second");  // single-byte text survives unchanged
    EXPECT_EQ(probe->DisplayedText(view), "first\r\n\xC0\xFF second\r\n");
    lines.Clear();
    EXPECT_EQ(probe->DisplayedText(view), "");
    lines.SetText("a\r\nb");
    lines.Add("c");
    EXPECT_EQ(probe->DisplayedText(view), "a\r\nb\r\nc");
}

TEST_P(PlatformContract, BatchReachesTheViewWhenItClosesAlsoByAnError) {
    LineList lines;
    auto window = NewWindow("view");
    Platform::TextView& view = window->AddTextView(ViewSpec(), lines);
    window->Show();
    lines.Add("before");
    try {
        LineList::Batch batch(lines);
        lines.Clear();
        for (int line = 0; line < 3; ++line) lines.Add("line " + std::to_string(line));
        throw std::runtime_error("the run fails");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(probe->DisplayedText(view), "line 0\r\nline 1\r\nline 2\r\n");
    lines.Add("after");
    EXPECT_EQ(lines.Get(3), "after");
}

TEST_P(PlatformContract, TypingIsSeenByTheNextRead) {
    LineList lines;
    auto window = NewWindow("edit");
    Platform::TextView& view = window->AddTextView(ViewSpec(), lines);
    window->Show();
    lines.Add("SET2E 01 0010");
    probe->TypeText(view, "EQU2 01 'R1'\r\nINV2 01");
    ASSERT_EQ(lines.Count(), 3);
    EXPECT_EQ(lines.Get(1), "EQU2 01 'R1'");
    EXPECT_EQ(lines.Get(2), "INV2 01");
}

TEST_P(PlatformContract, AddAfterTypingGoesAfterIt) {
    LineList lines;
    auto window = NewWindow("edit");
    Platform::TextView& view = window->AddTextView(ViewSpec(), lines);
    window->Show();
    probe->TypeText(view, "INV2 01");
    lines.Add("SWP 01");
    EXPECT_EQ(probe->DisplayedText(view), "INV2 01\r\nSWP 01");
}

TEST_P(PlatformContract, CapacityErrorKeepsThePreviousText) {
    LineList lines;
    auto window = NewWindow("small");
    Platform::TextView& view = window->AddTextView(ViewSpec(), lines);
    window->Show();
    EXPECT_GT(lines.Capacity(), 0u);
    lines.SetCapacity(20);  // below any backend's own limit
    lines.Add("0123456789");
    EXPECT_THROW(lines.Add("0123456789"), ECapacityError);
    EXPECT_EQ(probe->DisplayedText(view), "0123456789\r\n");
}

TEST_P(PlatformContract, KeysReachTheHandlerFromEveryWindow) {
    std::vector<Platform::KeyPress> received;
    platform().SetKeyHandler([&](const Platform::KeyPress& key) {
        received.push_back(key);
        return true;
    });
    LineList lines;
    auto plain = NewWindow("plain", 0, 0), withView = NewWindow("with view", 100, 100);
    withView->AddTextView(ViewSpec(), lines);
    plain->Show();
    withView->Show();
    probe->ProcessEvents();
    const Platform::KeyPress shiftF3{.VirtualKey = 114, .Shift = true}, f9{.VirtualKey = 120},
        ctrlAltF5{.VirtualKey = 116, .Ctrl = true, .Alt = true};
    probe->PressKey(*plain, shiftF3);
    probe->PressKey(*withView, f9);  // the text view has the focus
    probe->PressKey(*withView, ctrlAltF5);
    EXPECT_EQ(received, (std::vector<Platform::KeyPress>{shiftF3, f9, ctrlAltF5}));
    platform().SetKeyHandler(nullptr);
}

TEST_P(PlatformContract, KeyHandlerRunsInsideTheErrorHandler) {
    RecordingGuard guard;
    platform().SetErrorHandler(guard.Get());
    platform().SetKeyHandler(
        [](const Platform::KeyPress&) -> bool { throw std::runtime_error("failed"); });
    auto window = NewWindow("plain");
    window->Show();
    probe->ProcessEvents();
    probe->PressKey(*window, {.VirtualKey = 120});
    EXPECT_EQ(guard.Errors, std::vector<std::string>{"failed"});
    platform().SetKeyHandler(nullptr);
    platform().SetErrorHandler(nullptr);
}
