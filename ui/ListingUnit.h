// The listing window: what the last run wrote.
#pragma once

#include <memory>
#include <vector>

#include "LineList.h"
#include "Platform.h"

namespace ListingUnit {

class TListingForm {
  public:
    explicit TListingForm(Platform::Platform& platform);
    TListingForm(const TListingForm&) = delete;
    TListingForm& operator=(const TListingForm&) = delete;

    void FormCreate();

    LineList ListingLines;  // declared first: the view is bound to it until the window goes
    std::unique_ptr<Platform::Window> Window;
    Platform::TextView* ListingMemo = nullptr;
    std::vector<Platform::MenuItem> MainMenu1;  // no items, so no bar
};

extern std::unique_ptr<TListingForm> ListingForm;

}  // namespace ListingUnit
