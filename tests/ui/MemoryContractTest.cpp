// The platform contract, run on the in-memory backend.
#include "MemoryPlatform.h"
#include "PlatformContract.h"

namespace {

class MemoryProbe : public BackendProbe {
  public:
    Platform::Desktop& platform() override { return platform_; }
    void ProcessEvents() override {}
    Platform::Window* ActiveWindow() override { return platform_.ActiveWindow(); }
    bool IsAbove(Platform::Window& upper, Platform::Window& lower) override {
        return platform_.IsAbove(static_cast<MemoryWindow&>(upper),
                                 static_cast<MemoryWindow&>(lower));
    }
    void TypeText(Platform::TextView& view, const std::string& text) override {
        static_cast<MemoryTextView&>(view).TypeText(text);
    }
    std::string DisplayedText(Platform::TextView& view) override {
        return static_cast<MemoryTextView&>(view).Displayed;
    }
    void PressKey(Platform::Window& focused, const Platform::KeyPress& key) override {
        platform_.PressKey(static_cast<MemoryWindow&>(focused), key);
    }
    void RequestClose(Platform::Window& window) override { window.Close(); }
    std::string DisplayedText(Platform::RowView& view) override {
        return static_cast<MemoryRowView&>(view).Displayed();
    }
    void PressKey(Platform::RowView& view, const Platform::KeyPress& key) override {
        static_cast<MemoryRowView&>(view).PressKey(key);
    }
    void TypeText(Platform::RowView& view, const std::string& text) override {
        static_cast<MemoryRowView&>(view).TypeText(text);
    }
    std::string Clipboard() override { return platform_.Clipboard; }

  private:
    MemoryPlatform platform_;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Memory, PlatformContract,
                         ::testing::Values([] { return std::make_unique<MemoryProbe>(); }));
