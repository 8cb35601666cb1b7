// The text of a view over rows drawn on demand: the source's rows, each ending a line, then one
// empty line. What the user changes is held as pieces over the rows (runs of untouched rows and
// runs of typed lines), so the whole text is never built and an edit costs what it changes.
#pragma once

#include <compare>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform.h"

struct RowPoint {
    uint64_t Line = 0;
    uint32_t Column = 0;  // 0 is before the line's first character
    auto operator<=>(const RowPoint&) const = default;
};

// Where the selection starts (Anchor) and where the caret stands.
struct RowSelection {
    RowPoint Anchor, Caret;
};

class RowText {
  public:
    explicit RowText(const Platform::RowSource& rows);

    // Back to the source's rows as they are now: no edits, nothing to undo.
    void Reset();
    uint64_t LineCount() const { return lineCount_; }
    std::string Line(uint64_t line) const;  // empty beyond the text
    uint32_t Length(uint64_t line) const;

    // Replaces the text from `from` to `to` (from <= to) with `text`, whose line breaks may be
    // CR LF, LF or CR. `before` is the selection the change is undone to; `typing` lets a run of
    // typed characters on one line undo as one step. Returns where the new text ends.
    RowPoint Replace(RowPoint from, RowPoint to, std::string_view text, RowSelection before,
                     bool typing = false);
    // Takes back the last change (or gives it again); returns the selection to show, nothing
    // when there is no change to take back.
    std::optional<RowSelection> Undo();
    std::optional<RowSelection> Redo();

    // The text from `from` to `to`, CR LF between lines, appended to `out`.
    void AppendText(std::string& out, RowPoint from, RowPoint to) const;
    // What that text stands for: the source's bytes for untouched rows, the characters of typed
    // lines.
    uint64_t Bytes(RowPoint from, RowPoint to) const;

    // The line that shows source row `row`; where the row was edited away, the first line after
    // the edit.
    uint64_t LineOfRow(uint64_t row) const;
    // The source row that `line` shows, or nothing for a typed line.
    std::optional<uint64_t> RowOfLine(uint64_t line) const;

  private:
    // A run of lines: source rows First.. when Typed is empty, else lines First.. of Typed.
    struct Piece {
        std::shared_ptr<const std::vector<std::string>> Typed;
        uint64_t First = 0, Count = 0;
    };
    struct Change {
        uint64_t Line = 0, Count = 0;  // the lines the change put in
        std::vector<Piece> Replaced;   // what they stand in for
        RowSelection Before;           // the selection to show once it is taken back
        RowPoint After;                // the caret once it is made (again)
        bool Typing = false;
    };

    size_t PieceAt(uint64_t line) const;  // the piece holding `line` (below LineCount)
    std::string LineOf(const Piece& piece, uint64_t index) const;
    // Replaces `count` lines from `line` with `with`; returns the pieces taken out.
    std::vector<Piece> Splice(uint64_t line, uint64_t count, std::vector<Piece> with);
    void Count();
    // Takes the last change off `from`, makes it the other way round and puts that on `to`.
    Change Apply(std::vector<Change>& from, std::vector<Change>& to);

    const Platform::RowSource& rows_;
    std::vector<Piece> pieces_;
    std::vector<uint64_t> starts_;  // the first line of each piece
    uint64_t lineCount_ = 0;
    std::vector<Change> undo_, redo_;
};
