// The few file operations the core needs, one source per platform (FileAccessPosix.cpp,
// FileAccessWin32.cpp). Error codes are the loader's: the platform's number, mapped on POSIX
// to 2 (missing file), 3 (missing folder), 4 (too many open files), 5 (access denied).
// Paths are CP1251 texts, as every text in the program; each platform converts them to its own
// file names (UTF-8 on POSIX, UTF-16 on Windows).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace FileAccess {

using Handle = intptr_t;

// Opens an existing file for reading, sharing reads and writes with other processes.
// Returns 0 and sets `file`, or returns the error code.
int OpenForReading(const std::string& path, Handle& file);
// The size of an open file in bytes, or an error code (0 on success).
int SizeOf(Handle file, uint64_t& size);
// Reads up to `count` bytes; returns the bytes delivered, or -1 with the error code in `error`.
int64_t Read(Handle file, void* buffer, uint32_t count, int& error);
void Close(Handle file);
// Readies a large buffer that is about to be filled (big pages where the system offers them, so
// that loading a big image does not spend its time on page faults).
void PrepareLargeBuffer(void* data, uint64_t size);

// The whole contents of a file for a line list; false with the system's text on failure.
bool ReadWhole(const std::string& path, std::string& contents, std::string& errorText);
// Replaces the file at `path` with `text` atomically (temporary file, flush, rename), keeping
// the target's permissions and refusing a target that may not be written. `writeSeam`, when
// set, runs before the write and may fail it with an error code.
bool ReplaceWhole(const std::string& path, std::string_view text, std::string& errorText,
                  bool (*writeSeam)(std::string_view, int&));
// The absolute form of a path, for messages.
std::string AbsolutePath(const std::string& path);

}  // namespace FileAccess
