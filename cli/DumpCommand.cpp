#include "DumpCommand.h"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

#include "HexUnit.h"
#include "ImageInput.h"

namespace {

constexpr uint64_t RowsPerWrite = 1 << 14;  // about 1 MiB of text per write

bool Write(std::FILE* out, std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

}  // namespace

int DumpCommand(const std::filesystem::path& image, std::FILE* out, std::FILE* err) {
    if (!ImageInput::Load(image, err)) return 1;

    std::string_view eol = OutputLineEnd;
    bool ok = Write(out, HexUnit::DumpHeader() + OutputLineEnd);
    // One buffer, filled and written again and again.
    std::vector<char> buffer(RowsPerWrite * (HexUnit::DumpRowWidth + eol.size()) + 1);
    uint64_t rows = HexUnit::DumpRowCount();
    for (uint64_t first = 0; ok && first < rows; first += RowsPerWrite) {
        char* end = HexUnit::FormatDumpRows(buffer.data(), first,
                                            std::min(RowsPerWrite, rows - first), eol);
        ok = Write(out, std::string_view(buffer.data(), static_cast<size_t>(end - buffer.data())));
    }
    if (!ok || std::fflush(out) != 0) {
        if (errno == EPIPE) return 0;  // the reader has all it wanted
        std::fprintf(err, "vantrel-cli: cannot write the dump: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
