#include "MemoryPlatform.h"

#include <algorithm>
#include <stdexcept>

namespace {

// Where line `line` of a CR LF text starts (the text's end when it has fewer lines).
size_t LineStart(const std::string& text, uint64_t line) {
    size_t offset = 0;
    for (; line > 0; --line) {
        const size_t lineBreak = text.find("\r\n", offset);
        if (lineBreak == std::string::npos) return text.size();
        offset = lineBreak + 2;
    }
    return offset;
}

}  // namespace

// ---- MemoryTextView

void MemoryTextView::SetCaretLine(int32_t index) {
    Caret = LineStart(Displayed, static_cast<uint64_t>(index));
}

void MemoryTextView::TextAppended(std::string_view bytes) {
    Displayed += bytes;
    ++Appends;
}

void MemoryTextView::TypeText(const std::string& text) {
    Displayed += text;
    Lines.ViewEdited();
}

// ---- MemoryRowView

MemoryRowView::MemoryRowView(MemoryPlatform& platform, const Platform::TextViewSpec& spec,
                             const Platform::RowSource& rows, LineList& text)
    : Cursor(rows), Text(text), platform_(platform) {
    // A line is 16 pixels high; the last line that fits only in part does not count.
    Cursor.SetPageLines(static_cast<uint32_t>(spec.Where.Height / 16));
}

void MemoryRowView::ShowRows() {
    Edited = false;
    Text.Lines.Clear();
    Cursor.Reset();
}

std::string MemoryRowView::Displayed() const {
    if (Edited) return Text.Displayed;
    std::string shown;
    const uint64_t end = std::min(Cursor.LineCount(), Cursor.Top() + Cursor.PageLines());
    for (uint64_t line = Cursor.Top(); line < end; ++line) {
        if (line > Cursor.Top()) shown += "\r\n";
        shown += Cursor.Line(line);
    }
    return shown;
}

void MemoryRowView::PressKey(const Platform::KeyPress& key) {
    if (Edited) return;
    if (RowCursor::IsCopy(key))
        platform_.Guarded(
            [this] { platform_.ClipboardText = Cursor.SelectedText(Text.Lines.Capacity()); });
    else
        Cursor.Navigate(key);
}

void MemoryRowView::TypeText(const std::string& text) {
    if (!Edited) {
        if (!platform_.Guarded([this] { Cursor.WriteText(Text.Lines); })) return;
        Edited = true;
        // The caret stands where it stood among the rows.
        Text.Caret = LineStart(Text.Displayed, Cursor.Caret().Line) + Cursor.Caret().Column;
    }
    Text.Displayed.insert(Text.Caret, text);
    Text.Caret += text.size();
    Text.Lines.ViewEdited();
}

// ---- MemoryWindow

MemoryWindow::MemoryWindow(MemoryPlatform& platform, const Platform::WindowSpec& spec)
    : Spec(spec), platform_(platform) {
    platform_.Stack.push_back(this);
}

MemoryWindow::~MemoryWindow() {
    std::erase(platform_.Stack, this);
}

void MemoryWindow::Show() {
    Shown = true;
    std::erase(platform_.Stack, this);
    platform_.Stack.push_back(this);
}

void MemoryWindow::Close() {
    if (closeHandler_) {
        closeHandler_();
        return;
    }
    Hide();
    if (this == platform_.Main) platform_.LoopEnded = true;
}

Platform::TextView& MemoryWindow::AddTextView(const Platform::TextViewSpec&, LineList& lines) {
    return *TextViews.emplace_back(std::make_unique<MemoryTextView>(lines));
}

Platform::RowView& MemoryWindow::AddRowView(const Platform::TextViewSpec& spec,
                                            const Platform::RowSource& rows, LineList& text) {
    return *RowViews.emplace_back(std::make_unique<MemoryRowView>(platform_, spec, rows, text));
}

Platform::TextControl& MemoryWindow::AddLabel(const Platform::LabelSpec&) {
    return *Texts.emplace_back(std::make_unique<MemoryText>());
}

Platform::TextControl& MemoryWindow::AddPanel(const Platform::PanelSpec& spec) {
    Platform::TextControl& panel = *Texts.emplace_back(std::make_unique<MemoryText>());
    panel.SetText(spec.Text);
    return panel;
}

void MemoryWindow::ChooseMenu(const std::vector<std::string>& captions) {
    if (!Shown) throw std::logic_error("the menu of a hidden window chosen");
    const std::vector<Platform::MenuItem>* level = &MenuBar;
    std::function<void()> command;  // a copy: the item may be replaced while its command runs
    for (const std::string& caption : captions) {
        auto item = std::ranges::find(*level, caption, &Platform::MenuItem::Caption);
        if (item == level->end()) throw std::logic_error("no menu item " + caption);
        command = item->Command;
        level = &item->Items;
    }
    platform_.Guarded(command);
}

// ---- MemoryPlatform

std::unique_ptr<Platform::Window> MemoryPlatform::NewWindow(const Platform::WindowSpec& spec) {
    return std::make_unique<MemoryWindow>(*this, spec);
}

std::optional<std::filesystem::path> MemoryPlatform::OpenFileDialog(
    const std::filesystem::path& initialPath) {
    DialogOffers.push_back(initialPath);
    if (DialogAnswers.empty()) return std::nullopt;
    std::optional<std::filesystem::path> answer = DialogAnswers.front();
    DialogAnswers.pop_front();
    return answer;
}

int MemoryPlatform::Run(Platform::Window& main) {
    Main = &main;
    LoopEnded = false;
    main.Show();
    for (const std::function<void()>& action : std::exchange(RunActions, {}))
        if (!LoopEnded) action();
    return 0;
}

bool MemoryPlatform::Press(MemoryWindow& focused, const Platform::KeyPress& key) {
    if (!focused.Shown) throw std::logic_error("a hidden window cannot have the focus");
    if (keyHandler_) {
        bool taken = true;  // a command that failed took its key too
        Guarded([&] { taken = keyHandler_(key); });
        if (taken) return true;
    }
    if (!focused.RowViews.empty()) focused.RowViews.front()->PressKey(key);
    return false;
}

MemoryWindow* MemoryPlatform::ActiveWindow() {
    auto shown = std::ranges::find_if(Stack.rbegin(), Stack.rend(), &MemoryWindow::Shown);
    return shown == Stack.rend() ? nullptr : *shown;
}

bool MemoryPlatform::IsAbove(Platform::Window& upper, Platform::Window& lower) {
    return std::ranges::find(Stack, &upper) > std::ranges::find(Stack, &lower);
}
