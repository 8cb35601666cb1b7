// A unified diff of two texts taken as lines, the way a reviewer reads a changed listing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace UnifiedDiff {

// The lines of a text: LF and CR LF end a line alike, and a missing final line end does not
// count. The views point into `text`.
std::vector<std::string_view> SplitLines(std::string_view text);

// The diff from `before` to `after`: "--- " and "+++ " header lines naming them, then hunks with
// "@@ -l,s +l,s @@" headers and 3 lines of context; lines end in LF. Empty when the lines are
// equal. The edits are the fewest there are, up to 1000 differing lines; beyond, the lines between
// the common head and tail are shown removed and added whole.
std::string Between(std::string_view beforeName, const std::vector<std::string_view>& before,
                    std::string_view afterName, const std::vector<std::string_view>& after);

}  // namespace UnifiedDiff
