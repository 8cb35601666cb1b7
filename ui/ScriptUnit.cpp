#include "ScriptUnit.h"

#include "Cp1251.h"
#include "Errors.h"
#include "MainUnit.h"

namespace ScriptUnit {

std::unique_ptr<TScriptForm> ScriptForm;

TScriptForm::TScriptForm(Platform::Desktop& platform) {
    Platform::WindowSpec spec;
    spec.Caption = Cp1251::FromUtf8("Скрипт");
    spec.Width = 620;
    spec.Height = 500;
    Window = platform.NewWindow(spec);

    Window->SetMenu({MainUnit::Item("Открыть скрипт", [this] { ScriptOpenClick(); }),
                     MainUnit::Item("Сохранить скрипт", [this] { SaveScriptClick(); })});

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

void TScriptForm::ShowScript(std::string_view text) {
    if (text != ScriptLines.Text()) ScriptLines.SetText(std::string(text));
    savedText_ = ScriptLines.Text();
    Show();
}

bool TScriptForm::Modified() {
    return !MainUnit::ScriptFileName.empty() && ScriptLines.Text() != savedText_;
}

void TScriptForm::ScriptOpenClick() {
    MainUnit::MainForm->FileOpenScriptClick();
}

void TScriptForm::SaveScriptClick() {
    // A typed script with no file behind it would otherwise be lost without a word.
    if (MainUnit::ScriptFileName.empty())
        throw Exception(Cp1251::FromUtf8("Скрипт не сохранён: сначала откройте файл скрипта"));
    ScriptLines.SaveFile(MainUnit::ScriptFileName);
    savedText_ = ScriptLines.Text();
}

}  // namespace ScriptUnit
