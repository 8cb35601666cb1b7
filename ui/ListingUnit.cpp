#include "ListingUnit.h"

#include "Cp1251.h"
#include "MainUnit.h"

namespace ListingUnit {

std::unique_ptr<TListingForm> ListingForm;

TListingForm::TListingForm(Platform::Desktop& platform) {
    Platform::WindowSpec spec;
    spec.Caption = Cp1251::FromUtf8("Листинг");
    spec.Top = 420;
    spec.Width = 798;
    spec.Height = 500;
    Window = platform.NewWindow(spec);
    Window->SetMenu({});  // no items, so no bar

    Platform::TextViewSpec memo;
    memo.Where.FillClient = true;
    memo.Background = {166, 202, 240};
    memo.Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {0, 0, 0}};
    memo.Bars = Platform::ScrollBars::Both;
    ListingMemo = &Window->AddTextView(memo, ListingLines);

    Window->OnCloseRequest([this] { Window->Hide(); });
    FormCreate();
}

// The Top stays where the window was designed.
void TListingForm::FormCreate() {
    Window->Place(MainUnit::MainForm->Window->Left(), Window->Top());
}

}  // namespace ListingUnit
