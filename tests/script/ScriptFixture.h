// Runs scripts against an image held in memory, with the registers cleared before each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Errors.h"
#include "HexUnit.h"
#include "LineList.h"
#include "RunUnit.h"

inline void SetImage(std::vector<uint8_t> bytes) {
    HexUnit::ImageSize = static_cast<uint32_t>(bytes.size());
    HexUnit::ImageBytes = std::move(bytes);
}

class ScriptTest : public ::testing::Test {
  protected:
    // 32 bytes: 12 34 56 78 9A BC DE F0 00 01 02 03 04 05 06 07, then "BOOT V1.02 A0001".
    void SetUp() override {
        std::vector<uint8_t> bytes = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0,
                                      0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
        for (char c : std::string("BOOT V1.02 A0001")) bytes.push_back(static_cast<uint8_t>(c));
        SetImage(std::move(bytes));
        RunUnit::RegisterFile.fill(0);
        RunUnit::Bind(script, listing);
    }
    void TearDown() override { SetImage({}); }

    // Runs the lines as one script and returns the listing's text (lines ending in CR LF).
    std::string Run(const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& line : lines) text += line + "\r\n";
        script.SetText(text);
        RunUnit::RunScript();
        return std::string(listing.Text());
    }

    // The message of the error that ends a run of `line`.
    std::string ErrorOf(const std::string& line) {
        try {
            Run({line});
        } catch (const Exception& e) {
            return e.Message;
        }
        return "no error";
    }

    static uint16_t& R(int number) { return RunUnit::RegisterFile[number - 1]; }

    LineList script, listing;
};
