#include "PlatformContract.h"

#include <filesystem>
#include <fstream>
#include <random>
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
    Platform::WindowSpec spec;
    spec.Caption = caption;
    spec.Left = left;
    spec.Top = top;
    spec.Width = 400;
    spec.Height = 300;
    return platform().NewWindow(spec);
}

Platform::TextViewSpec PlatformContract::ViewSpec() {
    Platform::TextViewSpec spec;
    spec.Where.FillClient = true;
    spec.Background = {0, 0, 255};
    spec.Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {255, 255, 0}};
    return spec;
}

Platform::LabelSpec PlatformContract::LabelSpec() {
    Platform::LabelSpec spec;
    spec.Where = {.Left = 1, .Top = 0, .Width = 200, .Height = 25};
    spec.Font = ViewSpec().Font;
    return spec;
}

Platform::TextViewSpec PlatformContract::RowViewSpec() {
    Platform::TextViewSpec spec;
    spec.Where = {.Left = 0, .Top = 25, .Width = 613, .Height = 434, .AnchorBottom = true};
    spec.Background = {0, 0, 0};
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

// The program's error boundary as a test sees it: it runs the action unless told to refuse.
struct RecordingGuard {
    bool Refuse = false;
    int Calls = 0;
    Platform::Guard Get() {
        return [this](const std::function<void()>& action) {
            ++Calls;
            if (Refuse) return false;
            action();
            return true;
        };
    }
};

constexpr Platform::KeyPress Down{.VirtualKey = 0x28};
constexpr Platform::KeyPress ShiftDown{.VirtualKey = 0x28, .Shift = true};
constexpr Platform::KeyPress ShiftEnd{.VirtualKey = 0x23, .Shift = true};
constexpr Platform::KeyPress CtrlEnd{.VirtualKey = 0x23, .Ctrl = true};
constexpr Platform::KeyPress CtrlHome{.VirtualKey = 0x24, .Ctrl = true};
constexpr Platform::KeyPress PageDown{.VirtualKey = 0x22};
constexpr Platform::KeyPress CtrlC{.VirtualKey = 'C', .Ctrl = true};

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

TEST_P(PlatformContract, RowViewDrawsOnlyTheRowsOnScreen) {
    NumberedRows rows(1'000'000);
    LineList text;
    RecordingGuard guard;
    auto window = NewWindow("rows");
    Platform::TextControl& header = window->AddLabel(LabelSpec());
    platform().SetErrorHandler(guard.Get());
    Platform::RowView& view = window->AddRowView(RowViewSpec(), rows, text);
    header.SetText("header");
    view.ShowRows();
    window->Show();
    probe->ProcessEvents();

    const std::string top = probe->DisplayedText(view);
    EXPECT_TRUE(StartsWith(top, "row 0\r\nrow 1\r\n")) << top;
    EXPECT_LT(rows.Drawn, 10'000u);  // a few screens at most, not the million rows

    probe->PressKey(view, PageDown);
    probe->ProcessEvents();
    EXPECT_FALSE(StartsWith(probe->DisplayedText(view), "row 0\r\n"));

    // The last row, then the empty line after it, as in a text where every row ends a line.
    probe->PressKey(view, CtrlEnd);
    probe->ProcessEvents();
    EXPECT_TRUE(EndsWith(probe->DisplayedText(view), "row 999999\r\n"));
    probe->PressKey(view, CtrlHome);
    probe->ProcessEvents();
    EXPECT_EQ(probe->DisplayedText(view), top);
    EXPECT_LT(rows.Drawn, 100'000u);
    EXPECT_EQ(header.Text(), "header");
    EXPECT_EQ(text.Text(), "");  // nothing was built
    EXPECT_EQ(guard.Calls, 0);
}

TEST_P(PlatformContract, RowViewSelectionIsCopied) {
    NumberedRows rows(5);
    LineList text;
    RecordingGuard guard;
    auto window = NewWindow("rows");
    platform().SetErrorHandler(guard.Get());
    Platform::RowView& view = window->AddRowView(RowViewSpec(), rows, text);
    view.ShowRows();
    window->Show();
    probe->ProcessEvents();

    probe->PressKey(view, Down);
    probe->PressKey(view, ShiftDown);
    probe->PressKey(view, ShiftEnd);
    probe->PressKey(view, CtrlC);
    probe->ProcessEvents();
    EXPECT_EQ(probe->Clipboard(), "row 1\r\nrow 2");
    EXPECT_EQ(text.Text(), "");  // copying is no edit
}

TEST_P(PlatformContract, FirstEditTurnsTheRowsIntoText) {
    NumberedRows rows(3);
    LineList text;
    RecordingGuard guard;
    auto window = NewWindow("rows");
    platform().SetErrorHandler(guard.Get());
    Platform::RowView& view = window->AddRowView(RowViewSpec(), rows, text);
    view.ShowRows();
    window->Show();
    probe->ProcessEvents();

    probe->PressKey(view, Down);
    probe->TypeText(view, "X");
    probe->ProcessEvents();
    EXPECT_EQ(guard.Calls, 1);
    EXPECT_EQ(text.Text(), "row 0\r\nXrow 1\r\nrow 2\r\n");
    EXPECT_EQ(probe->DisplayedText(view), "row 0\r\nXrow 1\r\nrow 2\r\n");

    // Later edits go into the text as it stands.
    probe->TypeText(view, "Y");
    probe->ProcessEvents();
    EXPECT_EQ(guard.Calls, 1);
    EXPECT_EQ(text.Get(1), "XYrow 1");
}

TEST_P(PlatformContract, RefusedFirstEditKeepsTheRows) {
    NumberedRows rows(3);
    LineList text;
    RecordingGuard guard;
    guard.Refuse = true;  // as when the rows would not fit in a text
    auto window = NewWindow("rows");
    platform().SetErrorHandler(guard.Get());
    Platform::RowView& view = window->AddRowView(RowViewSpec(), rows, text);
    view.ShowRows();
    window->Show();
    probe->ProcessEvents();

    probe->TypeText(view, "X");
    probe->ProcessEvents();
    EXPECT_EQ(guard.Calls, 1);
    EXPECT_EQ(text.Text(), "");
    EXPECT_EQ(probe->DisplayedText(view), "row 0\r\nrow 1\r\nrow 2\r\n");
}

TEST_P(PlatformContract, ShowRowsAfterAnEditDropsTheTypedText) {
    NumberedRows rows(3);
    LineList text;
    RecordingGuard guard;
    auto window = NewWindow("rows");
    platform().SetErrorHandler(guard.Get());
    Platform::RowView& view = window->AddRowView(RowViewSpec(), rows, text);
    view.ShowRows();
    window->Show();
    probe->ProcessEvents();
    probe->PressKey(view, CtrlEnd);
    probe->TypeText(view, "typed");
    probe->ProcessEvents();
    ASSERT_EQ(text.Get(3), "typed");

    view.ShowRows();
    probe->ProcessEvents();
    EXPECT_EQ(probe->DisplayedText(view), "row 0\r\nrow 1\r\nrow 2\r\n");
    EXPECT_EQ(text.Text(), "");
    // The caret is back at the start: the next edit goes there.
    probe->TypeText(view, "Z");
    probe->ProcessEvents();
    EXPECT_EQ(text.Text(), "Zrow 0\r\nrow 1\r\nrow 2\r\n");
}

TEST_P(PlatformContract, ShowMakesVisibleRaisesAndActivates) {
    auto first = NewWindow("first", 10, 10);
    auto second = NewWindow("second", 30, 30);
    auto third = NewWindow("third", 50, 50);
    EXPECT_FALSE(first->Visible());

    first->Show();
    second->Show();
    third->Show();
    probe->ProcessEvents();
    EXPECT_TRUE(first->Visible() && second->Visible() && third->Visible());
    EXPECT_EQ(probe->ActiveWindow(), third.get());
    EXPECT_TRUE(probe->IsAbove(*third, *second));
    EXPECT_TRUE(probe->IsAbove(*second, *first));

    // Showing a window that is already visible only raises and activates it.
    first->Show();
    probe->ProcessEvents();
    EXPECT_EQ(probe->ActiveWindow(), first.get());
    EXPECT_TRUE(probe->IsAbove(*first, *third));
    EXPECT_TRUE(probe->IsAbove(*third, *second));

    // A hidden window comes back on top.
    second->Hide();
    probe->ProcessEvents();
    EXPECT_FALSE(second->Visible());
    second->Show();
    probe->ProcessEvents();
    EXPECT_TRUE(second->Visible());
    EXPECT_EQ(probe->ActiveWindow(), second.get());
    EXPECT_TRUE(probe->IsAbove(*second, *first));
}

TEST_P(PlatformContract, PlaceAndCaptionAreKept) {
    auto window = NewWindow("before", 5, 6);
    EXPECT_EQ(window->Caption(), "before");
    window->Place(-79, 119);
    window->SetCaption("\xD1\xEA\xF0\xE8\xEF\xF2");  // a CP1251 caption
    window->Show();
    probe->ProcessEvents();
    EXPECT_EQ(window->Left(), -79);
    EXPECT_EQ(window->Top(), 119);
    EXPECT_EQ(window->Caption(), "\xD1\xEA\xF0\xE8\xEF\xF2");
}

TEST_P(PlatformContract, HideAndCloseRequestsKeepTheContents) {
    LineList lines;
    auto window = NewWindow("tool");
    Platform::TextView& view = window->AddTextView(ViewSpec(), lines);
    Platform::TextControl& label = window->AddLabel(LabelSpec());
    int closeRequests = 0;
    window->OnCloseRequest([&] {
        ++closeRequests;
        window->Hide();
    });
    label.SetText("header");
    lines.Add("one");
    lines.Add("two");
    window->Show();
    probe->ProcessEvents();
    probe->TypeText(view, "three");

    window->Hide();
    probe->ProcessEvents();
    EXPECT_FALSE(window->Visible());
    EXPECT_EQ(lines.Count(), 3);
    EXPECT_EQ(lines.Get(2), "three");
    window->Show();
    probe->ProcessEvents();
    EXPECT_EQ(probe->DisplayedText(view), "one\r\ntwo\r\nthree");
    EXPECT_EQ(label.Text(), "header");
    EXPECT_EQ(window->Caption(), "tool");

    // The platform's close request and the program's own go to the handler, which hides.
    probe->RequestClose(*window);
    probe->ProcessEvents();
    EXPECT_EQ(closeRequests, 1);
    EXPECT_FALSE(window->Visible());
    window->Show();
    window->Close();
    probe->ProcessEvents();
    EXPECT_EQ(closeRequests, 2);
    EXPECT_FALSE(window->Visible());
    EXPECT_EQ(lines.Get(0), "one");
}

TEST_P(PlatformContract, ListChangesAppearInTheView) {
    LineList lines;
    auto window = NewWindow("view");
    Platform::TextView& view = window->AddTextView(ViewSpec(), lines);
    window->Show();
    EXPECT_EQ(probe->DisplayedText(view), "");

    EXPECT_EQ(lines.Add("first"), 0);
    EXPECT_EQ(lines.Add("\xC0\xFF second"), 1);  // single-byte text survives unchanged
    probe->ProcessEvents();
    EXPECT_EQ(probe->DisplayedText(view), "first\r\n\xC0\xFF second\r\n");

    lines.Clear();
    probe->ProcessEvents();
    EXPECT_EQ(probe->DisplayedText(view), "");

    lines.SetText("a\r\nb");
    lines.Add("c");
    probe->ProcessEvents();
    EXPECT_EQ(probe->DisplayedText(view), "a\r\nb\r\nc");
}

TEST_P(PlatformContract, TypingIsSeenByTheNextRead) {
    LineList lines;
    auto window = NewWindow("edit");
    Platform::TextView& view = window->AddTextView(ViewSpec(), lines);
    window->Show();
    lines.Add("SET2E 01 0010");
    probe->ProcessEvents();

    probe->TypeText(view, "EQU2 01 'R1'\r\nINV2 01");
    probe->ProcessEvents();
    ASSERT_EQ(lines.Count(), 3);
    EXPECT_EQ(lines.Get(0), "SET2E 01 0010");
    EXPECT_EQ(lines.Get(1), "EQU2 01 'R1'");
    EXPECT_EQ(lines.Get(2), "INV2 01");

    // An Add after typing goes after what was typed, and the view shows both.
    lines.Add("SWP 01");
    probe->ProcessEvents();
    EXPECT_EQ(probe->DisplayedText(view), "SET2E 01 0010\r\nEQU2 01 'R1'\r\nINV2 01\r\nSWP 01");

    // Saving writes what the user typed.
    const auto file = std::filesystem::temp_directory_path() /
                      ("vantrel-contract-" + std::to_string(std::random_device()()) + ".txt");
    probe->TypeText(view, "\r\n");
    lines.SaveFile(file.string());
    std::ifstream in(file, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), {});
    in.close();
    std::filesystem::remove(file);
    EXPECT_EQ(saved, "SET2E 01 0010\r\nEQU2 01 'R1'\r\nINV2 01\r\nSWP 01\r\n");
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
    EXPECT_THROW(lines.SetText(std::string(21, 'x')), ECapacityError);
    probe->ProcessEvents();
    EXPECT_EQ(lines.Text(), "0123456789\r\n");
    EXPECT_EQ(probe->DisplayedText(view), "0123456789\r\n");
    try {
        lines.Add("too long for the rest");
        ADD_FAILURE() << "no capacity error";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message, "Text exceeds memo capacity");
    }
    EXPECT_EQ(probe->DisplayedText(view), "0123456789\r\n");
}

TEST_P(PlatformContract, KeysReachTheHandlerFromEveryWindow) {
    std::vector<Platform::KeyPress> received;
    bool consume = true;
    platform().SetKeyHandler([&](const Platform::KeyPress& key) {
        received.push_back(key);
        return consume;
    });
    LineList lines;
    auto plain = NewWindow("plain", 0, 0);
    auto withView = NewWindow("with view", 100, 100);
    withView->AddTextView(ViewSpec(), lines);
    withView->AddLabel(LabelSpec());
    plain->Show();
    withView->Show();
    probe->ProcessEvents();

    const Platform::KeyPress shiftF3{.VirtualKey = 114, .Shift = true};
    const Platform::KeyPress f9{.VirtualKey = 120};
    const Platform::KeyPress ctrlAltF5{.VirtualKey = 116, .Ctrl = true, .Alt = true};
    probe->PressKey(*plain, shiftF3);
    probe->PressKey(*withView, f9);  // the text view has the focus
    probe->PressKey(*withView, ctrlAltF5);
    probe->ProcessEvents();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0], shiftF3);
    EXPECT_EQ(received[1], f9);
    EXPECT_EQ(received[2], ctrlAltF5);

    consume = false;
    probe->PressKey(*plain, f9);
    probe->ProcessEvents();
    EXPECT_EQ(received.size(), 4u);
    platform().SetKeyHandler(nullptr);
}
