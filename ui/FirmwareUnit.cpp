#include "FirmwareUnit.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "Cp1251.h"
#include "Errors.h"
#include "HexUnit.h"
#include "MainUnit.h"
#include "ShortCut.h"

namespace FirmwareUnit {

std::unique_ptr<TFirmwareForm> FirmwareForm;

namespace {

// Where a row's first byte's digits start: after the 8-digit address and its separator.
constexpr uint32_t FirstByteColumn = 8 + 3;

std::string Ru(const char* utf8) {
    return Cp1251::FromUtf8(utf8);
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == text.npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// The digits of a hexadecimal address ("1234560", "0x1234560" or "1234560h"), upper case,
// without leading zeros; nothing when it is no such number.
std::optional<std::string> AddressDigits(std::string text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.erase(0, 2);
    else if (text.size() > 1 && (text.back() == 'h' || text.back() == 'H'))
        text.pop_back();
    if (text.empty() || !std::ranges::all_of(text, IsHex)) return std::nullopt;
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    text.erase(0, std::min(text.find_first_not_of('0'), text.size() - 1));
    return text;
}

// The bytes a find looks for: hexadecimal bytes with any blanks between whole bytes, or text in
// apostrophes, taken as its CP1251 bytes.
std::optional<std::vector<uint8_t>> PatternBytes(const std::string& text) {
    if (text.size() > 2 && text.front() == '\'' && text.back() == '\'')
        return std::vector<uint8_t>(text.begin() + 1, text.end() - 1);
    std::vector<uint8_t> bytes;
    size_t at = 0;
    while ((at = text.find_first_not_of(" \t", at)) != text.npos) {
        const size_t end = std::min(text.find_first_of(" \t", at), text.size());
        if ((end - at) % 2 != 0) return std::nullopt;
        for (; at < end; at += 2) {
            if (!IsHex(text[at]) || !IsHex(text[at + 1])) return std::nullopt;
            bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(at, 2), nullptr, 16)));
        }
    }
    if (bytes.empty()) return std::nullopt;
    return bytes;
}

// How a pattern is named in a message: its bytes as the dump shows them, or the quoted text.
std::string PatternName(const std::string& text, const std::vector<uint8_t>& bytes) {
    if (text.front() == '\'') return text;
    std::string name;
    for (uint8_t byte : bytes) {
        if (!name.empty()) name += ' ';
        name += HexUnit::HexByte(byte);
    }
    return name;
}

}  // namespace

uint64_t TDumpRows::RowCount() const {
    return HexUnit::DumpRowCount();
}

std::string TDumpRows::Row(uint64_t row) const {
    std::string text;
    HexUnit::AppendDumpRows(text, row, 1, "");
    return text;
}

void TDumpRows::AppendRows(std::string& out, uint64_t first, uint64_t count) const {
    HexUnit::AppendDumpRows(out, first, count, "\r\n");
}

uint64_t TDumpRows::BytesOf(uint64_t first, uint64_t count) const {
    const uint64_t from = std::min<uint64_t>(first * 16, HexUnit::ImageSize);
    return std::min<uint64_t>((first + count) * 16, HexUnit::ImageSize) - from;
}

TFirmwareForm::TFirmwareForm(Platform::Desktop& platform)
    : DumpEditor(DumpRows, platform), platform_(platform) {
    Platform::WindowSpec spec;
    spec.Caption = Ru("Бинарный файл");
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

    DumpEditor.Commands.push_back(
        {Ru("Перейти к адресу…"), ShortCut::Encode('G', false, true), [this] { GoToClick(); }});
    DumpEditor.Commands.push_back(
        {Ru("Найти…"), ShortCut::Encode('F', false, true), [this] { FindClick(); }});
    DumpEditor.Commands.push_back(
        {Ru("Найти далее"), ShortCut::Encode('N', false, true), [this] { FindNextClick(); }});

    Platform::TextViewSpec memo;
    memo.Where = {.Left = 0, .Top = 25, .Width = 613, .Height = 434, .AnchorBottom = true};
    memo.Background = {0, 0, 0};
    memo.Font = courier;
    memo.Font.Colour = {0, 255, 0};
    memo.Bars = Platform::ScrollBars::Vertical;
    FirmwareShowMemo = &Window->AddRowView(memo, DumpEditor);

    Window->OnCloseRequest([this] { Window->Hide(); });
    FormCreate();
}

void TFirmwareForm::FormCreate() {
    Window->Place(MainUnit::MainForm->Window->Left(), 119);
}

void TFirmwareForm::ShowDump() {
    FirstStringStaticText->SetText(HexUnit::DumpHeader());
    DumpEditor.Reset();
}

void TFirmwareForm::HEXOpenClick() {
    MainUnit::MainForm->FileOpenClick();
}

RowPoint TFirmwareForm::ByteAt(uint64_t byte, uint32_t digits) const {
    return {DumpEditor.Text().LineOfRow(byte / 16),
            FirstByteColumn + 3 * static_cast<uint32_t>(byte % 16) + digits};
}

void TFirmwareForm::GoToClick() {
    const std::optional<std::string> answer =
        platform_.Prompt(Ru("Перейти к адресу"), lastAddress_);
    if (!answer) return;
    const std::string text = Trim(*answer);
    lastAddress_ = text;
    const std::optional<std::string> digits = AddressDigits(text);
    if (!digits) throw Exception(Ru("Адрес «") + text + Ru("» не шестнадцатеричное число."));
    // Images stay below 4 GiB: more than 8 digits is past the end of any of them.
    const uint64_t address = digits->size() > 8 ? ~uint64_t{0} : std::stoull(*digits, nullptr, 16);
    if (address >= HexUnit::ImageSize) {
        const std::string shown =
            std::string(8 - std::min<size_t>(8, digits->size()), '0') + *digits;
        throw Exception(Ru("Адрес ") + shown + Ru(" за концом файла (размер ") +
                        HexUnit::Hex32(HexUnit::ImageSize) + ").");
    }
    DumpEditor.Select({ByteAt(address, 0), ByteAt(address, 0)});
}

uint64_t TFirmwareForm::CaretByte() const {
    const RowPoint caret = DumpEditor.Caret();
    // On a typed line, the byte of the nearest row above it.
    for (uint64_t line = caret.Line + 1; line-- > 0;) {
        if (const std::optional<uint64_t> row = DumpEditor.Text().RowOfLine(line)) {
            const uint32_t column = line == caret.Line ? caret.Column : 0;
            const uint32_t inRow = column < FirstByteColumn
                                       ? 0
                                       : std::min<uint32_t>(15, (column - FirstByteColumn) / 3);
            return *row * 16 + inRow;
        }
    }
    return 0;
}

void TFirmwareForm::Find(const std::string& text) {
    const std::optional<std::vector<uint8_t>> bytes = PatternBytes(text);
    if (!bytes)
        throw Exception(Ru("«") + text +
                        Ru("» не шестнадцатеричные байты и не текст в апострофах."));
    const std::optional<uint32_t> found = HexUnit::FindBytes(*bytes, CaretByte() + 1);
    if (!found) throw Exception(Ru("Не найдено: ") + PatternName(text, *bytes) + ".");
    const uint64_t last = uint64_t{*found} + bytes->size() - 1;
    DumpEditor.Select({.Anchor = ByteAt(last, 2), .Caret = ByteAt(*found, 0)});
}

void TFirmwareForm::FindClick() {
    const std::optional<std::string> answer = platform_.Prompt(Ru("Найти"), lastPattern_);
    if (!answer || Trim(*answer).empty()) return;
    lastPattern_ = Trim(*answer);
    Find(lastPattern_);
}

void TFirmwareForm::FindNextClick() {
    if (lastPattern_.empty()) return FindClick();
    Find(lastPattern_);
}

}  // namespace FirmwareUnit
