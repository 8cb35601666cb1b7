#include "CheckCommand.h"

#include <cerrno>
#include <cstring>

#include "Cp1251.h"
#include "Errors.h"
#include "FileAccess.h"
#include "LineList.h"
#include "Output.h"
#include "Pitfalls.h"
#include "Terminal.h"

namespace {

// The caret line: the line's tabs are kept so that the caret stands under the column however
// wide the terminal draws a tab.
std::string Caret(std::string_view line, int32_t column) {
    std::string caret;
    for (int32_t p = 1; p < column; ++p)
        caret += static_cast<size_t>(p) <= line.size() && line[p - 1] == '\t' ? '\t' : ' ';
    return caret + "^";
}

// The findings of one script in the checker's format; false when the script cannot be read.
bool Check(const std::filesystem::path& path, bool quiet, std::string& report, size_t& found,
           std::FILE* err) {
    const std::string shown = Cp1251::FromPath(path);
    LineList script;
    std::string raw, error;
    try {
        script.LoadFile(path);  // exactly as a run loads it
    } catch (const Exception& e) {
        ReportFailure(err, shown, e.Message);
        return false;
    }
    if (!FileAccess::ReadWhole(path, raw, error)) {
        ReportFailure(err, shown,
                      "Cannot open file \"" + Cp1251::FromPath(FileAccess::AbsolutePath(path)) +
                          "\". " + error);
        return false;
    }
    const std::string end = OutputLineEnd;
    for (const Pitfalls::Finding& finding : Pitfalls::Find(script, raw)) {
        ++found;
        report += shown + ":" + std::to_string(finding.Line + 1) + ":" +
                  std::to_string(finding.Column) + ": warning: " + finding.Message + end;
        if (quiet) continue;
        const std::string_view line = script.Get(finding.Line);
        report.append("  ").append(line).append(end);
        report += "  " + Caret(line, finding.Column) + end;
    }
    return true;
}

}  // namespace

int CheckCommand(const std::vector<std::filesystem::path>& scripts, bool quiet, std::FILE* out,
                 std::FILE* err) {
    size_t found = 0;
    bool unreadable = false;
    for (const std::filesystem::path& path : scripts) {
        std::string report;
        if (!Check(path, quiet, report, found, err)) {
            unreadable = true;
            continue;
        }
        if (!Terminal::WriteMessage(out, report)) {
            std::fprintf(err, "vantrel-cli: cannot write the findings: %s\n", std::strerror(errno));
            return 1;
        }
    }
    return found > 0 || unreadable ? 1 : 0;
}
