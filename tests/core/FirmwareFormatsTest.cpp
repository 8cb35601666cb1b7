// Intel HEX, S-record, ELF and UF2 files flattened into one image, their faults, and objcopy's
// flattening of the same files as the reference.
#include "FirmwareFormats.h"

#include <gtest/gtest.h>

#include "Errors.h"
#include "RunProgram.h"

using FirmwareFormats::Format;

namespace {

std::string HexByte(unsigned value) {
    const char* digits = "0123456789ABCDEF";
    return {digits[value >> 4 & 15], digits[value & 15]};
}

// An Intel HEX record with its checksum, and its line end.
std::string Ihex(unsigned type, unsigned address, std::string_view data, const char* eol = "\n") {
    std::string bytes = {char(data.size()), char(address >> 8), char(address), char(type)};
    bytes += data;
    std::string text = ":";
    unsigned sum = 0;
    for (char c : bytes) text += HexByte(uint8_t(c)), sum += uint8_t(c);
    return text + HexByte(-sum & 0xFF) + eol;
}

// An S-record of the type, with `width` address bytes and its checksum.
std::string Srec(char type, int width, unsigned address, std::string_view data) {
    std::string bytes(1, char(width + data.size() + 1));
    for (int i = width - 1; i >= 0; --i) bytes += char(address >> 8 * i);
    bytes += data;
    std::string text = {'S', type};
    unsigned sum = 0;
    for (char c : bytes) text += HexByte(uint8_t(c)), sum += uint8_t(c);
    return text + HexByte(~sum & 0xFF) + "\r\n";
}

struct Segment {
    uint64_t Address;
    std::string Data;
    uint32_t Type = 1;  // PT_LOAD
};

// An ELF file whose segments hold one section each, as a linker makes them (objcopy reads the
// sections). Virtual addresses differ from the physical ones, which place the data.
std::string Elf(bool wide, bool big, const std::vector<Segment>& segments) {
    const size_t header = wide ? 64 : 52, ph = wide ? 56 : 32, sh = wide ? 64 : 40;
    const int w = wide ? 8 : 4;
    std::string file(header + ph * segments.size(), '\0');
    auto put = [&](size_t at, uint64_t value, int size) {
        for (int i = 0; i < size; ++i) file[at + (big ? size - 1 - i : i)] = char(value >> 8 * i);
    };
    file.replace(0, 7, {0x7F, 'E', 'L', 'F', char(wide ? 2 : 1), char(big ? 2 : 1), 1});
    put(16, 2, 2);  // an executable
    put(20, 1, 4);
    put(wide ? 32 : 28, header, w);
    put(wide ? 52 : 40, header, 2);
    put(wide ? 54 : 42, ph, 2);
    put(wide ? 56 : 44, segments.size(), 2);
    std::vector<size_t> offsets;
    for (size_t i = 0; i < segments.size(); ++i) {
        const size_t at = header + i * ph;
        offsets.push_back(file.size());
        put(at, segments[i].Type, 4);
        put(at + (wide ? 8 : 4), file.size(), w);
        put(at + (wide ? 16 : 8), 0x10000 + 0x1000 * i, w);
        put(at + (wide ? 24 : 12), segments[i].Address, w);
        put(at + (wide ? 32 : 16), segments[i].Data.size(), w);
        put(at + (wide ? 40 : 20), segments[i].Data.size(), w);
        file += segments[i].Data;
    }
    const size_t names = file.size();
    file += std::string("\0.shstrtab\0.d\0", 14);
    const size_t table = file.size();
    file.resize(table + sh * (segments.size() + 2));
    for (size_t i = 0; i < segments.size(); ++i) {  // one section per segment, after the null one
        const size_t at = table + sh * (i + 1);
        put(at, 11, 4);
        put(at + 4, 1, 4);  // SHT_PROGBITS
        put(at + 8, segments[i].Type == 1 && !segments[i].Data.empty() ? 3 : 0, w);
        put(at + (wide ? 16 : 12), 0x10000 + 0x1000 * i, w);
        put(at + (wide ? 24 : 16), offsets[i], w);
        put(at + (wide ? 32 : 20), segments[i].Type == 1 ? segments[i].Data.size() : 0, w);
    }
    const size_t strings = table + sh * (segments.size() + 1);
    put(strings, 1, 4);
    put(strings + 4, 3, 4);  // SHT_STRTAB
    put(strings + (wide ? 24 : 16), names, w);
    put(strings + (wide ? 32 : 20), 14, w);
    put(wide ? 40 : 32, table, w);
    put(wide ? 58 : 46, sh, 2);
    put(wide ? 60 : 48, segments.size() + 2, 2);
    put(wide ? 62 : 50, segments.size() + 1, 2);
    return file;
}

// A UF2 block with `data` for `address`.
std::string Uf2(uint32_t address, std::string_view data, uint32_t flags = 0) {
    std::string block(512, '\0');
    auto put = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) block[at + i] = char(value >> 8 * i);
    };
    put(0, 0x0A324655), put(4, 0x9E5D5157), put(8, flags), put(12, address);
    put(16, uint32_t(data.size())), put(28, 0xE48BFF56), put(508, 0x0AB16F30);
    return block.replace(32, data.size(), data);
}

FirmwareFormats::Options In(Format kind, std::optional<uint64_t> base = {}, uint8_t fill = '.') {
    return {kind, base, fill};
}

std::string Flat(const std::string& file, FirmwareFormats::Options options) {
    std::vector<uint8_t> bytes(file.begin(), file.end());
    std::vector<uint8_t> image = FirmwareFormats::Flatten(bytes, options);
    return {image.begin(), image.end()};
}

// Each file places "AB" at 1000, "e" at 1003 and "CD" at 1006 (Intel HEX: 10000, 10003,
// 10006), among records that place nothing, in another order than the addresses'.
const std::string IhexFile =
    Ihex(0x04, 0, std::string("\0\1", 2), "\r\n") + Ihex(0x00, 0x0000, "AB", "\r\n") + "\r\n" +
    Ihex(0x00, 0x0006, "CD") + Ihex(0x03, 0, "1234") + Ihex(0x04, 0, std::string(2, '\0')) +
    Ihex(0x02, 0, std::string("\x0F\xFF", 2)) + Ihex(0x00, 0x0013, "e") + "\n" +
    Ihex(0x02, 0, std::string("\x10\x00", 2)) + Ihex(0x00, 0x0000, "A") +  // again, the same
    Ihex(0x05, 0, "5678") + Ihex(0x01, 0, "");
const std::string SrecFile = Srec('0', 2, 0, "hdr") + Srec('1', 2, 0x1000, "AB") +
                             Srec('3', 4, 0x1006, "CD") + Srec('2', 3, 0x1003, "e") +
                             Srec('5', 2, 3, "") + "\r\n" + Srec('9', 2, 0, "");
const std::vector<Segment> Segments = {
    {0x1006, "CD"}, {0x1000, "AB"}, {0x1010, ""}, {0x1003, "e"}, {0x2000, "note", 4}};
const std::string Uf2File =
    Uf2(0x1006, "CD") + Uf2(0x1003, "X", 1) + Uf2(0x1000, "AB") + Uf2(0x1003, "e");

TEST(FirmwareFormats, EveryFormatPlacesItsDataAtAddressMinusBase) {
    struct Case {
        std::string file;
        FirmwareFormats::Options options;
        std::string image;
    } cases[] = {
        {IhexFile, In(Format::IntelHex), "AB.e..CD"},
        {IhexFile, In(Format::Auto, 0xFFFE), "..AB.e..CD"},
        {SrecFile, In(Format::SRecord, {}, 0xFF), "AB\xFF\x65\xFF\xFF\x43\x44"},
        {SrecFile, In(Format::Auto), "AB.e..CD"},
        {Elf(false, false, Segments), In(Format::Elf), "AB.e..CD"},
        {Elf(false, true, Segments), In(Format::Auto), "AB.e..CD"},
        {Elf(true, false, Segments), In(Format::Elf), "AB.e..CD"},
        {Elf(true, true, Segments), In(Format::Elf), "AB.e..CD"},
        {Uf2File, In(Format::Uf2), "AB.e..CD"},
        {Uf2File, In(Format::Auto), "AB.e..CD"},
        {"\n\n:raw", In(Format::Raw), "\n\n:raw"},
        {"S-raw", In(Format::Auto), "S-raw"},
        {Ihex(0x01, 0, ""), In(Format::IntelHex), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.image);
        try {
            EXPECT_EQ(Flat(c.file, c.options), c.image);
        } catch (const Exception& e) {
            ADD_FAILURE() << e.Message;
        }
    }
}

TEST(FirmwareFormats, BadFilesFailNamingTheLineOrTheBlock) {
    const std::string data = Ihex(0x00, 0, "A");
    const std::string end = Ihex(0x01, 0, "");
    std::string elf = Elf(false, false, {{0x1000, "AB"}});
    std::string elfCut = elf.substr(0, 80);
    std::string elfNoData = Elf(true, true, {{0x1000, ""}, {0x1000, "x", 4}});
    std::string block = Uf2(0x1000, "AB");
    std::string badMagic = block;
    badMagic[510] = 0;
    struct Case {
        FirmwareFormats::Options options;
        std::string file;
        int line;  // from 1; 0 when the format has no lines
        std::string message;
    } cases[] = {
        {In(Format::IntelHex), ":0100000041BF\n" + end, 1,
         "wrong checksum BF, the record's bytes ask for BE"},
        {In(Format::IntelHex), data + ":02000000410\n" + end, 2,
         "record cut short: 11 of the 14 digits"},
        {In(Format::IntelHex), data + ":0100000041BEFF\n" + end, 2,
         "record longer than its byte count"},
        {In(Format::IntelHex), ":01000000G1BE\n" + end, 1,
         "column 10: 'G' is no hexadecimal digit"},
        {In(Format::IntelHex), ":0100000041BE\r\r\n" + end, 1, "column 14: the byte 0D is no"},
        {In(Format::IntelHex), "\n 0100000041BE\n" + end, 2, "a record starts with ':'"},
        {In(Format::IntelHex), data + Ihex(0x06, 0, ""), 2, "unknown record type 06"},
        {In(Format::IntelHex), data + Ihex(0x04, 0, "\1"), 2,
         "a record of type 04 holds 2 bytes, not 1"},
        {In(Format::IntelHex), data + "\n", 2, "the file ends without an end record"},
        {In(Format::IntelHex), end + "\n" + data, 3, "record after the end record on line 1"},
        {In(Format::IntelHex), data + Ihex(0x00, 1, "B") + Ihex(0x00, 0, "AC") + end, 3,
         "address 00000001 is given 43 here but 42 on line 2"},
        {In(Format::IntelHex), data + Ihex(0x04, 0, "\x7F\xFF") + Ihex(0x00, 0xFFFF, "A") + end, 0,
         "data from 00000000 to 7FFFFFFF would make an image of 2 GiB or more"},
        {In(Format::IntelHex, 1), data + end, 1, "data at 00000000 lies below the base 00000001"},
        {In(Format::SRecord), "S1040000414A\n" + Srec('9', 2, 0, ""), 1,
         "wrong checksum 4A, the record's bytes ask for BA"},
        {In(Format::SRecord), Srec('4', 2, 0, "A") + Srec('9', 2, 0, ""), 1,
         "unknown record type 'S4'"},
        {In(Format::SRecord), Srec('1', 2, 0, "A") + Srec('5', 2, 2, "") + Srec('9', 2, 0, ""), 2,
         "S5 counts 2 data records, the file holds 1 before it"},
        {In(Format::SRecord), "S1020000\n" + Srec('9', 2, 0, ""), 1,
         "byte count 02 is too small for an S1 record"},
        {In(Format::SRecord), Srec('1', 2, 0, "A"), 1, "the file ends without an end record"},
        {In(Format::Elf), elfCut, 0, "cut inside the program headers"},
        {In(Format::Elf), elf.substr(0, 40), 0, "cut inside the ELF header"},
        {In(Format::Elf), elfNoData, 0, "no loadable segment with contents"},
        {In(Format::Uf2), block + block.substr(0, 511), 0,
         "block 1: cut short: 511 of its 512 bytes"},
        {In(Format::Uf2), block + badMagic, 0, "block 1: wrong magic number"},
        {In(Format::Uf2), Uf2(0x1000, "A") + Uf2(0x0FFF, "xB"), 0,
         "block 1: address 00001000 is given 42 here but 41 in block 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            Flat(c.file, c.options);
            ADD_FAILURE() << "no error";
        } catch (const EFormatError& e) {
            EXPECT_EQ(e.Line + 1, c.line);
            EXPECT_TRUE(e.Message.starts_with(c.message)) << e.Message;
        }
    }
}

// The files engineers flatten with `objcopy -O binary --gap-fill`, flattened alike.
TEST(FirmwareFormats, FlattenAsObjcopyDoes) {
#ifdef _WIN32
    GTEST_SKIP() << "objcopy runs on the build machine";
#endif
    if (RunProgram({"objcopy", "--version"}).Status != 0) GTEST_SKIP() << "no objcopy";
    std::string wide;  // 300 bytes in records of 16 across a 64 KiB boundary, then 3 below
    for (unsigned at = 0xFFF0, i = 0; i < 300; at += 16, i += 16) {
        if (at == 0x10000) wide += Ihex(0x04, 0, std::string("\0\1", 2));
        wide += Ihex(0x00, at & 0xFFFF, std::string(16, char(i)));
    }
    wide += Ihex(0x04, 0, std::string(2, '\0')) + Ihex(0x00, 0xFF00, "low") + Ihex(0x01, 0, "");
    const struct {
        const char* input;
        std::string file;
    } files[] = {
        {"ihex", IhexFile},
        {"ihex", wide},
        {"srec", SrecFile},
        {"elf32-little", Elf(false, false, Segments)},
        {"elf32-big", Elf(false, true, Segments)},
        {"elf64-little", Elf(true, false, Segments)},
        {"elf64-big", Elf(true, true, Segments)},
    };
    TempDir dir;
    for (const auto& f : files) {
        SCOPED_TRACE(f.input);
        std::string in = dir.Write("in", f.file), out = dir.Path("out.bin");
        auto result =
            RunProgram({"objcopy", "-I", f.input, "-O", "binary", "--gap-fill", "0x5A", in, out});
        ASSERT_EQ(result.Status, 0) << result.Err;
        EXPECT_EQ(Flat(f.file, In(Format::Auto, {}, 0x5A)), TempDir::Read(out));
    }
}

}  // namespace
