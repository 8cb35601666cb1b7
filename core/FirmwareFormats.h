// Firmware files as they arrive from builds and programmers (Intel HEX, S-record, ELF, UF2),
// loaded as one flat image: every data byte at its address minus the base, holes filled.
// The desktop program loads raw files only; the command-line tool offers these.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace FirmwareFormats {

enum class Format { Raw, IntelHex, SRecord, Elf, Uf2, Auto };

// "raw", "ihex", "srec", "elf", "uf2" or "auto"; nothing for any other name.
std::optional<Format> FormatNamed(std::string_view name);
// The format the bytes are in: ELF by its magic number, UF2 by its block's, S-record by a first
// record "S0" to "S9", Intel HEX by a first record ':' (blank lines before them skipped), else raw.
Format Recognise(std::span<const uint8_t> bytes);

struct Options {
    Format Kind = Format::Raw;
    std::optional<uint64_t> Base;  // the address at offset 0; else the lowest that holds data
    uint8_t Fill = 0xFF;           // the holes between regions
};

// The flat image the file's bytes make; raw bytes are the image themselves. `bytes` serves as
// scratch space for decoding. Fails with EFormatError.
std::vector<uint8_t> Flatten(std::vector<uint8_t>& bytes, const Options& options);

// Reads the file as HexUnit::LoadImage does and makes its flat image the image. All or nothing:
// on failure (EInOutError, EFormatError, std::bad_alloc) the image stays as it was.
void Load(const std::filesystem::path& fileName, const Options& options);
void LoadFromStandardInput(const Options& options);

}  // namespace FirmwareFormats
