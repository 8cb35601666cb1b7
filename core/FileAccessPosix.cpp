#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "Cp1251.h"
#include "FileAccess.h"

namespace FileAccess {
namespace {

// Names inside the program are CP1251 texts like every other; the file system's are UTF-8.
std::string Native(const std::string& path) {
    return Cp1251::ToUtf8(path);
}

bool FolderExists(const std::string& path) {
    std::error_code ec;
    auto parent = std::filesystem::path(path).parent_path();
    return parent.empty() || std::filesystem::is_directory(parent, ec);
}

// The loader's codes for the failures users meet; every other errno is kept as it is.
int LoaderCode(int error, const std::string& path) {
    switch (error) {
        case ENOENT:
            return FolderExists(path) ? 2 : 3;
        case ENOTDIR:
            return 3;
        case EMFILE:
        case ENFILE:
            return 4;
        case EACCES:
        case EPERM:
        case EISDIR:
            return 5;
        default:
            return error;
    }
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool Failed(std::string& errorText, int error) {
    errorText = std::strerror(error);
    return false;
}

}  // namespace

int OpenForReading(const std::string& name, Handle& file) {
    std::string path = Native(name);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return LoaderCode(errno, path);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return 5;
    }
    file = fd;
    return 0;
}

int SizeOf(Handle file, uint64_t& size) {
    struct stat st {};
    if (::fstat(static_cast<int>(file), &st) != 0) return errno;
    size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
    return 0;
}

int64_t Read(Handle file, void* buffer, uint32_t count, int& error) {
    for (;;) {
        ssize_t n = ::read(static_cast<int>(file), buffer, count);
        if (n >= 0) return n;
        if (errno != EINTR) {
            error = errno == EISDIR ? 5 : errno;
            return -1;
        }
    }
}

void Close(Handle file) {
    if (file > 0) ::close(static_cast<int>(file));
}

void PrepareLargeBuffer(void* data, uint64_t size) {
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t Huge = 2 << 20;
    uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + Huge - 1) & ~(Huge - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(Huge - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

bool ReadWhole(const std::string& name, std::string& contents, std::string& errorText) {
    int fd = ::open(Native(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Failed(errorText, errno);
    struct stat st {};
    size_t expected = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : 0;
    // Read straight into the result; a file that grows meanwhile is read to its new end.
    contents.reserve(expected + 1);
    PrepareLargeBuffer(contents.data(), contents.capacity());
    contents.resize(expected + 1);
    size_t done = 0;
    for (;;) {
        if (done == contents.size()) contents.resize(contents.size() * 2 + 4096);
        ssize_t n = ::read(fd, contents.data() + done, contents.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int error = errno;
            ::close(fd);
            return Failed(errorText, error);
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    contents.resize(done);
    return true;
}

bool ReplaceWhole(const std::string& name, std::string_view text, std::string& errorText,
                  bool (*writeSeam)(std::string_view, int&)) {
    std::string path = Native(name);
    // Write through a link to the file it names, so the link itself survives.
    std::string target = path;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        target = real;
        std::free(real);
    }
    struct stat st {};
    bool exists = ::stat(target.c_str(), &st) == 0;
    mode_t mode = 0666;
    if (exists) {
        if (S_ISDIR(st.st_mode)) return Failed(errorText, EISDIR);
        // A file without write permission stays as it is, even for a user who could override.
        int probe = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
        if (probe < 0) return Failed(errorText, errno);
        ::close(probe);
        if ((st.st_mode & 0222) == 0) return Failed(errorText, EACCES);
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }

    auto file = std::filesystem::path(target);
    std::string temp = (file.parent_path() / ("." + file.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return Failed(errorText, errno);
    int error = 0;
    bool written = ::fchmod(fd, mode) == 0 || (error = errno, false);
    if (written && exists && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
        // Keeping the owner needs privileges; a file of one's own keeps it anyway.
    }
    if (written && writeSeam) written = writeSeam(text, error);
    if (written) written = (WriteAll(fd, text) && ::fsync(fd) == 0) || (error = errno, false);
    if (::close(fd) != 0 && written) written = (error = errno, false);
    if (written) written = ::rename(temp.c_str(), target.c_str()) == 0 || (error = errno, false);
    if (!written) {
        ::unlink(temp.c_str());
        return Failed(errorText, error);
    }
    return true;
}

std::string AbsolutePath(const std::string& name) {
    std::error_code ec;
    auto absolute = std::filesystem::absolute(Native(name), ec);
    return ec ? name : Cp1251::FromUtf8(absolute.lexically_normal().string());
}

}  // namespace FileAccess
