#include "MainUnit.h"

#include <new>
#include <stdexcept>

#include "Cp1251.h"
#include "Errors.h"
#include "FirmwareUnit.h"
#include "HexUnit.h"
#include "ListingUnit.h"
#include "LoadProgress.h"
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

bool RunCommand(Platform::Desktop& platform, const std::function<void()>& command) {
    std::string message;
    try {
        command();
        return true;
    } catch (const EAbort&) {
        return false;  // the user stopped it and knows
    } catch (const Exception& error) {
        message = error.Message;
    } catch (const std::bad_alloc&) {
        message = "Out of memory";
    } catch (const std::exception& error) {
        message = error.what();
    }
    platform.ShowMessage(ApplicationTitle, MessageBoxText(message));
    return false;
}

Platform::MenuItem Item(const char* utf8Caption, std::function<void()> command, uint16_t shortcut) {
    return {.Caption = Cp1251::FromUtf8(utf8Caption),
            .Shortcut = shortcut,
            .Command = std::move(command),
            .Items = {}};
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

TMainForm::TMainForm(Platform::Desktop& platform) : MainOpenDialog(platform), platform_(platform) {
    Platform::WindowSpec spec;
    spec.Caption = ApplicationTitle;
    spec.Width = 792;
    spec.Height = 67;
    spec.ClientSize = true;
    spec.Frame = Platform::Border::Fixed;
    spec.SystemMenu = true;
    Window = platform.NewWindow(spec);

    ScriptLoadedPanel = &Window->AddPanel(StatusPanel(0, "Скрипт: ещё не загружен"));
    FirmwareLoadedPanel = &Window->AddPanel(StatusPanel(34, "HEX-файл: ещё не загружен"));

    using ShortCut::Encode;
    MainMenu = {
        DropDown(
            "&Файл",
            {Item(
                 "&Открыть скрипт...", [this] { FileOpenScriptClick(); }, Encode(Keys::F3, true)),
             Item(
                 "&Открыть HEX-файл...", [this] { FileOpenClick(); }, Encode(Keys::F3)),
             Item("&Выход", [this] { FileExitClick(); })}),
        DropDown("&Окна", {Item("&Скрипт", [this] { WindowsScriptClick(); }),
                           Item("&Листинг", [this] { WindowsListingClick(); }),
                           Item("&Прошивка", [this] { WindowsFirmwareClick(); })}),
        // The caption carries the key's name itself: an item on the bar shows no shortcut.
        Item(
            "&Выполнение F9", [this] { RunScript(); }, Encode(Keys::F9))};
    Window->SetMenu(MainMenu);
    // The close button, "&Выход" and the platform's close key all end here.
    Window->OnCloseRequest([this] {
        platform_.Guarded([this] {
            if (QuerySaveScript()) platform_.Quit();
        });
    });

    platform.SetErrorHandler(
        [&platform](const std::function<void()>& action) { return RunCommand(platform, action); });
    platform.SetKeyHandler([this](const Platform::KeyPress& key) { return ShortCutPressed(key); });
    FormCreate();
}

TMainForm::~TMainForm() {
    platform_.SetKeyHandler(nullptr);
    platform_.SetErrorHandler(nullptr);
}

void TMainForm::FormCreate() {
    ScriptFileName.clear();
    // Centred for an outer width of 800; the division truncates toward zero.
    const int screenWidth = platform_.ScreenWidth();
    Window->Place((screenWidth - 800) / 2, 0);
}

bool TMainForm::QuerySaveScript() {
    if (!ScriptUnit::ScriptForm || !ScriptUnit::ScriptForm->Modified()) return true;
    const std::string question = Cp1251::FromUtf8("Сохранить изменения в скрипте «") +
                                 Cp1251::FromPath(ScriptFileName) + Cp1251::FromUtf8("»?");
    switch (platform_.Ask(ApplicationTitle, question)) {
        case Platform::Desktop::Answer::Yes:
            ScriptUnit::ScriptForm->SaveScriptClick();  // a failed save ends the command here
            return true;
        case Platform::Desktop::Answer::No:
            return true;
        default:
            return false;
    }
}

void TMainForm::FileOpenScriptClick() {
    if (!QuerySaveScript() || !MainOpenDialog.Execute()) return;
    const std::filesystem::path path = MainOpenDialog.FileName;
    // Loaded aside first, so that a failed or cancelled load leaves the script view as it was.
    LineList loaded;
    {
        LoadProgress::TLoadProgress progress(platform_, Cp1251::FromPath(path));
        loaded.LoadFile(path, std::ref(progress));
    }
    ScriptUnit::ScriptForm->ShowScript(loaded.Text());
    ScriptUnit::ScriptForm->ScriptLines.SetFileLineEnds(loaded.FileLineEnds());
    ScriptLoadedPanel->SetText(Cp1251::FromUtf8("СКРИПТ ЗАГРУЖЕН:   ") + Cp1251::FromPath(path));
    ScriptFileName = path;
}

void TMainForm::FileOpenClick() {
    if (!MainOpenDialog.Execute()) return;
    const std::filesystem::path path = MainOpenDialog.FileName;
    {
        LoadProgress::TLoadProgress progress(platform_, Cp1251::FromPath(path));
        HexUnit::LoadImage(path, std::ref(progress));
    }
    FirmwareUnit::FirmwareForm->ShowDump();
    FirmwareLoadedPanel->SetText(Cp1251::FromUtf8("HEX-ФАЙЛ ЗАГРУЖЕН:   ") +
                                 Cp1251::FromPath(path));
}

void TMainForm::FileExitClick() {
    Window->Close();
}

void TMainForm::WindowsScriptClick() {
    ScriptUnit::ScriptForm->Show();
}

void TMainForm::WindowsListingClick() {
    ListingUnit::ListingForm->Show();
}

void TMainForm::WindowsFirmwareClick() {
    FirmwareUnit::FirmwareForm->Show();
}

void TMainForm::RunScript() {
    try {
        LineList::Batch batch(ListingUnit::ListingForm->ListingLines);
        RunUnit::RunScript();
    } catch (const Exception& error) {
        // The error box follows; the caret already stands where the user has to look.
        if (error.Line >= 0) ScriptUnit::ScriptForm->SetCaretLine(error.Line);
        throw;
    }
    ListingUnit::ListingForm->Show();
}

bool TMainForm::ShortCutPressed(const Platform::KeyPress& key) {
    const Platform::MenuItem* item = FindShortCut(MainMenu, key);
    if (!item) return false;
    item->Command();
    return true;
}

}  // namespace MainUnit
