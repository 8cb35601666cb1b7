#include "MainUnit.h"

#include <new>
#include <stdexcept>

#include "Cp1251.h"
#include "Errors.h"
#include "FirmwareUnit.h"
#include "HexUnit.h"
#include "ListingUnit.h"
#include "RunUnit.h"
#include "ScriptUnit.h"
#include "ShortCut.h"

namespace MainUnit {

std::unique_ptr<TMainForm> MainForm;
std::filesystem::path ScriptFileName;

bool TOpenDialog::Execute() {
    std::optional<std::filesystem::path> path = platform_.OpenFileDialog(FileName);
    if (!path) return false;
    FileName = *path;
    return true;
}

void RunCommand(Platform::Platform& platform, const std::function<void()>& command) {
    std::string message;
    try {
        command();
        return;
    } catch (const Exception& error) {
        message = error.Message;
    } catch (const std::bad_alloc&) {
        message = "Out of memory";
    } catch (const std::exception& error) {
        message = error.what();
    }
    platform.MessageBox(ApplicationTitle, MessageBoxText(message));
}

Platform::MenuItem CommandItem(Platform::Platform& platform, const std::string& caption,
                               std::function<void()> handler, uint16_t shortcut) {
    Platform::MenuItem item;
    item.Caption = caption;
    item.Shortcut = shortcut;
    item.Command = [&platform, handler = std::move(handler)] { RunCommand(platform, handler); };
    return item;
}

namespace {

Platform::PanelSpec StatusPanel(int top, const char* utf8Text) {
    Platform::PanelSpec spec;
    spec.Where = {.Left = 0, .Top = top, .Width = 792, .Height = 33};
    spec.Background = {0, 0, 0};
    spec.Font = {.Face = "System", .PixelHeight = 16, .Bold = true, .Colour = {0, 255, 0}};
    spec.Text = Cp1251::FromUtf8(utf8Text);
    return spec;
}

Platform::MenuItem DropDown(const char* utf8Caption, std::vector<Platform::MenuItem> items) {
    Platform::MenuItem item;
    item.Caption = Cp1251::FromUtf8(utf8Caption);
    item.Items = std::move(items);
    return item;
}

const Platform::MenuItem* FindShortCut(const std::vector<Platform::MenuItem>& items,
                                       const Platform::KeyPress& key) {
    for (const Platform::MenuItem& item : items) {
        if (item.Command && ShortCut::Matches(item.Shortcut, key)) return &item;
        if (const Platform::MenuItem* inner = FindShortCut(item.Items, key)) return inner;
    }
    return nullptr;
}

}  // namespace

TMainForm::TMainForm(Platform::Platform& platform) : MainOpenDialog(platform), platform_(platform) {
    Platform::WindowSpec spec;
    spec.Caption = ApplicationTitle;
    spec.Width = 792;
    spec.Height = 67;
    spec.ClientSize = true;
    spec.Frame = Platform::Border::Fixed;
    spec.SystemMenu = true;
    Window = platform.CreateWindow(spec);

    ScriptLoadedPanel = &Window->AddPanel(StatusPanel(0, "Скрипт: ещё не загружен"));
    FirmwareLoadedPanel = &Window->AddPanel(StatusPanel(34, "HEX-файл: ещё не загружен"));

    using ShortCut::Encode;
    FileOpenScript = CommandItem(
        platform, Cp1251::FromUtf8("&Открыть скрипт..."), [this] { FileOpenScriptClick(); },
        Encode(ShortCut::KeyF3, true));
    FileOpen = CommandItem(
        platform, Cp1251::FromUtf8("&Открыть HEX-файл..."), [this] { FileOpenClick(); },
        Encode(ShortCut::KeyF3));
    FileExit = CommandItem(platform, Cp1251::FromUtf8("&Выход"), [this] { FileExitClick(); });
    MainFile = DropDown("&Файл", {FileOpenScript, FileOpen, FileExit});
    WindowsScript =
        CommandItem(platform, Cp1251::FromUtf8("&Скрипт"), [this] { WindowsScriptClick(); });
    WindowsListing =
        CommandItem(platform, Cp1251::FromUtf8("&Листинг"), [this] { WindowsListingClick(); });
    WindowsFirmware =
        CommandItem(platform, Cp1251::FromUtf8("&Прошивка"), [this] { WindowsFirmwareClick(); });
    MainWindows = DropDown("&Окна", {WindowsScript, WindowsListing, WindowsFirmware});
    // The caption carries the key's name itself: an item on the bar shows no shortcut.
    Run = CommandItem(
        platform, Cp1251::FromUtf8("&Выполнение F9"), [this] { RunScript(); },
        Encode(ShortCut::KeyF9));
    MainMenu = {MainFile, MainWindows, Run};
    Window->SetMenu(MainMenu);

    platform.SetKeyHandler([this](const Platform::KeyPress& key) { return ShortCutPressed(key); });
    FormCreate();
}

TMainForm::~TMainForm() {
    platform_.SetKeyHandler(nullptr);
}

void TMainForm::FormCreate() {
    ScriptFileName.clear();
    // Centred for an outer width of 800; the division truncates toward zero.
    const int screenWidth = platform_.ScreenWidth();
    Window->Place((screenWidth - 800) / 2, 0);
}

void TMainForm::FileOpenScriptClick() {
    if (!MainOpenDialog.Execute()) return;
    const std::filesystem::path path = MainOpenDialog.FileName;
    // Loaded aside first, so that a failed load leaves the script view's text as it was.
    LineList loaded;
    loaded.LoadFile(path);
    LineList& script = ScriptUnit::ScriptForm->ScriptLines;
    if (loaded.Text() != script.Text()) script.SetText(std::string(loaded.Text()));
    ScriptUnit::ScriptForm->Window->Show();
    ScriptLoadedPanel->SetText(Cp1251::FromUtf8("СКРИПТ ЗАГРУЖЕН:   ") + Cp1251::FromPath(path));
    ScriptFileName = path;
}

void TMainForm::FileOpenClick() {
    if (!MainOpenDialog.Execute()) return;
    const std::filesystem::path path = MainOpenDialog.FileName;
    HexUnit::LoadImage(path);
    FirmwareUnit::FirmwareForm->ShowDump();
    FirmwareLoadedPanel->SetText(Cp1251::FromUtf8("HEX-ФАЙЛ ЗАГРУЖЕН:   ") +
                                 Cp1251::FromPath(path));
}

void TMainForm::FileExitClick() {
    Window->Close();
}

void TMainForm::WindowsScriptClick() {
    ScriptUnit::ScriptForm->Window->Show();
}

void TMainForm::WindowsListingClick() {
    ListingUnit::ListingForm->Window->Show();
}

void TMainForm::WindowsFirmwareClick() {
    FirmwareUnit::FirmwareForm->Window->Show();
}

void TMainForm::RunScript() {
    try {
        RunUnit::RunScript();
    } catch (const Exception& error) {
        // The error box follows; the caret already stands where the user has to look.
        if (error.Line >= 0) ScriptUnit::ScriptForm->ScriptMemo->SetCaretLine(error.Line);
        throw;
    }
    ListingUnit::ListingForm->Window->Show();
}

bool TMainForm::ShortCutPressed(const Platform::KeyPress& key) {
    const Platform::MenuItem* item = FindShortCut(MainMenu, key);
    if (!item) return false;
    item->Command();
    return true;
}

}  // namespace MainUnit
