// The read of a whole file, written once over the platform's primitives.
#include <algorithm>
#include <memory>

#include "FileAccess.h"

namespace FileAccess {
namespace {

constexpr uint32_t BlockSize = 1 << 20;

// One read of up to `want` bytes at `done`. With a progress, it is told first, and again
// while a pipe has nothing to deliver.
int64_t ReadBlock(Handle file, void* buffer, uint32_t want, uint64_t done,
                  std::optional<uint64_t> size, const ReadProgress& progress, int& error) {
    int64_t got = NothingYet;
    while (got == NothingYet) {
        if (progress) progress(done, size);
        got = progress ? ReadAvailable(file, buffer, want, error)
                       : CurrentIo.Read(file, buffer, want, error);
    }
    return got;
}

template <class Bytes>
int Fail(Bytes& contents, int error) {
    contents.clear();
    return error;
}

template <class Bytes>
int ReadInto(Handle file, Bytes& contents, std::optional<uint64_t>& size,
             const ReadProgress& progress) {
    using Byte = typename Bytes::value_type;
    contents.clear();
    if (int error = SizeOf(file, size)) return error;
    int error = 0;
    if (size) {
        if (*size > LargestFile) return TooLarge;
        contents.reserve(*size);
        PrepareLargeBuffer(contents.data(), *size);
        // Grown a block at a time inside the room reserved: the zeros of a whole large file
        // would take a second before the first read, and the progress would not be told
        // meanwhile.
        while (contents.size() < *size) {
            const size_t done = contents.size();
            const uint32_t want =
                static_cast<uint32_t>(std::min<uint64_t>(BlockSize, *size - done));
            contents.resize(done + want);
            int64_t got =
                ReadBlock(file, contents.data() + done, want, done, size, progress, error);
            if (got < 0) return Fail(contents, error);
            contents.resize(done + static_cast<size_t>(got));
            if (got == 0) return 0;  // it ended before its size
        }
    }
    // What has no size, or has grown past it, gathers in pieces that are neither cleared nor
    // moved as more arrive, and is copied once into `contents` at the end.
    struct Piece {
        std::unique_ptr<Byte[]> data;
        uint64_t size;
    };
    std::vector<Piece> pieces;
    uint64_t total = contents.size();
    for (uint64_t room = BlockSize;; room = std::min<uint64_t>(2 * room, 64 * BlockSize)) {
        Piece piece{std::unique_ptr<Byte[]>(new Byte[room]), 0};
        PrepareLargeBuffer(piece.data.get(), room);
        int64_t got = 1;
        while (piece.size < room && got > 0) {
            uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(BlockSize, room - piece.size));
            got = ReadBlock(file, piece.data.get() + piece.size, want, total + piece.size, size,
                            progress, error);
            if (got < 0) return Fail(contents, error);
            piece.size += static_cast<uint64_t>(got);
        }
        total += piece.size;
        if (total > LargestFile) return Fail(contents, TooLarge);
        pieces.push_back(std::move(piece));
        if (got == 0) break;
    }
    contents.reserve(total);
    for (Piece& piece : pieces) {
        contents.insert(contents.end(), piece.data.get(), piece.data.get() + piece.size);
        piece.data.reset();
    }
    return 0;
}

bool Failed(std::string& errorText, int error) {
    errorText = ErrorText(error);
    return false;
}

}  // namespace

int ReadAll(Handle file, std::string& contents, std::optional<uint64_t>& size,
            const ReadProgress& progress) {
    return ReadInto(file, contents, size, progress);
}

int ReadAll(Handle file, std::vector<uint8_t>& contents, std::optional<uint64_t>& size,
            const ReadProgress& progress) {
    return ReadInto(file, contents, size, progress);
}

bool ReadWhole(const std::filesystem::path& path, std::string& contents, std::string& errorText,
               const ReadProgress& progress) {
    Handle file = NoFile;
    if (int error = OpenForReading(path, file)) return Failed(errorText, error);
    // Closed also when the progress stops the read.
    const std::unique_ptr<Handle, void (*)(Handle*)> closing(&file,
                                                             [](Handle* open) { Close(*open); });
    return ReadWhole(file, contents, errorText, progress);
}

bool ReadWhole(Handle file, std::string& contents, std::string& errorText,
               const ReadProgress& progress) {
    if (file == NoFile) return Failed(errorText, BadHandle);
    std::optional<uint64_t> size;
    int error = ReadAll(file, contents, size, progress);
    return error == 0 || Failed(errorText, error);
}

}  // namespace FileAccess
