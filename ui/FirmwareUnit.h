// The firmware window: the dump of the loaded image under its column header.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "LineList.h"
#include "Platform.h"

namespace FirmwareUnit {

// The dump's rows, made from the image when a view asks for them.
class TDumpRows : public Platform::RowSource {
  public:
    uint64_t RowCount() const override;
    std::string Row(uint64_t row) const override;
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

    // Declared first: the view draws from them until the window goes. DumpLines holds the dump
    // as text only once the user has typed into it.
    TDumpRows DumpRows;
    LineList DumpLines;
    std::unique_ptr<Platform::Window> Window;
    Platform::TextControl* FirstStringStaticText = nullptr;
    Platform::RowView* FirmwareShowMemo = nullptr;
};

extern std::unique_ptr<TFirmwareForm> FirmwareForm;

}  // namespace FirmwareUnit
