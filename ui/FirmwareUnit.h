// The firmware window: the dump of the loaded image under its column header, with going to an
// address and finding bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Platform.h"
#include "RowEditor.h"

namespace FirmwareUnit {

// The dump's rows, made from the image when a view asks for them.
class TDumpRows : public Platform::RowSource {
  public:
    uint64_t RowCount() const override;
    std::string Row(uint64_t row) const override;
    void AppendRows(std::string& out, uint64_t first, uint64_t count) const override;
    uint64_t BytesOf(uint64_t first, uint64_t count) const override;
};

class TFirmwareForm {
  public:
    explicit TFirmwareForm(Platform::Desktop& platform);
    TFirmwareForm(const TFirmwareForm&) = delete;
    TFirmwareForm& operator=(const TFirmwareForm&) = delete;

    void FormCreate();
    void HEXOpenClick();
    void Show() { Window->Show(); }
    // Shows the dump of the image just loaded: the header above, the rows from the top.
    void ShowDump();

    // The dump view's commands: each asks in a prompt, then selects in the dump.
    void GoToClick();
    void FindClick();
    void FindNextClick();

    // Declared first: the view draws from them until the window goes. The editor holds only
    // what the user typed over the rows.
    TDumpRows DumpRows;
    RowEditor DumpEditor;
    std::unique_ptr<Platform::Window> Window;
    Platform::TextControl* FirstStringStaticText = nullptr;
    Platform::RowView* FirmwareShowMemo = nullptr;

  private:
    // Where byte `byte`'s digits stand in the dump, `digits` of them in.
    RowPoint ByteAt(uint64_t byte, uint32_t digits) const;
    void Find(const std::string& pattern);
    uint64_t CaretByte() const;  // the byte whose digits the caret stands at or in

    Platform::Desktop& platform_;
    std::string lastAddress_, lastPattern_;  // what the prompts offer next
};

extern std::unique_ptr<TFirmwareForm> FirmwareForm;

}  // namespace FirmwareUnit
