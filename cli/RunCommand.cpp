#include "RunCommand.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <string_view>

#include "Errors.h"
#include "HexUnit.h"
#include "LineList.h"
#include "Output.h"
#include "RunUnit.h"
#include "Terminal.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <filesystem>
#include <fstream>
#endif

namespace {

// Runs `load`; on failure prints "PATH: MESSAGE" and returns false.
template <typename Load>
bool Loaded(const std::string& path, std::FILE* err, Load load) {
    try {
        load();
        return true;
    } catch (const Exception& e) {
        ReportFailure(err, path, e.Message);
    } catch (const std::bad_alloc&) {
        ReportFailure(err, path, "Out of memory");
    }
    return false;
}

#ifdef _WIN32
// Standard input has no path here, so its bytes pass through a temporary file and load exactly
// as a script file does.
void LoadStandardInput(LineList& script) {
    _setmode(_fileno(stdin), _O_BINARY);
    std::filesystem::path copy = std::filesystem::temp_directory_path() /
                                 ("vantrel-stdin-" + std::to_string(_getpid()) + ".txt");
    {
        std::ofstream file(copy, std::ios::binary);
        char block[1 << 16];
        size_t n;
        while ((n = std::fread(block, 1, sizeof block, stdin)) > 0) file.write(block, n);
    }
    try {
        script.LoadFile(copy.string());
    } catch (...) {
        std::filesystem::remove(copy);
        throw;
    }
    std::filesystem::remove(copy);
}
#else
void LoadStandardInput(LineList& script) {
    script.LoadFile("/dev/stdin");
}
#endif

// The listing with each CR LF written as the platform's line end; every other byte unchanged.
bool WriteListing(std::string_view text, std::FILE* out, std::string* copy) {
    constexpr std::string_view Break = "\r\n";
    const std::string_view lineEnd = OutputLineEnd;
    std::string converted;
    converted.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(Break); at != std::string_view::npos; at = text.find(Break, from)) {
        converted.append(text.substr(from, at - from)).append(lineEnd);
        from = at + Break.size();
    }
    converted.append(text.substr(from));
    if (copy) copy->append(converted);
    return Terminal::WriteListing(out, converted);
}

int WriteFailed(std::FILE* err) {
    std::fprintf(err, "vantrel-cli: cannot write the listing: %s\n", std::strerror(errno));
    return 1;
}

}  // namespace

int RunCommand(const std::string& image, const std::vector<std::string>& scripts, std::FILE* out,
               std::FILE* err, std::string* copy) {
    if (!Loaded(image, err, [&] { HexUnit::LoadImage(image); })) return 1;

    LineList script, listing;
    RunUnit::Bind(script, listing);
    for (const std::string& path : scripts) {
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
            if (!WriteListing(listing.Text(), out, copy)) return WriteFailed(err);
            ReportFailure(err, path + ":" + std::to_string(e.Line + 1), e.Message);
            return 1;
        }
        if (!WriteListing(listing.Text(), out, copy)) return WriteFailed(err);
    }
    return 0;
}
