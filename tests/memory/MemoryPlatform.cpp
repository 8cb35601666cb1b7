#include "MemoryPlatform.h"

#include <algorithm>
#include <stdexcept>

// ---- MemoryTextView

MemoryTextView::MemoryTextView(LineList& lines, size_t capacity) : Lines(lines) {
    Lines.SetCapacity(capacity);
    Lines.Bind(this);
}

MemoryTextView::~MemoryTextView() {
    Lines.Bind(nullptr);
}

void MemoryTextView::SetCaretLine(int32_t index) {
    size_t offset = 0;
    for (int32_t line = 0; line < index; ++line) {
        const size_t lineBreak = Displayed.find("\r\n", offset);
        if (lineBreak == std::string::npos) {
            offset = Displayed.size();
            break;
        }
        offset = lineBreak + 2;
    }
    Caret = offset;
}

void MemoryTextView::TextReplaced(std::string_view text) {
    Displayed.assign(text);
    Caret = std::min(Caret, Displayed.size());
}

void MemoryTextView::TextAppended(std::string_view bytes) {
    Displayed.append(bytes);
    ++Appends;
}

std::string MemoryTextView::ReadText() {
    ++Reads;
    return Displayed;
}

void MemoryTextView::TypeText(const std::string& text) {
    const size_t capacity = Lines.Capacity();
    const size_t room = Displayed.size() < capacity ? capacity - Displayed.size() : 0;
    Displayed.append(text, 0, std::min(room, text.size()));
    Caret = Displayed.size();
    Lines.ViewEdited();
}

// ---- MemoryRowView

MemoryRowView::MemoryRowView(MemoryPlatform& platform, const ::Platform::TextViewSpec& spec,
                             const ::Platform::RowSource& rows, LineList& text)
    : Cursor(rows), Text(text, platform.ViewCapacity), platform_(platform) {
    // A line is 16 pixels high; the last line that fits only in part does not count.
    Cursor.SetPageLines(static_cast<uint32_t>(std::max(spec.Where.Height, 16) / 16));
}

void MemoryRowView::ShowRows() {
    edited_ = false;
    Text.Lines.Clear();
    Cursor.Reset();
}

std::string MemoryRowView::Displayed() const {
    if (edited_) return Text.Displayed;
    std::string shown;
    const uint64_t end = std::min(Cursor.LineCount(), Cursor.Top() + Cursor.PageLines());
    for (uint64_t line = Cursor.Top(); line < end; ++line) {
        if (line > Cursor.Top()) shown += "\r\n";
        shown += Cursor.Line(line);
    }
    return shown;
}

bool MemoryRowView::BecomeText() {
    if (edited_) return true;
    if (!platform_.Guarded([this] { Cursor.WriteText(Text.Lines); })) return false;
    edited_ = true;
    // The caret stands where it stood among the rows.
    Text.Caret = 0;
    for (uint64_t line = 0; line < Cursor.Caret().Line; ++line)
        Text.Caret = Text.Displayed.find("\r\n", Text.Caret) + 2;
    Text.Caret += Cursor.Caret().Column;
    return true;
}

void MemoryRowView::PressKey(const ::Platform::KeyPress& key) {
    if (edited_) return;
    if (RowCursor::IsCopy(key)) {
        platform_.Guarded(
            [this] { platform_.Clipboard = Cursor.SelectedText(Text.Lines.Capacity()); });
        return;
    }
    if (Cursor.Navigate(key)) return;
    constexpr uint8_t KeyBack = 0x08, KeyReturn = 0x0D, KeyDelete = 0x2E;
    if (key.VirtualKey == KeyBack || key.VirtualKey == KeyReturn || key.VirtualKey == KeyDelete)
        BecomeText();
}

void MemoryRowView::TypeText(const std::string& text) {
    if (!BecomeText()) return;
    Text.Displayed.insert(Text.Caret, text);
    Text.Caret += text.size();
    Text.Lines.ViewEdited();
}

// ---- MemoryWindow

MemoryWindow::MemoryWindow(MemoryPlatform& platform, const ::Platform::WindowSpec& spec)
    : Spec(spec), platform_(platform) {}

MemoryWindow::~MemoryWindow() {
    platform_.Forget(*this);
}

void MemoryWindow::Show() {
    Shown = true;
    platform_.Raise(*this);
}

void MemoryWindow::Hide() {
    Shown = false;
    platform_.Hidden(*this);
}

void MemoryWindow::Close() {
    if (closeHandler_) {
        closeHandler_();
        return;
    }
    Hide();
    platform_.Closed(*this);
}

void MemoryWindow::OnCloseRequest(std::function<void()> handler) {
    closeHandler_ = std::move(handler);
}

void MemoryWindow::SetMenu(std::vector<::Platform::MenuItem> bar) {
    MenuBar = std::move(bar);
}

::Platform::TextView& MemoryWindow::AddTextView(const ::Platform::TextViewSpec&, LineList& lines) {
    TextViews.push_back(std::make_unique<MemoryTextView>(lines, platform_.ViewCapacity));
    return *TextViews.back();
}

::Platform::RowView& MemoryWindow::AddRowView(const ::Platform::TextViewSpec& spec,
                                              const ::Platform::RowSource& rows, LineList& text) {
    RowViews.push_back(std::make_unique<MemoryRowView>(platform_, spec, rows, text));
    return *RowViews.back();
}

::Platform::TextControl& MemoryWindow::AddLabel(const ::Platform::LabelSpec&) {
    Labels.push_back(std::make_unique<MemoryText>(""));
    return *Labels.back();
}

::Platform::TextControl& MemoryWindow::AddPanel(const ::Platform::PanelSpec& spec) {
    Panels.push_back(std::make_unique<MemoryText>(spec.Text));
    return *Panels.back();
}

void MemoryWindow::ChooseMenu(const std::vector<std::string>& captions) {
    if (!Shown) throw std::logic_error("menu of a hidden window chosen: " + Spec.Caption);
    const std::vector<::Platform::MenuItem>* level = &MenuBar;
    const ::Platform::MenuItem* chosen = nullptr;
    for (const std::string& caption : captions) {
        auto found = std::find_if(level->begin(), level->end(), [&](const ::Platform::MenuItem& i) {
            return i.Caption == caption;
        });
        if (found == level->end()) throw std::logic_error("no menu item " + caption);
        chosen = &*found;
        level = &found->Items;
    }
    if (!chosen || !chosen->Command) throw std::logic_error("menu item without a command");
    // The item may be replaced while its command runs; run a copy.
    const std::function<void()> command = chosen->Command;
    platform_.Guarded(command);
}

// ---- MemoryPlatform

MemoryPlatform::~MemoryPlatform() {
    // Windows that outlive the platform must not call back into it.
    if (!windows_.empty()) std::terminate();
}

std::unique_ptr<::Platform::Window> MemoryPlatform::NewWindow(const ::Platform::WindowSpec& spec) {
    auto window = std::make_unique<MemoryWindow>(*this, spec);
    windows_.push_back(window.get());
    stack_.push_back(window.get());
    return window;
}

std::optional<std::filesystem::path> MemoryPlatform::OpenFileDialog(
    const std::filesystem::path& initialPath) {
    DialogOffers.push_back(initialPath);
    if (DialogAnswers.empty()) return std::nullopt;
    std::optional<std::filesystem::path> answer = DialogAnswers.front();
    DialogAnswers.pop_front();
    return answer;
}

void MemoryPlatform::ShowMessage(const std::string& caption, const std::string& text) {
    MessageBoxes.push_back({caption, text});
}

void MemoryPlatform::SetKeyHandler(std::function<bool(const ::Platform::KeyPress&)> handler) {
    keyHandler_ = std::move(handler);
}

int MemoryPlatform::Run(::Platform::Window& main) {
    main_ = &main;
    LoopEnded = false;
    main.Show();
    std::vector<std::function<void()>> actions = std::move(RunActions);
    RunActions.clear();
    for (const std::function<void()>& action : actions) {
        if (LoopEnded) break;
        action();
    }
    return 0;
}

bool MemoryPlatform::PressKey(MemoryWindow& focused, const ::Platform::KeyPress& key) {
    if (!focused.Shown) throw std::logic_error("a hidden window cannot have the focus");
    bool taken = keyHandler_ != nullptr;  // a command that failed took its key too
    if (keyHandler_) Guarded([&] { taken = keyHandler_(key); });
    if (taken) return true;
    if (!focused.RowViews.empty()) focused.RowViews.front()->PressKey(key);
    return false;
}

bool MemoryPlatform::IsAbove(const MemoryWindow& upper, const MemoryWindow& lower) const {
    auto position = [&](const MemoryWindow& w) {
        return std::find(stack_.begin(), stack_.end(), &w);
    };
    return position(upper) > position(lower);
}

void MemoryPlatform::Raise(MemoryWindow& window) {
    stack_.erase(std::find(stack_.begin(), stack_.end(), &window));
    stack_.push_back(&window);
    active_ = &window;
}

void MemoryPlatform::Hidden(MemoryWindow& window) {
    if (active_ != &window) return;
    // The topmost visible window that is left takes over, as the platform would do.
    active_ = nullptr;
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
        if ((*it)->Shown) {
            active_ = *it;
            break;
        }
}

void MemoryPlatform::Closed(MemoryWindow& window) {
    if (&window == main_) LoopEnded = true;
}

void MemoryPlatform::Forget(MemoryWindow& window) {
    std::erase(windows_, &window);
    std::erase(stack_, &window);
    if (active_ == &window) active_ = nullptr;
    if (main_ == &window) main_ = nullptr;
}
