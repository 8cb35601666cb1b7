#include "SRecord.h"

#include <cstring>

#include "HexRecords.h"
#include "HexUnit.h"

namespace SRecord {

using HexRecords::Pair;

namespace {

// The address bytes of each type; 0 for S4, which is no type.
constexpr uint32_t AddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

// Fails with the first fault of a line that did not read as a record.
[[noreturn]] void Diagnose(uint32_t line, const uint8_t* begin, const uint8_t* stop) {
    if (*begin != 'S') HexRecords::Fail(line, "a record starts with 'S'");
    if (stop - begin < 2 || begin[1] < '0' || begin[1] > '9' || begin[1] == '4')
        HexRecords::Fail(line, "unknown record type 'S" +
                                   std::string(stop - begin < 2 ? "" : std::string(1, begin[1])) +
                                   "'");
    HexRecords::CheckDigits(line, begin, begin + 2, stop);
    const size_t digits = stop - begin - 2;
    HexRecords::CheckLength(line, digits, digits < 2 ? 2 : 2 + 2 * Pair(begin + 2));
    HexRecords::Fail(line, "record unreadable");  // not reached: the record was read as it is
}

}  // namespace

ImageRegions::Parsed Parse(std::span<uint8_t> text) {
    ImageRegions::Parsed parsed;
    uint8_t* const buffer = text.data();
    const uint8_t* const end = buffer + text.size();
    uint32_t out = 0;  // where the next data record's bytes go
    uint64_t dataRecords = 0;
    int64_t endLine = -1;
    uint32_t line = 0;
    for (const uint8_t* p = buffer; p < end; ++line) {
        HexRecords::Line at;
        const bool quick = end - p >= 4 && p[0] == 'S' && p[1] >= '0' && p[1] <= '9' &&
                           p[1] != '4' && Pair(p + 2) <= 0xFF &&
                           HexRecords::EndsAt(p, 4 + 2 * Pair(p + 2), end, at);
        if (!quick) {
            at = HexRecords::LineAt(p, end);
            if (HexRecords::Blank(p, at.Stop)) {
                p = at.Next;
                continue;
            }
            if (at.Stop - p < 4 || p[0] != 'S' || p[1] < '0' || p[1] > '9' || p[1] == '4' ||
                Pair(p + 2) > 0xFF || at.Stop - p != 4 + 2 * static_cast<ptrdiff_t>(Pair(p + 2)))
                Diagnose(line, p, at.Stop);
        }
        HexRecords::CheckNotEnded(line, endLine);

        const int type = p[1] - '0';
        auto name = [type] { return std::string{'S', static_cast<char>('0' + type)}; };
        const uint32_t count = Pair(p + 2), addressBytes = AddressBytes[type];
        if (count < addressBytes + 1)
            HexRecords::Fail(line, "byte count " + HexUnit::HexByte(count) +
                                       " is too small for an " + name() + " record");
        uint32_t bad = 0, sum = count;
        uint64_t address = 0;
        for (uint32_t i = 0; i < addressBytes; ++i) {
            uint32_t value = Pair(p + 4 + 2 * i);
            bad |= value;
            sum += value;
            address = address << 8 | (value & 0xFF);
        }
        const uint32_t size = count - addressBytes - 1;
        const uint8_t* digits = p + 4 + 2 * addressBytes;
        uint8_t data[255];  // copied into place once the line has proved sound
        for (uint32_t i = 0; i < size; ++i) {
            uint32_t value = Pair(digits + 2 * i);
            bad |= value;
            sum += value;
            data[i] = static_cast<uint8_t>(value);
        }
        const uint32_t checksum = Pair(digits + 2 * size);
        if ((bad | checksum) > 0xFF) Diagnose(line, p, at.Stop);
        if (((sum + checksum) & 0xFF) != 0xFF)
            HexRecords::Fail(line, "wrong checksum " + HexUnit::HexByte(checksum) +
                                       ", the record's bytes ask for " + HexUnit::HexByte(~sum));
        if (type >= 5 && size != 0)
            HexRecords::Fail(line, "byte count " + HexUnit::HexByte(count) + " does not fit an " +
                                       name() + " record, which holds no data");
        if (type >= 1 && type <= 3) {
            std::memcpy(buffer + out, data, size);  // behind the text still to be read
            if (size) ImageRegions::AddRecord(parsed, address, out, size, line);
            out += size;
            ++dataRecords;
        } else if ((type == 5 || type == 6) && address != dataRecords) {
            HexRecords::Fail(line, name() + " counts " + std::to_string(address) +
                                       " data records, the file holds " +
                                       std::to_string(dataRecords) + " before it");
        } else if (type >= 7) {
            endLine = line;
        }
        p = at.Next;
    }
    if (endLine < 0)
        HexRecords::Fail(line == 0 ? 0 : line - 1,
                         "the file ends without an end record (S7, S8 or S9)");
    return parsed;
}

}  // namespace SRecord
