#include "Terminal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Cp1251.h"
#include "Errors.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace Terminal {

Encoding Chosen = Encoding::Auto;

namespace {

enum class Form { Bytes, Utf8, Console };

bool WriteBytes(std::FILE* stream, std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size() &&
           std::fflush(stream) == 0;
}

#ifdef _WIN32
HANDLE ConsoleOf(std::FILE* stream) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// The console takes text in UTF-16 whatever its code page; CR LF and LF both end a line there.
bool WriteToConsole(std::FILE* stream, std::string_view text) {
    if (std::fflush(stream) != 0) return false;
    HANDLE console = ConsoleOf(stream);
    const std::u16string wide = Cp1251::ToUtf16(text);
    constexpr size_t Chunk = 8192;  // older consoles refuse very long writes
    for (size_t at = 0; at < wide.size(); at += Chunk) {
        const auto count = static_cast<DWORD>(std::min(Chunk, wide.size() - at));
        DWORD written = 0;
        if (!WriteConsoleW(console, wide.data() + at, count, &written, nullptr)) return false;
    }
    return true;
}
#endif

bool Write(std::FILE* stream, std::string_view text, Form form) {
    switch (form) {
        case Form::Utf8:
            return WriteBytes(stream, Cp1251::ToUtf8(text));
#ifdef _WIN32
        case Form::Console:
            return WriteToConsole(stream, text);
#endif
        default:
            return WriteBytes(stream, text);
    }
}

Form Forced(Form otherwise) {
    if (Chosen == Encoding::Raw) return Form::Bytes;
    if (Chosen == Encoding::Utf8) return Form::Utf8;
    return otherwise;
}

// What a terminal takes: UTF-8 on POSIX, the console interface on Windows.
Form TerminalForm() {
#ifdef _WIN32
    return Form::Console;
#else
    return Form::Utf8;
#endif
}

}  // namespace

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
    return ConsoleOf(stream) != nullptr;
#else
    return isatty(fileno(stream)) == 1;
#endif
}

bool WriteListing(std::FILE* stream, std::string_view text) {
    return Write(stream, text, Forced(IsTerminal(stream) ? TerminalForm() : Form::Bytes));
}

bool WriteMessage(std::FILE* stream, std::string_view text) {
#ifdef _WIN32
    const Form otherwise = IsTerminal(stream) ? Form::Console : Form::Bytes;
#else
    const Form otherwise = Form::Utf8;
#endif
    return Write(stream, text, Forced(otherwise));
}

void ReportFailure(std::FILE* err, const std::string& where, const std::string& message) {
    WriteMessage(err, where + ": " + MessageBoxText(message) + "\n");
}

int WriteFailed(std::FILE* err, const char* what, int error) {
    if (error == EPIPE) return 0;
    std::fprintf(err, "vantrel-cli: cannot write %s: %s\n", what, std::strerror(error));
    return 1;
}

}  // namespace Terminal
