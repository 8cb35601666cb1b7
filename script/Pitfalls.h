// The script lines that look like checks but do not check what they seem to: each finding says
// what a run will actually do. Lines are read through the interpreter's own keyword table,
// argument scan and tokenizer, so a finding never disagrees with a run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class LineList;

namespace Pitfalls {

struct Finding {
    int32_t Line;           // 0-based index into the script list
    int32_t Column;         // 1-based character position in that line
    std::string Message;    // CP1251
    bool StopsRun = false;  // the run ends with an error at this line
};

// Hands each finding to `report` as it is found, so that a script with millions of them needs
// no more memory than one; `report` returns false to stop the search. `script` holds the script as
// a run loads it (LineList::LoadFile); `raw` holds the file's bytes as stored, for what loading
// hides: a byte-order mark's origin, a NUL byte and the cut of long lines. Findings come in line
// order, and by column within a line.
void Find(LineList& script, std::string_view raw, const std::function<bool(Finding&)>& report);

// The findings of one script line as the run reads it (at most LineList::MaxLineLength
// characters), with Line left at 0.
std::vector<Finding> FindInLine(std::string_view line);

}  // namespace Pitfalls
