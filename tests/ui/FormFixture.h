// The four windows started on the in-memory platform, with the user's actions at hand.
#pragma once

#include <gtest/gtest.h>

#include "Cp1251.h"
#include "FirmwareUnit.h"
#include "ListingUnit.h"
#include "LoadProgress.h"
#include "MainUnit.h"
#include "MemoryPlatform.h"
#include "Program.h"
#include "ScriptUnit.h"
#include "TempDir.h"

// Interface texts are written here in UTF-8 and compared as the program holds them.
inline std::string Ru(const char* utf8) {
    return Cp1251::FromUtf8(utf8);
}

class FormTest : public ::testing::Test {
  protected:
    void SetUp() override { Start(); }
    void TearDown() override {
        Program::ShutDown();
        LoadProgress::Delay = progressDelay;
    }

    // Starts the program afresh and runs the message loop's first step, which shows the main
    // window.
    void Start(int screenWidth = 1024) {
        Program::ShutDown();
        platform.ScreenWidthValue = screenWidth;
        Program::StartUp(platform);
        platform.Run(*MainUnit::MainForm->Window);
    }

    static MemoryWindow& Of(Platform::Window& window) { return static_cast<MemoryWindow&>(window); }
    static MemoryWindow& Main() { return Of(*MainUnit::MainForm->Window); }
    static MemoryWindow& ScriptWindow() { return Of(*ScriptUnit::ScriptForm->Window); }
    static MemoryWindow& ListingWindow() { return Of(*ListingUnit::ListingForm->Window); }
    static MemoryWindow& FirmwareWindow() { return Of(*FirmwareUnit::FirmwareForm->Window); }
    static MemoryTextView& ScriptView() { return ScriptWindow().TextViews.at(0); }
    static MemoryRowView& DumpView() { return FirmwareWindow().RowViews.at(0); }

    // Chooses a menu item by its UTF-8 captions, bar item first, as a click would.
    void Choose(MemoryWindow& window, const std::vector<const char*>& captions) {
        const std::vector<Platform::MenuItem>* level = &window.MenuBar;
        std::function<void()> command;
        for (const char* caption : captions) {
            auto item = std::ranges::find(*level, Ru(caption), &Platform::MenuItem::Caption);
            ASSERT_NE(item, level->end()) << caption;
            command = item->Command;
            level = &item->Items;
        }
        platform.Guarded(command);
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

    TempDir temp;
    MemoryPlatform platform;
    const std::chrono::steady_clock::duration progressDelay = LoadProgress::Delay;
};
