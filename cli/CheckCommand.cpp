#include "CheckCommand.h"

#include <cerrno>
#include <cstring>

#include "Cp1251.h"
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

// The findings go out in batches as they are found; once a write fails, nothing more is written.
class Report {
  public:
    explicit Report(std::FILE* out) : out_(out) {}
    void Add(std::string_view text) {
        text_.append(text);
        if (text_.size() >= 1 << 16) Flush();
    }
    void Flush() {
        if (!failed_ && !text_.empty() && !Terminal::WriteMessage(out_, text_)) {
            failed_ = true;
            error_ = errno;
        }
        text_.clear();
    }
    bool Failed() const { return failed_; }
    int Error() const { return error_; }

  private:
    std::FILE* out_;
    std::string text_;
    bool failed_ = false;
    int error_ = 0;
};

// The script's bytes, read once: a pipe or a FIFO cannot be read a second time.
bool ReadScript(const std::filesystem::path& path, std::string& raw, std::FILE* err) {
    std::string error;
    if (path == "-" ? FileAccess::ReadWhole(FileAccess::StandardInput(), raw, error)
                    : FileAccess::ReadWhole(path, raw, error))
        return true;
    ReportFailure(err, Cp1251::FromPath(path),
                  path == "-"
                      ? error
                      : "Cannot open file \"" + Cp1251::FromPath(FileAccess::AbsolutePath(path)) +
                            "\". " + error);
    return false;
}

// Adds the findings of one script to the report; false when the script cannot be read.
bool Check(const std::filesystem::path& path, bool quiet, Report& report, size_t& found,
           std::FILE* err) {
    const std::string shown = Cp1251::FromPath(path);
    std::string raw;
    if (!ReadScript(path, raw, err)) return false;
    LineList script;
    script.LoadText(raw);  // exactly as a run loads it
    const std::string end = OutputLineEnd;
    Pitfalls::Find(script, raw, [&](const Pitfalls::Finding& finding) {
        ++found;
        report.Add(shown + ":" + std::to_string(finding.Line + 1) + ":" +
                   std::to_string(finding.Column) + ": warning: " + finding.Message + end);
        if (!quiet) {
            const std::string_view line = script.Get(finding.Line);
            report.Add(std::string("  ").append(line).append(end));
            report.Add("  " + Caret(line, finding.Column) + end);
        }
        return !report.Failed();
    });
    report.Flush();
    return true;
}

}  // namespace

int CheckCommand(const std::vector<std::filesystem::path>& scripts, bool quiet, std::FILE* out,
                 std::FILE* err) {
    size_t found = 0;
    bool unreadable = false;
    Report report(out);
    for (const std::filesystem::path& path : scripts) {
        if (!Check(path, quiet, report, found, err)) unreadable = true;
        // A reader that went away has what it wanted; the status still says what was found.
        if (report.Failed() && report.Error() == EPIPE) return 1;
        if (report.Failed()) {
            std::fprintf(err, "vantrel-cli: cannot write the findings: %s\n",
                         std::strerror(report.Error()));
            return 1;
        }
    }
    return found > 0 || unreadable ? 1 : 0;
}
