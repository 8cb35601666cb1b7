// Runs scripts against an image held in memory, with the registers cleared before each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"
#include "HexUnit.h"
#include "LineList.h"
#include "RunUnit.h"

class ScriptTest : public ::testing::Test {
  protected:
    // 32 bytes: 12 34 56 78 9A BC DE F0 00 01 02 03 04 05 06 07, then "BOOT V1.02 A0001".
    void SetUp() override {
        const std::string_view bytes(
            "\x12\x34\x56\x78\x9A\xBC\xDE\xF0\x00\x01\x02\x03\x04\x05\x06\x07"
            "BOOT V1.02 A0001",
            32);
        HexUnit::ImageBytes.assign(bytes.begin(), bytes.end());
        HexUnit::ImageSize = 32;
        RunUnit::RegisterFile.fill(0);
        RunUnit::Bind(script, listing);
    }

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
