#include "LineList.h"

#include <algorithm>
#include <cstring>

#include "Cp1251.h"
#include "Errors.h"
#include "FileAccess.h"

namespace {

constexpr std::string_view Break = "\r\n";

std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

}  // namespace

// The stretches between breaks are copied whole.
std::string LineList::NormaliseBreaks(std::string_view raw) {
    std::string out;
    out.reserve(raw.size() + raw.size() / 16);
    FileAccess::PrepareLargeBuffer(out.data(), out.capacity());
    const char* p = raw.data();
    const char* end = p + raw.size();
    while (p < end) {
        auto* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char* stop = lf ? lf : end;
        bool paired = false;  // a CR right before the LF makes one break with it
        while (auto* cr =
                   static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(stop - p)))) {
            out.append(p, cr).append(Break);
            p = cr + 1;
            if (p == lf) {
                paired = true;
                break;
            }
        }
        if (!paired) {
            out.append(p, stop);
            if (lf) out.append(Break);
        }
        p = lf ? lf + 1 : end;
    }
    return out;
}

void LineList::Refresh() {
    if (!stale_ || !view_) return;
    stale_ = false;
    text_ = view_->ReadText();
    text_.resize(UpToNul(text_).size());
    Reindex();
}

void LineList::Reindex() {
    starts_.assign(1, 0);
    starts_.reserve(1 + static_cast<size_t>(std::count(text_.begin(), text_.end(), '\n')));
    FileAccess::PrepareLargeBuffer(starts_.data(), starts_.capacity() * sizeof(size_t));
    for (size_t at = text_.find(Break); at != std::string::npos; at = text_.find(Break, at + 2))
        starts_.push_back(at + 2);
}

void LineList::CheckFits(size_t newSize) const {
    if (newSize > capacity_) throw ECapacityError();
}

void LineList::Notify() {
    unsent_.clear();
    if (view_) view_->TextReplaced(text_);
}

LineList::Batch::~Batch() {
    if (--list_.batches_ > 0 || list_.unsent_.empty()) return;
    std::string bytes;
    bytes.swap(list_.unsent_);
    try {
        if (list_.view_) list_.view_->TextAppended(bytes);
    } catch (...) {  // out of memory while showing: the list keeps the text, the view lags
    }
}

void LineList::Append(std::string_view inserted) {
    if (inserted.empty()) return;
    // A break may straddle the old end only if the old text ended with CR.
    size_t scanFrom = text_.empty() ? 0 : text_.size() - 1;
    const size_t oldSize = text_.size(), oldLines = starts_.size();
    text_ += inserted;
    try {
        for (size_t at = text_.find(Break, scanFrom); at != std::string::npos;
             at = text_.find(Break, at + 2))
            starts_.push_back(at + 2);
    } catch (...) {  // out of memory: the list stays as it was, text and index alike
        text_.resize(oldSize);
        starts_.resize(oldLines);
        throw;
    }
    if (!view_) return;
    if (batches_ > 0)
        unsent_ += inserted;
    else
        view_->TextAppended(inserted);
}

void LineList::Bind(LineListView* view) {
    view_ = view;
    stale_ = false;
    Notify();
}

int32_t LineList::Count() {
    Refresh();
    size_t lines = starts_.size() - (starts_.back() == text_.size() ? 1 : 0);
    return static_cast<int32_t>(lines);
}

std::string_view LineList::Get(int32_t index) {
    Refresh();
    if (index < 0 || static_cast<size_t>(index) >= starts_.size()) return {};
    size_t begin = starts_[index];
    size_t end =
        static_cast<size_t>(index) + 1 < starts_.size() ? starts_[index + 1] - 2 : text_.size();
    return std::string_view(text_).substr(begin, std::min(end - begin, MaxLineLength));
}

std::string_view LineList::Text() {
    Refresh();
    return text_;
}

int32_t LineList::Add(std::string_view text) {
    int32_t before = Count();
    std::string inserted;
    if (starts_.back() == text_.size()) {  // line number Count() exists: fill it
        inserted.append(text).append(Break);
    } else {
        inserted.append(Break).append(text);
    }
    inserted.resize(UpToNul(inserted).size());
    CheckFits(text_.size() + inserted.size());

    Append(inserted);
    return before;
}

void LineList::Clear() {
    stale_ = false;
    text_.clear();
    starts_.assign(1, 0);
    Notify();
}

void LineList::SetText(std::string text) {
    CheckFits(text.size());
    stale_ = false;
    text_ = std::move(text);
    Reindex();
    Notify();
}

void LineList::LoadFile(const std::filesystem::path& path,
                        const FileAccess::ReadProgress& progress) {
    std::string raw, error;
    if (!FileAccess::ReadWhole(path, raw, error, progress))
        throw EFileOpenError("Cannot open file \"" +
                             Cp1251::FromPath(FileAccess::AbsolutePath(path)) + "\". " + error);
    LoadText(raw);
}

void LineList::LoadText(std::string_view raw) {
    std::string text = NormaliseBreaks(raw);
    const std::string_view kept = UpToNul(raw);
    lineEnds_ =
        kept.find('\n') != std::string_view::npos && kept.find('\r') == std::string_view::npos
            ? LineEnds::Lf
            : LineEnds::CrLf;
    Refresh();
    if (text == text_) return;
    text.resize(UpToNul(text).size());
    SetText(std::move(text));
}

void LineList::SaveFile(const std::filesystem::path& path) {
    Refresh();
    std::string lf;
    if (lineEnds_ == LineEnds::Lf) {
        lf.reserve(text_.size());
        size_t from = 0;
        for (size_t at = text_.find(Break); at != std::string::npos; at = text_.find(Break, from)) {
            lf.append(text_, from, at - from).push_back('\n');
            from = at + Break.size();
        }
        lf.append(text_, from);
    }
    std::string error;
    if (!FileAccess::ReplaceWhole(path, lineEnds_ == LineEnds::Lf ? lf : text_, error))
        throw EFileCreateError("Cannot create file \"" +
                               Cp1251::FromPath(FileAccess::AbsolutePath(path)) + "\". " + error);
}
