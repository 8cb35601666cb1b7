#include "FirmwareUnit.h"

#include "Cp1251.h"
#include "HexUnit.h"
#include "MainUnit.h"

namespace FirmwareUnit {

std::unique_ptr<TFirmwareForm> FirmwareForm;

uint64_t TDumpRows::RowCount() const {
    return HexUnit::DumpRowCount();
}

std::string TDumpRows::Row(uint64_t row) const {
    std::string text;
    HexUnit::AppendDumpRows(text, row, 1, "");
    return text;
}

TFirmwareForm::TFirmwareForm(Platform::Desktop& platform) {
    Platform::WindowSpec spec;
    spec.Caption = Cp1251::FromUtf8("Бинарный файл");
    spec.Width = 620;
    spec.Height = 500;
    Window = platform.NewWindow(spec);

    Window->SetMenu({MainUnit::Item("Открыть HEX-файл", [this] { HEXOpenClick(); })});

    const Platform::Font courier = {
        .Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {255, 255, 0}};
    Platform::LabelSpec header;
    header.Where = {.Left = 1, .Top = 0, .Width = 611, .Height = 25};
    header.Background = {0, 0, 0};
    header.Font = courier;
    FirstStringStaticText = &Window->AddLabel(header);

    Platform::TextViewSpec memo;
    memo.Where = {.Left = 0, .Top = 25, .Width = 613, .Height = 434, .AnchorBottom = true};
    memo.Background = {0, 0, 0};
    memo.Font = courier;
    memo.Font.Colour = {0, 255, 0};
    memo.Bars = Platform::ScrollBars::Vertical;
    FirmwareShowMemo = &Window->AddRowView(memo, DumpRows, DumpLines);

    Window->OnCloseRequest([this] { Window->Hide(); });
    FormCreate();
}

void TFirmwareForm::FormCreate() {
    Window->Place(MainUnit::MainForm->Window->Left(), 119);
}

void TFirmwareForm::ShowDump() {
    FirstStringStaticText->SetText(HexUnit::DumpHeader());
    FirmwareShowMemo->ShowRows();
}

void TFirmwareForm::HEXOpenClick() {
    MainUnit::MainForm->FileOpenClick();
}

}  // namespace FirmwareUnit
