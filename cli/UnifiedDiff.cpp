#include "UnifiedDiff.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace UnifiedDiff {
namespace {

constexpr size_t Context = 3;
// Beyond this many differing lines the shortest edit costs too much memory to find; the
// differing middle is then shown as removed and added whole.
constexpr ptrdiff_t MostEdits = 1000;

using Lines = std::vector<std::string_view>;

struct Edit {
    char Kind;  // ' ', '-' or '+'
    std::string_view Text;
};

// The shortest edit script of a[0..n) into b[0..m) (Myers), or false when it needs more than
// MostEdits insertions and deletions.
bool ShortestEdits(const std::string_view* a, ptrdiff_t n, const std::string_view* b, ptrdiff_t m,
                   std::vector<Edit>& edits) {
    const ptrdiff_t most = std::min(n + m, MostEdits);
    const ptrdiff_t offset = most + 1;
    std::vector<ptrdiff_t> v(2 * offset + 1, 0);
    // Row d holds v[-d-1 .. d+1] as it stood when round d began: all that the walk back reads.
    std::vector<ptrdiff_t> trace;
    std::vector<size_t> rowStart;
    for (ptrdiff_t d = 0; d <= most; ++d) {
        rowStart.push_back(trace.size());
        trace.insert(trace.end(), v.begin() + (offset - d - 1), v.begin() + (offset + d + 2));
        for (ptrdiff_t k = -d; k <= d; k += 2) {
            ptrdiff_t x = k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])
                              ? v[offset + k + 1]
                              : v[offset + k - 1] + 1;
            ptrdiff_t y = x - k;
            while (x < n && y < m && a[x] == b[y]) ++x, ++y;
            v[offset + k] = x;
            if (x < n || y < m) continue;
            // Walk back through the saved rows to recover the path.
            std::vector<Edit> reversed;
            for (ptrdiff_t e = d; e > 0; --e) {
                const ptrdiff_t* row = trace.data() + rowStart[e] + e + 1;  // row[k] is v[k]
                const ptrdiff_t kk = x - y;
                const bool down = kk == -e || (kk != e && row[kk - 1] < row[kk + 1]);
                const ptrdiff_t prevK = down ? kk + 1 : kk - 1;
                const ptrdiff_t prevX = row[prevK];
                const ptrdiff_t prevY = prevX - prevK;
                while (x > prevX && y > prevY) reversed.push_back({' ', a[--x]}), --y;
                if (down)
                    reversed.push_back({'+', b[--y]});
                else
                    reversed.push_back({'-', a[--x]});
            }
            while (x > 0) reversed.push_back({' ', a[--x]});
            edits.insert(edits.end(), reversed.rbegin(), reversed.rend());
            return true;
        }
    }
    return false;
}

std::vector<Edit> Edits(const Lines& a, const Lines& b) {
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    std::vector<Edit> edits;
    for (size_t i = 0; i < head; ++i) edits.push_back({' ', a[i]});
    const auto n = static_cast<ptrdiff_t>(a.size() - head - tail);
    const auto m = static_cast<ptrdiff_t>(b.size() - head - tail);
    if (!ShortestEdits(a.data() + head, n, b.data() + head, m, edits)) {
        for (ptrdiff_t i = 0; i < n; ++i) edits.push_back({'-', a[head + i]});
        for (ptrdiff_t i = 0; i < m; ++i) edits.push_back({'+', b[head + i]});
    }
    for (size_t i = a.size() - tail; i < a.size(); ++i) edits.push_back({' ', a[i]});
    return edits;
}

// "l,s" as a hunk header writes a range: s is left out when it is 1, and an empty range starts
// at the line before it.
std::string Range(size_t first, size_t count) {
    if (count == 1) return std::to_string(first + 1);
    return std::to_string(count == 0 ? first : first + 1) + "," + std::to_string(count);
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(from, end - from);
        if (next != end && line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
        from = next;
    }
    return lines;
}

std::string Between(std::string_view beforeName, const Lines& before, std::string_view afterName,
                    const Lines& after) {
    if (before == after) return {};
    const std::vector<Edit> edits = Edits(before, after);
    std::string diff;
    diff.append("--- ").append(beforeName).append("\n+++ ").append(afterName).append("\n");

    // Line numbers in `before` and `after` at the start of each edit.
    std::vector<size_t> oldAt(edits.size() + 1, 0), newAt(edits.size() + 1, 0);
    for (size_t i = 0; i < edits.size(); ++i) {
        oldAt[i + 1] = oldAt[i] + (edits[i].Kind != '+');
        newAt[i + 1] = newAt[i] + (edits[i].Kind != '-');
    }
    size_t i = 0;
    while (i < edits.size()) {
        while (i < edits.size() && edits[i].Kind == ' ') ++i;
        if (i == edits.size()) break;
        const size_t begin = i >= Context ? i - Context : 0;
        // A hunk goes on while the next change is close enough for the contexts to touch.
        size_t last = i;
        for (size_t j = i + 1; j < edits.size() && j <= last + 2 * Context + 1; ++j) {
            if (edits[j].Kind != ' ') last = j;
        }
        const size_t end = std::min(edits.size(), last + 1 + Context);
        diff += "@@ -" + Range(oldAt[begin], oldAt[end] - oldAt[begin]) + " +" +
                Range(newAt[begin], newAt[end] - newAt[begin]) + " @@\n";
        for (size_t j = begin; j < end; ++j) {
            diff += edits[j].Kind;
            diff.append(edits[j].Text).append("\n");
        }
        i = end;
    }
    return diff;
}

}  // namespace UnifiedDiff
