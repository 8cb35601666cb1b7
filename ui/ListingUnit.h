// The listing window: what the last run wrote.
#pragma once

#include <memory>

#include "LineList.h"
#include "Platform.h"

namespace ListingUnit {

class TListingForm {
  public:
    explicit TListingForm(Platform::Desktop& platform);
    TListingForm(const TListingForm&) = delete;
    TListingForm& operator=(const TListingForm&) = delete;

    void FormCreate();
    void Show() { Window->Show(); }

    LineList ListingLines;  // declared first: the view is bound to it until the window goes
    std::unique_ptr<Platform::Window> Window;
    Platform::TextView* ListingMemo = nullptr;
};

extern std::unique_ptr<TListingForm> ListingForm;

}  // namespace ListingUnit
