#include "Commands.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <string>
#include <string_view>

#include "Cp1251.h"
#include "Errors.h"
#include "FileAccess.h"
#include "HexUnit.h"
#include "LineList.h"
#include "Pitfalls.h"
#include "RunUnit.h"
#include "Terminal.h"
#include "UnifiedDiff.h"

namespace Commands {
namespace {

using Terminal::ReportFailure;

// Runs `load`, which reads the file at `path` and is false once it has reported a failure; when
// it throws, false after "PATH: MESSAGE" on `err` ("PATH:LINE: MESSAGE" for a line of a text).
template <typename Load>
bool Loaded(const std::filesystem::path& path, std::FILE* err, Load load) {
    try {
        return load();
    } catch (const Exception& e) {
        std::string where = Cp1251::FromPath(path);
        if (e.Line >= 0) where += ":" + std::to_string(e.Line + 1);
        ReportFailure(err, where, e.Message);
    } catch (const std::bad_alloc&) {
        ReportFailure(err, Cp1251::FromPath(path), Terminal::OutOfMemory);
    }
    return false;
}

bool LoadImage(const std::filesystem::path& image, const FirmwareFormats::Options& format,
               std::FILE* err) {
    return Loaded(image, err, [&] {
        if (image == "-")
            FirmwareFormats::LoadFromStandardInput(format);
        else
            FirmwareFormats::Load(image, format);
        return true;
    });
}

// The bytes of a script or a listing, read once (a pipe or a FIFO cannot be read a second time)
// and as stored. False after "PATH: MESSAGE" on `err`.
bool Read(const std::filesystem::path& path, std::string& raw, std::FILE* err) {
    std::string error;
    if (path == "-" ? FileAccess::ReadWhole(FileAccess::StandardInput(), raw, error)
                    : FileAccess::ReadWhole(path, raw, error))
        return true;
    if (path != "-")
        error = "Cannot open file \"" + Cp1251::FromPath(FileAccess::AbsolutePath(path)) + "\". " +
                error;
    ReportFailure(err, Cp1251::FromPath(path), error);
    return false;
}

bool Write(std::FILE* out, std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

// The listing with each CR LF written as the platform's line end; every other byte unchanged.
// Converted and written a stretch at a time: the listing may already fill most of memory. A
// reader that goes away ends the writing (`readerGone`), not the copy.
bool WriteListing(std::string_view text, std::FILE* out, std::string* copy, bool& readerGone) {
    constexpr std::string_view Break = "\r\n";
    constexpr size_t Stretch = 1 << 16;
    const std::string_view lineEnd = Terminal::LineEnd;
    std::string converted;
    converted.reserve(Stretch + 256);
    for (size_t from = 0; from < text.size() && !(readerGone && !copy);) {
        size_t at = text.find(Break, from);
        size_t end = at == std::string_view::npos ? text.size() : at;
        converted.append(text.substr(from, end - from));
        if (at != std::string_view::npos) converted.append(lineEnd);
        from = at == std::string_view::npos ? text.size() : at + Break.size();
        if (converted.size() >= Stretch || from == text.size()) {
            if (copy) copy->append(converted);
            if (!readerGone && !Terminal::WriteListing(out, converted)) {
                if (errno != EPIPE) return false;
                readerGone = true;
            }
            converted.clear();
        }
    }
    return true;
}

int Compare(const std::filesystem::path& path, std::string_view output, std::FILE* err) {
    std::string approved;
    // Read as stored, not as a script loads: a lone CR in a listed image string must compare.
    if (!Read(path, approved, err)) return 1;
    const std::string diff =
        UnifiedDiff::Between(Cp1251::FromPath(path), UnifiedDiff::SplitLines(approved), "actual",
                             UnifiedDiff::SplitLines(output));
    if (diff.empty()) return 0;
    Terminal::WriteListing(err, diff);
    return ListingDiffers;
}

int Approve(const std::filesystem::path& path, std::string_view output, std::FILE* err) {
    LineList listing;
    try {
        listing.SetText(std::string(output));
        listing.SaveFile(path);
    } catch (const Exception& e) {
        ReportFailure(err, Cp1251::FromPath(path), e.Message);
        return 1;
    }
    return 0;
}

// The caret line: the line's tabs are kept so that the caret stands under the column however
// wide the terminal draws a tab.
std::string Caret(std::string_view line, int32_t column) {
    std::string caret;
    for (int32_t p = 1; p < column; ++p)
        caret += static_cast<size_t>(p) <= line.size() && line[p - 1] == '\t' ? '\t' : ' ';
    return caret + "^";
}

// The findings go out in batches as they are found; once a write fails, nothing more is written.
struct Report {
    explicit Report(std::FILE* out) : Out(out) {}
    std::FILE* Out;
    std::string Text;
    bool Failed = false;
    int Error = 0;

    void Add(std::string_view text) {
        Text.append(text);
        if (Text.size() >= 1 << 16) Flush();
    }
    void Flush() {
        if (!Failed && !Text.empty() && !Terminal::WriteMessage(Out, Text)) {
            Failed = true;
            Error = errno;
        }
        Text.clear();
    }
};

// Adds the findings of one script to the report; false when the script cannot be read.
bool CheckOne(const std::filesystem::path& path, bool quiet, Report& report, size_t& found,
              std::FILE* err) {
    const std::string shown = Cp1251::FromPath(path);
    std::string raw;
    if (!Read(path, raw, err)) return false;
    LineList script;
    script.LoadText(raw);  // exactly as a run loads it
    const std::string end = Terminal::LineEnd;
    Pitfalls::Find(script, raw, [&](const Pitfalls::Finding& finding) {
        ++found;
        report.Add(shown + ":" + std::to_string(finding.Line + 1) + ":" +
                   std::to_string(finding.Column) + ": warning: " + finding.Message + end);
        if (!quiet) {
            const std::string_view line = script.Get(finding.Line);
            report.Add(std::string("  ").append(line).append(end));
            report.Add("  " + Caret(line, finding.Column) + end);
        }
        return !report.Failed;
    });
    report.Flush();
    return true;
}

constexpr uint64_t RowsPerWrite = 1 << 14;  // about 1 MiB of dump text per write

}  // namespace

int Dump(const std::filesystem::path& image, const FirmwareFormats::Options& format, std::FILE* out,
         std::FILE* err) {
    if (!LoadImage(image, format, err)) return 1;

    const std::string_view eol = Terminal::LineEnd;
    bool ok = Write(out, HexUnit::DumpHeader() + Terminal::LineEnd);
    // One buffer, filled and written again and again.
    std::vector<char> buffer(RowsPerWrite * (HexUnit::DumpRowWidth + eol.size()) + 1);
    uint64_t rows = HexUnit::DumpRowCount();
    for (uint64_t first = 0; ok && first < rows; first += RowsPerWrite) {
        char* end = HexUnit::FormatDumpRows(buffer.data(), first,
                                            std::min(RowsPerWrite, rows - first), eol);
        ok = Write(out, std::string_view(buffer.data(), static_cast<size_t>(end - buffer.data())));
    }
    if (!ok || std::fflush(out) != 0) return Terminal::WriteFailed(err, "the dump", errno);
    return 0;
}

int Run(const std::filesystem::path& image, const FirmwareFormats::Options& format,
        const std::vector<std::filesystem::path>& scripts, const Expectation& expect,
        std::FILE* out, std::FILE* err) {
    if (!LoadImage(image, format, err)) return 1;

    LineList script, listing;
    RunUnit::Bind(script, listing);
    std::string output;
    std::string* copy = expect.Listing.empty() ? nullptr : &output;
    // The run goes on without a reader: its listing is still compared or approved, and a later
    // failure still fails it.
    bool readerGone = false;
    for (const std::filesystem::path& path : scripts) {
        script.Clear();
        const bool loaded = Loaded(path, err, [&] {
            std::string raw;  // gone before the run
            if (!Read(path, raw, err)) return false;
            script.LoadText(raw);
            return true;
        });
        if (!loaded) return 1;
        try {
            RunUnit::RunScript();
        } catch (const Exception& e) {
            if (!WriteListing(listing.Text(), out, copy, readerGone))
                return Terminal::WriteFailed(err, "the listing", errno);
            ReportFailure(err, Cp1251::FromPath(path) + ":" + std::to_string(e.Line + 1),
                          e.Message);
            return 1;
        }
        if (!WriteListing(listing.Text(), out, copy, readerGone))
            return Terminal::WriteFailed(err, "the listing", errno);
    }
    if (!copy) return 0;
    return expect.Approve ? Approve(expect.Listing, output, err)
                          : Compare(expect.Listing, output, err);
}

int Check(const std::vector<std::filesystem::path>& scripts, bool quiet, std::FILE* out,
          std::FILE* err) {
    size_t found = 0;
    bool unreadable = false;
    Report report(out);
    for (const std::filesystem::path& path : scripts) {
        if (!CheckOne(path, quiet, report, found, err)) unreadable = true;
        // A reader that went away has what it wanted; the status still says what was found.
        if (report.Failed) {
            Terminal::WriteFailed(err, "the findings", report.Error);
            return 1;
        }
    }
    return found > 0 || unreadable ? 1 : 0;
}

}  // namespace Commands
