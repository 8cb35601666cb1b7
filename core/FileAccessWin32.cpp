#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>

#include "Cp1251.h"
#include "FileAccess.h"

namespace FileAccess {
namespace {

std::string Narrow(const wchar_t* text, size_t length) {
    return Cp1251::FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

// The system's text for an error in the given language; empty when it has none.
std::wstring SystemText(DWORD error, DWORD language) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, error, language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    LocalFree(buffer);
    return text;
}

}  // namespace

// The message box appends the final "."; the system's own full stop and line break go.
std::string ErrorText(int number) {
    const DWORD error = number == TooLarge ? ERROR_FILE_TOO_LARGE : static_cast<DWORD>(number);
    std::wstring text = SystemText(error, 0);
    std::string bytes = Narrow(text.data(), text.size());
    // A language whose letters the code page lacks would come out as question marks.
    if (std::count(bytes.begin(), bytes.end(), '?') != std::count(text.begin(), text.end(), L'?')) {
        std::wstring english = SystemText(error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        if (!english.empty()) bytes = Narrow(english.data(), english.size());
    }
    while (!bytes.empty() &&
           (bytes.back() == '.' || static_cast<unsigned char>(bytes.back()) <= ' '))
        bytes.pop_back();
    return bytes.empty() ? "System error " + std::to_string(error) : bytes;
}

namespace {

bool Failed(std::string& errorText, DWORD error) {
    errorText = ErrorText(static_cast<int>(error));
    return false;
}

HANDLE AsHandle(Handle file) {
    return reinterpret_cast<HANDLE>(file);
}

std::wstring FullPath(const std::wstring& path) {
    DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    full.resize(length);
    return full;
}

std::wstring FolderOf(const std::wstring& fullPath) {
    size_t slash = fullPath.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : fullPath.substr(0, slash + 1);
}

// Refuses what a plain write would refuse, before anything is written: a folder, a file with the
// read-only attribute, one the user may not write, or one another program keeps from writers.
DWORD CheckWritable(const std::wstring& target, DWORD& attributes) {
    attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : error;
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        return ERROR_ACCESS_DENIED;
    HANDLE probe = CreateFileW(target.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(probe);
    return 0;
}

}  // namespace

Io CurrentIo;

const int BadHandle = ERROR_INVALID_HANDLE;

int OpenForReading(const std::filesystem::path& path, Handle& file) {
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    file = reinterpret_cast<Handle>(handle);
    return 0;
}

// The system's numbers for the failures users meet are the loader's codes already.
int LoaderCode(int error, const std::filesystem::path&) {
    return error;
}

Handle StandardInput() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    return input == nullptr || input == INVALID_HANDLE_VALUE ? NoFile
                                                             : reinterpret_cast<Handle>(input);
}

int SizeOf(Handle file, std::optional<uint64_t>& size) {
    size.reset();
    // Pipes and character devices (the console) have no size: they are read to their end.
    if (GetFileType(AsHandle(file)) != FILE_TYPE_DISK) return 0;
    LARGE_INTEGER value{};
    if (!GetFileSizeEx(AsHandle(file), &value)) return static_cast<int>(GetLastError());
    if (value.QuadPart > 0) size = static_cast<uint64_t>(value.QuadPart);
    return 0;
}

int64_t Read(Handle file, void* buffer, uint32_t count, int& error) {
    DWORD got = 0;
    if (!ReadFile(AsHandle(file), buffer, count, &got, nullptr)) {
        // A pipe whose writer has closed it has come to its end.
        if (GetLastError() == ERROR_BROKEN_PIPE) return 0;
        error = static_cast<int>(GetLastError());
        return -1;
    }
    return got;
}

int64_t ReadAvailable(Handle file, void* buffer, uint32_t count, int& error) {
    // A pipe is read only once it holds something: ReadFile would wait for its writer.
    if (GetFileType(AsHandle(file)) == FILE_TYPE_PIPE) {
        DWORD available = 0;
        if (!PeekNamedPipe(AsHandle(file), nullptr, 0, nullptr, &available, nullptr))
            return Read(file, buffer, count, error);  // the end, or the error, as Read gives it
        if (available == 0) {
            Sleep(50);
            return NothingYet;
        }
        count = std::min<uint32_t>(count, available);
    }
    return Read(file, buffer, count, error);
}

bool Write(Handle file, std::string_view text, int& error) {
    while (!text.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(AsHandle(file), text.data(), chunk, &written, nullptr)) {
            error = static_cast<int>(GetLastError());
            return false;
        }
        if (written == 0) {
            error = ERROR_WRITE_FAULT;
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

void Close(Handle file) {
    if (file != NoFile) CloseHandle(AsHandle(file));
}

// Large pages on Windows need a privilege that ordinary users lack, and only come with memory
// allocated for them; the buffer stays as allocated.
void PrepareLargeBuffer(void*, uint64_t) {}

bool ReplaceWhole(const std::filesystem::path& path, std::string_view text,
                  std::string& errorText) {
    std::wstring target = FullPath(path.native());
    DWORD attributes = 0;
    if (DWORD error = CheckWritable(target, attributes)) return Failed(errorText, error);

    wchar_t temp[MAX_PATH + 1] = {};
    if (!GetTempFileNameW(FolderOf(target).c_str(), L"vtr", 0, temp))
        return Failed(errorText, GetLastError());
    HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        DeleteFileW(temp);
        return Failed(errorText, error);
    }
    int writeError = 0;
    DWORD error = 0;
    if (!CurrentIo.Write(reinterpret_cast<Handle>(file), text, writeError))
        error = static_cast<DWORD>(writeError);
    if (!error && !FlushFileBuffers(file)) error = GetLastError();
    CloseHandle(file);
    // The replacement keeps the marks a user may rely on, such as hidden.
    DWORD kept = attributes == INVALID_FILE_ATTRIBUTES
                     ? 0
                     : attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (!error && kept && !SetFileAttributesW(temp, kept)) error = GetLastError();
    if (!error &&
        !MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error) {
        DeleteFileW(temp);
        return Failed(errorText, error);
    }
    return true;
}

std::filesystem::path AbsolutePath(const std::filesystem::path& path) {
    return FullPath(path.native());
}

}  // namespace FileAccess
