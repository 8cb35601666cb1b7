#include "Pitfalls.h"

#include <algorithm>

#include "Errors.h"
#include "HexUnit.h"
#include "LineList.h"
#include "RunUnit.h"
#include "StringUnit.h"

namespace Pitfalls {

namespace {

using RunUnit::Keyword;

constexpr char Blank = StringUnit::WordDelimiter;
constexpr char Apostrophe = StringUnit::TextDelimiter;

// A text of the script in quotes; a long one is cut, the line is shown below the message.
std::string Quoted(std::string_view text) {
    constexpr size_t Longest = 40;
    std::string quoted = "\"";
    quoted.append(text.substr(0, Longest));
    return quoted + (text.size() > Longest ? "...\"" : "\"");
}

// Character p (1-based) of the line, or 0 outside it; positions compare as unsigned, as the
// tokenizer's do.
char At(std::string_view line, int32_t p) {
    return static_cast<uint32_t>(p) - 1 < line.size() ? line[p - 1] : '\0';
}

bool WordStartsAt(std::string_view line, int32_t p) {
    char c = At(line, p);
    return c != '\0' && c != Blank && (p == 1 || At(line, p - 1) == Blank);
}

std::string Upper(std::string_view word) {
    std::string upper(word);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// One letter added, dropped or changed, or two neighbouring letters swapped.
bool OneTypoApart(std::string_view a, std::string_view b) {
    if (a.size() < b.size()) std::swap(a, b);
    size_t i = 0;
    while (i < b.size() && a[i] == b[i]) ++i;
    if (a.size() == b.size() + 1) return a.substr(i + 1) == b.substr(i);
    if (a.size() != b.size() || i == a.size()) return false;
    if (a.substr(i + 1) == b.substr(i + 1)) return true;
    return i + 1 < a.size() && a[i] == b[i + 1] && a[i + 1] == b[i] &&
           a.substr(i + 2) == b.substr(i + 2);
}

// What argument j of the command is, for messages.
std::string ArgumentName(const Keyword& keyword, int j) {
    switch (keyword.Kinds[j]) {
        case RunUnit::Argument::Register:
            return "register number";
        case RunUnit::Argument::Offset:
            return "image offset";
        case RunUnit::Argument::Shift:
            return "shift count";
        default:
            return "value";
    }
}

class LineCheck {
  public:
    explicit LineCheck(std::string_view line) : line_(line) {}

    std::vector<Finding> Run() {
        const std::string_view first = StringUnit::WordAt(line_, 1);
        const Keyword* keyword = RunUnit::FindKeyword(first);
        const int32_t column = Position(first);
        if (keyword == nullptr) {
            CommentThatLooksLikeACommand(first, column);
        } else if (keyword->Inert) {
            if (!StringUnit::WordAt(line_, column + static_cast<int32_t>(first.size())).empty()) {
                Add(column, Quoted(first) +
                                " selects no command: the line does nothing, whatever follows it");
            }
        } else {
            Command(*keyword, column);
        }
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) { return a.Column < b.Column; });
        return std::move(findings_);
    }

  private:
    void Add(int32_t column, std::string message) {
        findings_.push_back({0, column, std::move(message)});
    }
    void Stop(int32_t column, std::string message) {
        findings_.push_back({0, column, std::move(message), true});
    }

    int32_t Size() const { return static_cast<int32_t>(line_.size()); }

    // Where a piece of the line that StringUnit found starts; one past the end when it is empty.
    int32_t Position(std::string_view piece) const {
        return piece.empty() ? Size() + 1 : static_cast<int32_t>(piece.data() - line_.data()) + 1;
    }

    void CommentThatLooksLikeACommand(std::string_view first, int32_t column) {
        const std::string comment = ": the line is a comment and does nothing";
        // A tab glues the keyword to what follows it.
        size_t tab = first.find('\t');
        if (tab != std::string_view::npos) {
            std::string_view piece =
                first.substr(std::min(first.find_first_not_of('\t'), first.size()));
            piece = piece.substr(0, piece.find('\t'));
            const Keyword* glued = RunUnit::FindKeyword(piece);
            if (glued != nullptr && !glued->Inert) {
                Add(column + static_cast<int32_t>(tab), "a tab does not separate words, so " +
                                                            Quoted(piece) +
                                                            " is not the first word" + comment);
            }
            return;
        }
        for (const Keyword& keyword : RunUnit::Keywords()) {
            if (keyword.Inert || first.empty()) continue;
            if (Upper(first) == keyword.Text) {
                Add(column, Quoted(first) + " is " + Quoted(keyword.Text) +
                                " in another letter case; letter case counts" + comment);
                return;
            }
            if (OneTypoApart(first, keyword.Text)) {
                Add(column, Quoted(first) + " is one typo away from " + Quoted(keyword.Text) +
                                " but is no command" + comment);
                return;
            }
        }
    }

    void Command(const Keyword& keyword, int32_t keywordColumn) {
        const RunUnit::ArgumentScan scan = RunUnit::ScanArguments(line_, keyword);
        const int arguments = keyword.Arguments();
        int32_t label = -1;  // where the label's text begins, when it has one
        int32_t labelEnd = -1;
        if (keyword.Label()) LabelBounds(scan.At[arguments], label, labelEnd);
        Tabs(label, labelEnd);

        int32_t values[RunUnit::MaxArguments] = {};
        bool skippedIntoLabel = false;
        for (int j = 0; j < arguments + (keyword.Label() ? 1 : 0); ++j) {
            const bool isLabel = j == arguments;
            if (j > 0 && WordStartsAt(line_, scan.Start[j])) {
                skippedIntoLabel = isLabel;
                SkippedWord(keyword, j, scan);
            }
            if (isLabel) break;
            if (!Argument(keyword, j, scan.At[j], keywordColumn, values[j])) return;
        }
        for (int j = 0; j < arguments; ++j) {
            if (keyword.Kinds[j] != RunUnit::Argument::Register) continue;
            try {
                RunUnit::CheckRegister(values[j]);
            } catch (const ERangeError& e) {
                Stop(scan.At[j],
                     "the register number is outside 1 to 400: the run stops here: " + e.Message);
                return;
            }
        }
        WideComparison(keyword, scan, values[1]);
        if (keyword.Label()) {
            if (!skippedIntoLabel) Label(keyword, scan.At[arguments], labelEnd);
            if (labelEnd > 0) Ignored(labelEnd + 1, " after the label is ignored");
        } else {
            const int32_t last = scan.At[arguments - 1];
            Ignored(last + static_cast<int32_t>(StringUnit::WordAt(line_, last).size()),
                    " after the last argument is ignored");
        }
    }

    // A one-character argument followed by exactly one blank: the scan for the next item starts
    // on the first character of the next word and skips it whole.
    void SkippedWord(const Keyword& keyword, int j, const RunUnit::ArgumentScan& scan) {
        const int32_t start = scan.Start[j];
        std::string message = "one-character argument " +
                              Quoted(StringUnit::WordAt(line_, scan.At[j - 1])) +
                              " followed by one blank: the run skips " +
                              Quoted(StringUnit::WordAt(line_, start)) + " and ";
        if (j == keyword.Arguments()) {
            std::string_view label = StringUnit::QuotedAt(line_, scan.At[j]);
            message += label.empty() ? "lists an empty label" : "lists the label " + Quoted(label);
        } else {
            std::string_view word = StringUnit::WordAt(line_, scan.At[j]);
            message += "reads the " + ArgumentName(keyword, j) + " from " +
                       (word.empty() ? std::string("nothing") : Quoted(word));
        }
        Add(start, message);
    }

    // Converts argument j as the run does; false when the run stops on it.
    bool Argument(const Keyword& keyword, int j, int32_t at, int32_t keywordColumn,
                  int32_t& value) {
        const std::string_view word = StringUnit::WordAt(line_, at);
        const std::string name = ArgumentName(keyword, j);
        try {
            value = StringUnit::HexAt(line_, at);
        } catch (const EConvertError& e) {
            const std::string stops = ": the run stops here: " + e.Message;
            if (!word.empty() && at == keywordColumn) {
                Stop(at, "more blanks before " + Quoted(keyword.Text) + " than its " +
                             std::to_string(keyword.Text.size()) +
                             " letters: the argument scan starts among them and reads the "
                             "keyword as the " +
                             name + stops);
            } else if (!word.empty()) {
                Stop(at,
                     "the " + name + " " + Quoted(word) + " is not a hexadecimal number" + stops);
            } else if (at == -2) {  // the scan's mark was -1
                Stop(Size(), "the one-character word " + Quoted(line_.substr(line_.size() - 1)) +
                                 " that ends the line is not found as the " + name + stops);
            } else {
                Stop(Size() + 1, "missing " + name + stops);
            }
            return false;
        }
        const auto read = static_cast<uint32_t>(value);
        const size_t digits = word.size() - std::min(word.find_first_not_of('0'), word.size());
        if (digits > 8) {
            Add(at, Quoted(word) + " has more than 8 digits: only the low 32 bits count, so the " +
                        name + " is " + HexUnit::Hex32(read));
        } else if (keyword.Kinds[j] == RunUnit::Argument::Value16 && read > 0xFFFF) {
            Add(at, Quoted(word) + " is wider than 16 bits: " + Quoted(keyword.Text) +
                        " uses only the low 16 bits, " + HexUnit::Hex32(read & 0xFFFF).substr(4));
        }
        return true;
    }

    void WideComparison(const Keyword& keyword, const RunUnit::ArgumentScan& scan, int32_t value) {
        if (keyword.Compares == 0) return;
        const uint32_t widest = 0xFFFFFFFFu >> (32 - 8 * keyword.Compares);
        if (static_cast<uint32_t>(value) <= widest) return;
        Add(scan.At[1], Quoted(keyword.Text) + " compares " + std::to_string(keyword.Compares) +
                            " bytes and " + Quoted(StringUnit::WordAt(line_, scan.At[1])) +
                            " is wider: the test never matches and its label is never listed");
    }

    // The label's text runs from `text` up to its closing apostrophe at `end` (-1 when the
    // line ends first), as QuotedAt collects it from `at`.
    void LabelBounds(int32_t at, int32_t& text, int32_t& end) {
        if (static_cast<uint32_t>(at) - 1 >= line_.size()) return;
        const std::string_view label = StringUnit::QuotedAt(line_, at);
        text = Position(label);
        const int32_t after = text + static_cast<int32_t>(label.size());
        if (label.empty()) {  // only apostrophes up to the end: an empty text, closed
            end = Size();
        } else {
            end = after <= Size() ? after : -1;
        }
    }

    void Label(const Keyword& keyword, int32_t at, int32_t end) {
        const std::string empty = keyword.Prints == RunUnit::Lists::Flag
                                      ? "a match lists an empty line"
                                      : "the listing line starts with \": \"";
        if (at == -1) {
            Add(Size(), "the one-character label " + Quoted(line_.substr(line_.size() - 1)) +
                            " that ends the line is not found: " + empty);
            return;
        }
        if (at > Size()) {
            Add(Size() + 1, "missing label: " + empty);
            return;
        }
        const std::string_view label = StringUnit::QuotedAt(line_, at);
        if (At(line_, at - 1) != Apostrophe) {
            Add(at - 1, "a label without apostrophes loses its first character: the label is " +
                            Quoted(label));
        } else if (end < 0) {
            Add(Size() + 1,
                "no closing apostrophe: the label runs to the end of the line, " + Quoted(label));
        }
    }

    void Ignored(int32_t from, const char* what) {
        const int32_t p = Position(StringUnit::WordAt(line_, from));
        if (p > Size()) return;
        Add(p, Quoted(line_.substr(p - 1)) + what);
    }

    // Tabs outside the label's text are glued to the words around them.
    void Tabs(int32_t label, int32_t labelEnd) {
        for (size_t i = line_.find('\t'); i != std::string_view::npos;
             i = line_.find('\t', i + 1)) {
            const auto p = static_cast<int32_t>(i) + 1;
            if (label > 0 && p >= label && (labelEnd < 0 || p < labelEnd)) continue;
            const size_t blank = line_.rfind(Blank, i);
            const std::string_view word = StringUnit::WordAt(
                line_, blank == std::string_view::npos ? 1 : static_cast<int32_t>(blank) + 2);
            Add(p, "a tab does not separate words: it is part of the word " + Quoted(word));
        }
    }

    std::string_view line_;
    std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> FindInLine(std::string_view line) {
    return LineCheck(line).Run();
}

void Find(LineList& script, std::string_view raw, const std::function<bool(Finding&)>& report) {
    const std::string_view text = script.Text();
    const int32_t count = script.Count();

    if (raw.starts_with("\xEF\xBB\xBF")) {
        std::string_view rest = StringUnit::WordAt(script.Get(0).substr(3), 1);
        const Keyword* keyword = RunUnit::FindKeyword(rest);
        Finding bom{0, 1,
                    keyword != nullptr && !keyword->Inert
                        ? "a UTF-8 byte-order mark is part of the first word, so " + Quoted(rest) +
                              " does not run: the line is a comment and does nothing"
                        : std::string("a UTF-8 byte-order mark: the run reads its three bytes as "
                                      "text of the first line")};
        if (!report(bom)) return;
    } else if (raw.starts_with("\xFF\xFE") || raw.starts_with("\xFE\xFF")) {
        Finding bom{0, 1,
                    "a UTF-16 byte-order mark: scripts are single-byte text, read byte by byte"};
        if (!report(bom)) return;
    }

    size_t start = 0;
    for (int32_t index = 0; index < count; ++index) {
        size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        if (end - start > LineList::MaxLineLength) {
            Finding cut{index, static_cast<int32_t>(LineList::MaxLineLength) + 1,
                        "the line is " + std::to_string(end - start) +
                            " characters long: the run reads only its first " +
                            std::to_string(LineList::MaxLineLength)};
            if (!report(cut)) return;
        }
        for (Finding& finding : FindInLine(script.Get(index))) {
            finding.Line = index;
            if (!report(finding)) return;
        }
        start = end + 2;
    }

    // Loading cuts the text at the first NUL: it sits at the end of what was loaded, after the
    // last line's other findings.
    if (raw.find('\0') != std::string_view::npos) {
        size_t lastBreak = text.rfind("\r\n");
        size_t lineStart = lastBreak == std::string_view::npos ? 0 : lastBreak + 2;
        auto line = static_cast<int32_t>(std::count(text.begin(), text.end(), '\n'));
        Finding nul{line, static_cast<int32_t>(text.size() - lineStart) + 1,
                    "a NUL byte: the run ignores it and the rest of the file"};
        if (!report(nul)) return;
    }
}

}  // namespace Pitfalls
