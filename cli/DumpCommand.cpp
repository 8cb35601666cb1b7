#include "DumpCommand.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "Errors.h"
#include "HexUnit.h"

namespace {

constexpr uint64_t RowsPerWrite = 1 << 14;  // about 1 MiB of text per write

bool Write(std::FILE* out, std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

}  // namespace

int DumpCommand(const std::string& image, std::FILE* out, std::FILE* err) {
    try {
        HexUnit::LoadImage(image);
    } catch (const Exception& e) {
        std::fprintf(err, "%s: %s\n", image.c_str(), MessageBoxText(e.Message).c_str());
        return 1;
    } catch (const std::bad_alloc&) {
        std::fprintf(err, "%s: Out of memory.\n", image.c_str());
        return 1;
    }

    std::string text = HexUnit::DumpHeader() + OutputLineEnd;
    bool ok = Write(out, text);
    uint64_t rows = HexUnit::DumpRowCount();
    for (uint64_t first = 0; ok && first < rows; first += RowsPerWrite) {
        text.clear();
        HexUnit::AppendDumpRows(text, first, std::min(RowsPerWrite, rows - first), OutputLineEnd);
        ok = Write(out, text);
    }
    if (!ok || std::fflush(out) != 0) {
        std::fprintf(err, "vantrel-cli: cannot write the dump: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
