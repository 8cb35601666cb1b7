#include "RunScripts.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <string_view>

#include "Cp1251.h"
#include "Errors.h"
#include "FileAccess.h"
#include "ImageInput.h"
#include "LineList.h"
#include "Output.h"
#include "RunUnit.h"
#include "Terminal.h"

namespace {

// Runs `load`; on failure prints "PATH: MESSAGE" and returns false.
template <typename Load>
bool Loaded(const std::filesystem::path& path, std::FILE* err, Load load) {
    try {
        load();
        return true;
    } catch (const Exception& e) {
        ReportFailure(err, Cp1251::FromPath(path), e.Message);
    } catch (const std::bad_alloc&) {
        ReportFailure(err, Cp1251::FromPath(path), "Out of memory");
    }
    return false;
}

void LoadStandardInput(LineList& script) {
    std::string raw, error;
    if (!FileAccess::ReadWhole(FileAccess::StandardInput(), raw, error)) throw Exception(error);
    script.LoadText(raw);
}

// The listing with each CR LF written as the platform's line end; every other byte unchanged.
// Converted and written a stretch at a time: the listing may already fill most of memory. A
// reader that goes away ends the writing (`readerGone`), not the copy.
bool WriteListing(std::string_view text, std::FILE* out, std::string* copy, bool& readerGone) {
    constexpr std::string_view Break = "\r\n";
    constexpr size_t Stretch = 1 << 16;
    const std::string_view lineEnd = OutputLineEnd;
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

// Exit status after a failed write.
int WriteFailed(std::FILE* err) {
    std::fprintf(err, "vantrel-cli: cannot write the listing: %s\n", std::strerror(errno));
    return 1;
}

}  // namespace

int RunScripts(const std::filesystem::path& image,
               const std::vector<std::filesystem::path>& scripts, std::FILE* out, std::FILE* err,
               std::string* copy) {
    if (!ImageInput::Load(image, err)) return 1;

    LineList script, listing;
    RunUnit::Bind(script, listing);
    // The run goes on without a reader: its listing is still compared or approved, and a later
    // failure still fails it.
    bool readerGone = false;
    for (const std::filesystem::path& path : scripts) {
        script.Clear();
        bool loaded = Loaded(path, err, [&] {
            if (path == "-")
                LoadStandardInput(script);
            else
                script.LoadFile(path);
        });
        if (!loaded) return 1;

        try {
            RunUnit::RunScript();
        } catch (const Exception& e) {
            if (!WriteListing(listing.Text(), out, copy, readerGone)) return WriteFailed(err);
            ReportFailure(err, Cp1251::FromPath(path) + ":" + std::to_string(e.Line + 1),
                          e.Message);
            return 1;
        }
        if (!WriteListing(listing.Text(), out, copy, readerGone)) return WriteFailed(err);
    }
    return 0;
}
