// The few file operations the core needs, one source per platform (FileAccessPosix.cpp,
// FileAccessWin32.cpp), and over them one portable read of a whole file (FileAccess.cpp). Errors
// are the system's numbers (errno, GetLastError); the loader and the line lists each turn them into
// their own messages. Paths are the platform's own names (bytes on POSIX, UTF-16 on Windows) and
// reach the system unchanged; Cp1251::FromPath gives the text that shows one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace FileAccess {

using Handle = intptr_t;
inline constexpr Handle NoFile = -1;  // also the value of Windows' INVALID_HANDLE_VALUE

// Opens an existing file for reading, sharing it with other processes. A FIFO
// opens at once even without a writer (and then reads as empty). Returns 0 and sets `file`, or
// returns the error number.
int OpenForReading(const std::filesystem::path& path, Handle& file);
// The loader's code for an error number: on POSIX mapped to 2 (missing file), 3 (missing folder),
// 4 (too many open files), 5 (access denied, or a folder read); Windows' numbers are the codes
// already. `opened` is the file whose opening failed, empty for a failed read.
int LoaderCode(int error, const std::filesystem::path& opened = {});
// The system's text for an error number, without a final full stop; for TooLarge, its text for a
// file too large.
std::string ErrorText(int error);
// The system's number for a handle that is not open (NoFile).
extern const int BadHandle;
// Standard input, or NoFile when the process was started with it closed.
Handle StandardInput();
// The size of an open file: that of a regular file or of a block device. Left empty for what
// has to be read to its end to be known: pipes, FIFOs, character devices, and files that report
// no size (as /proc files do). Returns 0 or the error number.
int SizeOf(Handle file, std::optional<uint64_t>& size);
// Reads up to `count` bytes; returns the bytes delivered (0 at the end), or -1 with the error
// number in `error`.
int64_t Read(Handle file, void* buffer, uint32_t count, int& error);
// As Read, but a pipe or FIFO that has nothing to deliver yet is waited for no longer than a
// twentieth of a second; NothingYet then.
inline constexpr int64_t NothingYet = -2;
int64_t ReadAvailable(Handle file, void* buffer, uint32_t count, int& error);
// Told, between the reads of a whole file, the bytes read so far and the file's size where it is
// known. It may throw to stop the read, which then leaves nothing behind.
using ReadProgress = std::function<void(uint64_t done, std::optional<uint64_t> size)>;
// Writes all of `text`; false with the error number in `error` when a write fails.
bool Write(Handle file, std::string_view text, int& error);
void Close(Handle file);  // nothing for NoFile
// Readies a large buffer that is about to be filled (big pages where the system offers them, so
// that loading a big image does not spend its time on page faults).
void PrepareLargeBuffer(void* data, uint64_t size);

// Neither an image nor a script may reach 2 GiB.
inline constexpr uint64_t LargestFile = 0x7FFFFFFF;

// What ReadAll returns for a file larger than LargestFile.
inline constexpr int TooLarge = -1;

// The whole of an open file, all or nothing: `contents` is left empty on failure. A file with a
// size (see SizeOf, which sets `size`) is read into room reserved for it and then to its end;
// one that ends before its size just ends. Any other file is read to its end. `progress` is told
// before every read, and with it pipes never hold the caller longer than a moment between two
// calls of it. Returns 0, TooLarge, or the error number.
int ReadAll(Handle file, std::string& contents, std::optional<uint64_t>& size,
            const ReadProgress& progress = {});
int ReadAll(Handle file, std::vector<uint8_t>& contents, std::optional<uint64_t>& size,
            const ReadProgress& progress = {});

// The whole contents of a file for a line list; false with ErrorText on failure.
bool ReadWhole(const std::filesystem::path& path, std::string& contents, std::string& errorText,
               const ReadProgress& progress = {});
// The same from an open file, such as standard input; the file stays open.
bool ReadWhole(Handle file, std::string& contents, std::string& errorText,
               const ReadProgress& progress = {});
// Replaces the file at `path` with `text`, refusing a target that may not be written or is no
// regular file. The new text is written to a temporary file beside the target and renamed over
// it. On POSIX the target keeps its owner, group, mode bits, extended attributes and ACL; where
// a new file would lose the owner or split hard links, the target is written in place instead,
// with its old text kept in the temporary file until the new text is flushed. On Windows it
// keeps its hidden, system and not-indexed attributes.
bool ReplaceWhole(const std::filesystem::path& path, std::string_view text, std::string& errorText);
// The reads of ReadAll without a progress and the writes of ReplaceWhole go through these, so that
// a test can put in a reader that delivers short pieces or fails, or a writer that fails.
struct Io {
    int64_t (*Read)(Handle file, void* buffer, uint32_t count, int& error) = &FileAccess::Read;
    bool (*Write)(Handle file, std::string_view text, int& error) = &FileAccess::Write;
};
extern Io CurrentIo;

// The absolute form of a path, for messages.
std::filesystem::path AbsolutePath(const std::filesystem::path& path);

}  // namespace FileAccess
