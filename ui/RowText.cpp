#include "RowText.h"

#include <algorithm>

namespace {

// `text` cut at its line breaks (CR LF, LF or CR).
std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines(1);
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\r' || text[at] == '\n') {
            if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
            lines.emplace_back();
        } else {
            lines.back() += text[at];
        }
    }
    return lines;
}

}  // namespace

RowText::RowText(const Platform::RowSource& rows) : rows_(rows) {
    Reset();
}

void RowText::Reset() {
    pieces_.clear();
    if (const uint64_t count = rows_.RowCount(); count > 0) pieces_.push_back({nullptr, 0, count});
    // Every row ends in a line break, so an empty line follows the last.
    static const auto empty = std::make_shared<const std::vector<std::string>>(1);
    pieces_.push_back({empty, 0, 1});
    undo_.clear();
    redo_.clear();
    Count();
}

void RowText::Count() {
    starts_.resize(pieces_.size());
    lineCount_ = 0;
    for (size_t piece = 0; piece < pieces_.size(); ++piece) {
        starts_[piece] = lineCount_;
        lineCount_ += pieces_[piece].Count;
    }
}

size_t RowText::PieceAt(uint64_t line) const {
    return static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), line) -
                               starts_.begin()) -
           1;
}

std::string RowText::LineOf(const Piece& piece, uint64_t index) const {
    return piece.Typed ? (*piece.Typed)[piece.First + index] : rows_.Row(piece.First + index);
}

std::string RowText::Line(uint64_t line) const {
    if (line >= lineCount_) return {};
    const size_t piece = PieceAt(line);
    return LineOf(pieces_[piece], line - starts_[piece]);
}

uint32_t RowText::Length(uint64_t line) const {
    return static_cast<uint32_t>(Line(line).size());
}

std::vector<RowText::Piece> RowText::Splice(uint64_t line, uint64_t count,
                                            std::vector<Piece> with) {
    // The index of the piece that starts at `at`, splitting the one that holds it.
    auto splitAt = [this](uint64_t at) {
        if (at >= lineCount_) return pieces_.size();
        const size_t index = PieceAt(at);
        const uint64_t offset = at - starts_[index];
        if (offset == 0) return index;
        Piece tail = pieces_[index];
        tail.First += offset;
        tail.Count -= offset;
        pieces_[index].Count = offset;
        pieces_.insert(pieces_.begin() + static_cast<ptrdiff_t>(index) + 1, std::move(tail));
        Count();
        return index + 1;
    };
    const size_t first = splitAt(line);
    const size_t end = splitAt(line + count);
    std::vector<Piece> taken(pieces_.begin() + static_cast<ptrdiff_t>(first),
                             pieces_.begin() + static_cast<ptrdiff_t>(end));
    std::erase_if(with, [](const Piece& piece) { return piece.Count == 0; });
    pieces_.erase(pieces_.begin() + static_cast<ptrdiff_t>(first),
                  pieces_.begin() + static_cast<ptrdiff_t>(end));
    pieces_.insert(pieces_.begin() + static_cast<ptrdiff_t>(first), with.begin(), with.end());
    Count();
    return taken;
}

RowPoint RowText::Replace(RowPoint from, RowPoint to, std::string_view text, RowSelection before,
                          bool typing) {
    const std::string first = Line(from.Line);
    const std::string last = to.Line == from.Line ? first : Line(to.Line);
    const size_t start = std::min<size_t>(from.Column, first.size());
    std::string whole = first.substr(0, start);
    whole.append(text);
    whole.append(last, std::min<size_t>(to.Column, last.size()));
    auto lines = SplitLines(whole);
    // Where the new text ends: after its last line, on the line of its last break.
    const std::vector<std::string> inserted = SplitLines(text);
    const size_t breaks = inserted.size() - 1;
    const RowPoint after{
        from.Line + breaks,
        static_cast<uint32_t>(breaks == 0 ? start + text.size() : inserted.back().size())};

    const uint64_t count = lines.size();
    Piece piece{std::make_shared<const std::vector<std::string>>(std::move(lines)), 0, count};
    const uint64_t replaced = to.Line - from.Line + 1;
    Change* previous = undo_.empty() ? nullptr : &undo_.back();
    if (typing && previous && previous->Typing && previous->Line == from.Line &&
        previous->Count == 1 && previous->After == from && replaced == 1 && count == 1) {
        // One more character of a run typed on one line: the run undoes as one step.
        Splice(from.Line, 1, {std::move(piece)});
        previous->After = after;
    } else {
        undo_.push_back({from.Line, count, Splice(from.Line, replaced, {std::move(piece)}), before,
                         after, typing});
    }
    redo_.clear();
    return after;
}

RowText::Change RowText::Apply(std::vector<Change>& from, std::vector<Change>& to) {
    Change change = std::move(from.back());
    from.pop_back();
    uint64_t count = 0;
    for (const Piece& piece : change.Replaced) count += piece.Count;
    std::vector<Piece> taken = Splice(change.Line, change.Count, std::move(change.Replaced));
    // The change the other way: the lines put back stand in for those taken out.
    to.push_back({change.Line, count, std::move(taken), change.Before, change.After, false});
    return change;
}

std::optional<RowSelection> RowText::Undo() {
    if (undo_.empty()) return std::nullopt;
    return Apply(undo_, redo_).Before;
}

std::optional<RowSelection> RowText::Redo() {
    if (redo_.empty()) return std::nullopt;
    const RowPoint after = Apply(redo_, undo_).After;
    return RowSelection{after, after};
}

void RowText::AppendText(std::string& out, RowPoint from, RowPoint to) const {
    const std::string first = Line(from.Line);
    if (from.Line == to.Line) {
        const size_t start = std::min<size_t>(from.Column, first.size());
        out.append(first, start, std::min<size_t>(to.Column, first.size()) - start);
        return;
    }
    out.append(first, std::min<size_t>(from.Column, first.size())).append("\r\n");
    // Whole lines in runs, so that untouched rows are written as fast as the source can.
    for (uint64_t line = from.Line + 1; line < to.Line;) {
        const size_t index = PieceAt(line);
        const Piece& piece = pieces_[index];
        const uint64_t offset = line - starts_[index];
        const uint64_t count = std::min(piece.Count - offset, to.Line - line);
        if (piece.Typed) {
            for (uint64_t typed = 0; typed < count; ++typed)
                out.append(LineOf(piece, offset + typed)).append("\r\n");
        } else {
            rows_.AppendRows(out, piece.First + offset, count);
        }
        line += count;
    }
    const std::string last = Line(to.Line);
    out.append(last, 0, std::min<size_t>(to.Column, last.size()));
}

uint64_t RowText::Bytes(RowPoint from, RowPoint to) const {
    uint64_t bytes = 0;
    for (uint64_t line = from.Line; line <= to.Line && line < lineCount_;) {
        const size_t index = PieceAt(line);
        const Piece& piece = pieces_[index];
        const uint64_t offset = line - starts_[index];
        const uint64_t count = std::min(piece.Count - offset, to.Line - line + 1);
        if (piece.Typed) {
            for (uint64_t typed = 0; typed < count; ++typed)
                bytes += LineOf(piece, offset + typed).size();
        } else {
            bytes += rows_.BytesOf(piece.First + offset, count);
        }
        line += count;
    }
    return bytes;
}

uint64_t RowText::LineOfRow(uint64_t row) const {
    uint64_t line = 0;  // after the last run of rows below `row`
    for (size_t index = 0; index < pieces_.size(); ++index) {
        const Piece& piece = pieces_[index];
        if (piece.Typed) continue;
        if (row < piece.First) break;
        if (row < piece.First + piece.Count) return starts_[index] + (row - piece.First);
        line = starts_[index] + piece.Count;
    }
    return std::min(line, lineCount_ - 1);
}

std::optional<uint64_t> RowText::RowOfLine(uint64_t line) const {
    if (line >= lineCount_) return std::nullopt;
    const size_t index = PieceAt(line);
    const Piece& piece = pieces_[index];
    if (piece.Typed) return std::nullopt;
    return piece.First + (line - starts_[index]);
}
