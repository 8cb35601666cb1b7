// vantrel.exe: the four windows on the Win32 platform layer.
#include "Errors.h"
#include "Program.h"
#include "Win32Platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        Win32::Win32Platform platform;
        return Program::Main(platform);
    } catch (const std::exception& error) {
        // Only start-up can get here: the loop shows a command's error and goes on.
        MessageBoxW(nullptr, Win32::Wide(MessageBoxText(error.what())).c_str(), L"Vantrel",
                    MB_OK | MB_ICONSTOP);
        return 1;
    }
}
