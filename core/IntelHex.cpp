#include "IntelHex.h"

#include <cstring>

#include "HexRecords.h"
#include "HexUnit.h"

namespace IntelHex {

using HexRecords::Pair;

namespace {

// The byte count each type other than data must have.
int CountOfType(uint32_t type) {
    switch (type) {
        case 0x01:
            return 0;
        case 0x02:
        case 0x04:
            return 2;
        case 0x03:
        case 0x05:
            return 4;
        default:
            return -1;
    }
}

// Fails with the first fault of a line that did not read as a record.
[[noreturn]] void Diagnose(uint32_t line, const uint8_t* begin, const uint8_t* stop) {
    if (*begin != ':') HexRecords::Fail(line, "a record starts with ':'");
    HexRecords::CheckDigits(line, begin, begin + 1, stop);
    const size_t digits = stop - begin - 1;
    HexRecords::CheckLength(line, digits, digits < 2 ? 10 : 10 + 2 * Pair(begin + 1));
    HexRecords::Fail(line, "record unreadable");  // not reached: the record was read as it is
}

}  // namespace

ImageRegions::Parsed Parse(std::span<uint8_t> text) {
    ImageRegions::Parsed parsed;
    uint8_t* const buffer = text.data();
    const uint8_t* const end = buffer + text.size();
    uint32_t out = 0;  // where the next data record's bytes go
    uint64_t linear = 0, segment = 0;
    int64_t endLine = -1;
    uint32_t line = 0;
    for (const uint8_t* p = buffer; p < end; ++line) {
        HexRecords::Line at;
        const bool quick = end - p >= 11 && p[0] == ':' && Pair(p + 1) <= 0xFF &&
                           HexRecords::EndsAt(p, 11 + 2 * Pair(p + 1), end, at);
        if (!quick) {
            at = HexRecords::LineAt(p, end);
            if (HexRecords::Blank(p, at.Stop)) {
                p = at.Next;
                continue;
            }
            if (at.Stop - p < 11 || p[0] != ':' || Pair(p + 1) > 0xFF ||
                at.Stop - p != 11 + 2 * static_cast<ptrdiff_t>(Pair(p + 1)))
                Diagnose(line, p, at.Stop);
        }
        HexRecords::CheckNotEnded(line, endLine);

        const uint32_t count = Pair(p + 1), high = Pair(p + 3), low = Pair(p + 5),
                       type = Pair(p + 7);
        uint32_t bad = high | low | type, sum = count + high + low + type;
        uint8_t data[255];  // copied into place once the line has proved sound
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t value = Pair(p + 9 + 2 * i);
            bad |= value;
            sum += value;
            data[i] = static_cast<uint8_t>(value);
        }
        const uint32_t checksum = Pair(p + 9 + 2 * count);
        if ((bad | checksum) > 0xFF) Diagnose(line, p, at.Stop);
        if ((sum + checksum) & 0xFF)
            HexRecords::Fail(line, "wrong checksum " + HexUnit::HexByte(checksum) +
                                       ", the record's bytes ask for " + HexUnit::HexByte(-sum));
        if (type != 0x00) {
            const int expected = CountOfType(type);
            if (expected < 0)
                HexRecords::Fail(line, "unknown record type " + HexUnit::HexByte(type));
            if (static_cast<int>(count) != expected)
                HexRecords::Fail(line, "a record of type " + HexUnit::HexByte(type) + " holds " +
                                           std::to_string(expected) + " bytes, not " +
                                           std::to_string(count));
        }
        switch (type) {
            case 0x00:
                // Behind the text still to be read.
                std::memcpy(buffer + out, data, count);
                if (count)
                    ImageRegions::AddRecord(parsed, linear + segment + (high << 8 | low), out,
                                            count, line);
                out += count;
                break;
            case 0x01:
                endLine = line;
                break;
            case 0x02:
                segment = static_cast<uint64_t>(data[0] << 8 | data[1]) << 4;
                break;
            case 0x04:
                linear = static_cast<uint64_t>(data[0] << 8 | data[1]) << 16;
                break;
        }
        p = at.Next;
    }
    if (endLine < 0)
        HexRecords::Fail(line == 0 ? 0 : line - 1, "the file ends without an end record (type 01)");
    return parsed;
}

}  // namespace IntelHex
