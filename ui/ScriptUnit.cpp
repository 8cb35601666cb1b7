#include "ScriptUnit.h"

#include "Cp1251.h"
#include "Errors.h"
#include "MainUnit.h"

namespace ScriptUnit {

std::unique_ptr<TScriptForm> ScriptForm;

TScriptForm::TScriptForm(Platform::Platform& platform) {
    Platform::WindowSpec spec;
    spec.Caption = Cp1251::FromUtf8("Скрипт");
    spec.Width = 620;
    spec.Height = 500;
    Window = platform.CreateWindow(spec);

    ScriptOpen = MainUnit::CommandItem(platform, Cp1251::FromUtf8("Открыть скрипт"),
                                       [this] { ScriptOpenClick(); });
    SaveScript = MainUnit::CommandItem(platform, Cp1251::FromUtf8("Сохранить скрипт"),
                                       [this] { SaveScriptClick(); });
    MainMenu1 = {ScriptOpen, SaveScript};
    Window->SetMenu(MainMenu1);

    Platform::TextViewSpec memo;
    memo.Where.FillClient = true;
    memo.Background = {0, 0, 255};
    memo.Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {255, 255, 0}};
    memo.Bars = Platform::ScrollBars::Vertical;
    ScriptMemo = &Window->AddTextView(memo, ScriptLines);

    Window->OnCloseRequest([this] { Window->Hide(); });
    FormCreate();
}

void TScriptForm::FormCreate() {
    Window->Place(MainUnit::MainForm->Window->Left() + 177, 119);
}

void TScriptForm::ScriptOpenClick() {
    MainUnit::MainForm->FileOpenScriptClick();
}

void TScriptForm::SaveScriptClick() {
    // A typed script with no file behind it would otherwise be lost without a word.
    if (MainUnit::ScriptFileName.empty())
        throw Exception(Cp1251::FromUtf8("Скрипт не сохранён: сначала откройте файл скрипта"));
    ScriptLines.SaveFile(MainUnit::ScriptFileName);
}

}  // namespace ScriptUnit
