// Runs scripts against an image held in memory, with the registers cleared before each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Errors.h"
#include "HexUnit.h"
#include "LineList.h"
#include "RunUnit.h"

// 32 bytes: 12 34 56 78 9A BC DE F0 00 01 02 03 04 05 06 07, then "BOOT V1.02 A0001".
inline std::vector<uint8_t> ExampleImage() {
    std::vector<uint8_t> bytes = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0,
                                  0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
    for (char c : std::string("BOOT V1.02 A0001")) bytes.push_back(static_cast<uint8_t>(c));
    return bytes;
}

// The sample script for that image, and the listing it gives.
inline const std::vector<std::string> SampleScript = {
    "Sample script for the example image",
    "SET2E 01 0010",
    "SET2E 02 0013",
    "PTR 0002 'Byte 2'",
    "PTR4 0000 'Long 0'",
    "IF2 0000 1234 'Signature found'",
    "IF3 0001 345679 'Never shown'",
    "SET2 03 0004",
    "SWP 03",
    "EQU2 03 'Swapped'",
    "CH16 01 02 04",
    "EQU2 04 'Sum'",
    "EQU16 01 'Name'",
    "INC2 01 0002",
    "SET2A 05 01",
    "EQU2 05 'Word'",
    "INV2 04",
    "SHL2 04 04",
    "EQU2 04 'Shifted'",
};
inline const std::string SampleListing =
    "Byte 2: 00000056\r\nLong 0: 12345678\r\nSignature found\r\nSwapped: 0000BC9A\r\n"
    "Sum: 00000134\r\nName: BOOT V1.02 A0001\r\nWord: 00004F4F\r\nShifted: 0000ECB0\r\n";

inline void SetImage(std::vector<uint8_t> bytes) {
    HexUnit::ImageSize = static_cast<uint32_t>(bytes.size());
    HexUnit::ImageBytes = std::move(bytes);
}

class ScriptTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RunUnit::RegisterFile.fill(0);
        SetImage(ExampleImage());
        RunUnit::Bind(script, listing);
    }
    void TearDown() override {
        RunUnit::RegisterFile.fill(0);
        SetImage({});
    }

    static std::string Join(const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& line : lines) text += line + "\r\n";
        return text;
    }

    // Runs the lines as one script and returns the listing's text (lines ending in CR LF).
    std::string Run(const std::vector<std::string>& lines) {
        script.SetText(Join(lines));
        RunUnit::RunScript();
        return std::string(listing.Text());
    }

    struct Failure {
        std::string Message;
        int32_t Line = -1;
        std::string Listing;
    };
    // Runs the lines, which must fail; the error's message and line, and the listing so far.
    Failure RunFailing(const std::vector<std::string>& lines) {
        Failure failure;
        try {
            Run(lines);
            ADD_FAILURE() << "the run did not fail";
        } catch (const Exception& e) {
            failure = {e.Message, e.Line, std::string(listing.Text())};
        }
        return failure;
    }
    std::string ErrorOf(const std::string& line) { return RunFailing({line}).Message; }

    static uint16_t& R(int number) { return RunUnit::RegisterFile[number - 1]; }

    LineList script, listing;
};
