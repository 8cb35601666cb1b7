// The firmware window: the dump of the loaded image under its column header.
#pragma once

#include <memory>
#include <vector>

#include "LineList.h"
#include "Platform.h"

namespace FirmwareUnit {

class TFirmwareForm {
  public:
    explicit TFirmwareForm(Platform::Platform& platform);
    TFirmwareForm(const TFirmwareForm&) = delete;
    TFirmwareForm& operator=(const TFirmwareForm&) = delete;

    void FormCreate();
    void HEXOpenClick();

    LineList DumpLines;  // declared first: the view is bound to it until the window goes
    std::unique_ptr<Platform::Window> Window;
    Platform::TextControl* FirstStringStaticText = nullptr;
    Platform::TextView* FirmwareShowMemo = nullptr;
    Platform::MenuItem HEXOpen;
    std::vector<Platform::MenuItem> HEXMainMenu;
};

extern std::unique_ptr<TFirmwareForm> FirmwareForm;

}  // namespace FirmwareUnit
