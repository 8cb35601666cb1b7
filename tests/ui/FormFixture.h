// The four windows started on the in-memory platform, with the user's actions at hand.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Cp1251.h"
#include "FirmwareUnit.h"
#include "ListingUnit.h"
#include "MainUnit.h"
#include "MemoryPlatform.h"
#include "Program.h"
#include "ScriptUnit.h"
#include "ShortCut.h"
#include "TempDir.h"

// Interface texts are written here in UTF-8 and compared as the program holds them.
inline std::string Ru(const char* utf8) {
    return Cp1251::FromUtf8(utf8);
}

class FormTest : public ::testing::Test {
  protected:
    void TearDown() override { Program::ShutDown(); }

    // Starts the program and runs the message loop's first step, which shows the main window.
    void Start(int screenWidth = 1024) {
        platform.ScreenWidthValue = screenWidth;
        Program::StartUp(platform);
        platform.Run(*MainUnit::MainForm->Window);
    }

    static MemoryWindow& Of(Platform::Window& window) { return static_cast<MemoryWindow&>(window); }
    static MemoryWindow& Main() { return Of(*MainUnit::MainForm->Window); }
    static MemoryWindow& ScriptWindow() { return Of(*ScriptUnit::ScriptForm->Window); }
    static MemoryWindow& ListingWindow() { return Of(*ListingUnit::ListingForm->Window); }
    static MemoryWindow& FirmwareWindow() { return Of(*FirmwareUnit::FirmwareForm->Window); }
    static MemoryTextView& ScriptView() { return *ScriptWindow().TextViews.at(0); }
    static MemoryTextView& ListingView() { return *ListingWindow().TextViews.at(0); }
    static MemoryRowView& DumpView() { return *FirmwareWindow().RowViews.at(0); }
    static std::string ScriptPanel() { return MainUnit::MainForm->ScriptLoadedPanel->Text(); }

    // Chooses a menu item by its UTF-8 captions, bar item first.
    static void Choose(MemoryWindow& window, const std::vector<const char*>& captions) {
        std::vector<std::string> path;
        for (const char* caption : captions) path.push_back(Ru(caption));
        window.ChooseMenu(path);
    }
    void Open(const char* item, const std::filesystem::path& path) {
        platform.DialogAnswers.push_back(path);
        Choose(Main(), {"&Файл", item});
    }
    void OpenScript(const std::filesystem::path& path) { Open("&Открыть скрипт...", path); }
    void OpenFirmware(const std::filesystem::path& path) { Open("&Открыть HEX-файл...", path); }
    bool Press(MemoryWindow& focused, uint8_t key, bool shift = false, bool ctrl = false) {
        return platform.Press(focused, {.VirtualKey = key, .Shift = shift, .Ctrl = ctrl});
    }
    // The texts of the message boxes shown, each captioned with the program's title.
    std::vector<std::string> Boxes() const {
        std::vector<std::string> texts;
        for (const auto& box : platform.MessageBoxes) {
            EXPECT_EQ(box.Caption, "Vantrel");
            texts.push_back(box.Text);
        }
        return texts;
    }

    TempDir temp;
    MemoryPlatform platform;
};
