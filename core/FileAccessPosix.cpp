#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Cp1251.h"
#include "FileAccess.h"

namespace FileAccess {
namespace {

bool FolderExists(const std::string& path) {
    std::error_code ec;
    auto parent = std::filesystem::path(path).parent_path();
    return parent.empty() || std::filesystem::is_directory(parent, ec);
}

// Opens for reading without waiting: a FIFO without a writer would otherwise block the open
// for good. Once open, reads wait for data again, and a FIFO that nobody writes reads as empty.
int OpenNow(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool Failed(std::string& errorText, int error) {
    errorText = ErrorText(error);
    return false;
}

// One name per target, so that the next save reuses or removes what a crash left behind. It
// fits the folder's name limit: a long name is cut and a hash of the whole name keeps it apart
// from the names of other long targets.
std::string TempName(const std::filesystem::path& target) {
    const std::string folder = target.parent_path().empty() ? "." : target.parent_path().native();
    const std::string name = target.filename().native();
    const std::string suffix = ".vantrel-save";
    long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    size_t room = limit > 0 ? static_cast<size_t>(limit) : NAME_MAX;
    std::string temp = "." + name + suffix;
    if (temp.size() > room) {
        uint64_t hash = 14695981039346656037ull;  // FNV-1a
        for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
        char digits[17];
        std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
        std::string tail = std::string("~") + digits + suffix;
        size_t keep = std::min(name.size(), room > tail.size() + 1 ? room - 1 - tail.size() : 0);
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
        temp.assign(1, '.').append(name, 0, keep).append(tail);
    }
    return (target.parent_path() / temp).native();
}

// Opens the temporary file empty and locked. A leftover of one's own is reused; anything else
// under the name (another user's file, a link, a folder) is removed first. A save of the same
// target running in another process holds the lock, and this one fails rather than disturb it.
int OpenTemp(const std::string& temp, int& fd) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
        if (fd < 0) {
            int error = errno;
            struct stat st {};
            if (::lstat(temp.c_str(), &st) != 0) return error;  // nothing there: a real failure
            if (::unlink(temp.c_str()) != 0 && ::rmdir(temp.c_str()) != 0) return error;
            continue;
        }
        struct stat own {};
        struct stat named {};
        bool usable = ::fstat(fd, &own) == 0 && S_ISREG(own.st_mode) && own.st_uid == ::geteuid();
        // A file system without locks saves unguarded, as before locks were taken.
        if (usable && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno != ENOLCK &&
            errno != EOPNOTSUPP && errno != EINVAL) {
            int error = errno;
            ::close(fd);
            return error;
        }
        // Locked; the name must still be this file, not one renamed away by a save just ended.
        bool same = usable && ::stat(temp.c_str(), &named) == 0 && named.st_dev == own.st_dev &&
                    named.st_ino == own.st_ino;
        if (same && ::ftruncate(fd, 0) == 0) return 0;
        int error = errno;
        ::close(fd);
        if (same) return error;
        if (!usable) ::unlink(temp.c_str());
    }
    return EAGAIN;
}

// Copies the whole of `from` over `to`, cuts `to` to that length and flushes it.
int CopyWhole(int from, int to) {
    if (::lseek(to, 0, SEEK_SET) != 0) return errno;
    std::vector<char> buffer(1 << 20);
    off_t at = 0;
    int error = 0;
    for (;;) {
        ssize_t n = ::pread(from, buffer.data(), buffer.size(), at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) break;
        if (!CurrentIo.Write(to, std::string_view(buffer.data(), static_cast<size_t>(n)), error))
            return error;
        at += n;
    }
    return ::ftruncate(to, at) == 0 && ::fsync(to) == 0 ? 0 : errno;
}

// Writes `text` over the open file from its start, cuts the file to its length and flushes it.
// Room for the text is claimed first, so a full disk leaves the old text whole.
int Overwrite(int fd, std::string_view text) {
    const auto size = static_cast<off_t>(text.size());
#ifdef __linux__
    if (size > 0 && ::fallocate(fd, 0, 0, size) != 0 && (errno == ENOSPC || errno == EDQUOT))
        return errno;
#endif
    int error = 0;
    if (!CurrentIo.Write(fd, text, error)) return error;
    return ::ftruncate(fd, size) == 0 && ::fsync(fd) == 0 ? 0 : errno;
}

// The fallback when a new file would not do: the target itself is overwritten. Its old text is
// first copied to `backup` (the save's temporary file, open, locked and empty) and flushed, so
// that a crash at any moment leaves the target whole or the old text in the backup. A failed
// write puts the old text back; `keepBackup` tells when even that failed. Without a backup (a
// folder one may not write) the target is overwritten unguarded.
int WriteInPlace(const std::string& target, const struct stat& old, std::string_view text,
                 int backup, bool& keepBackup) {
    keepBackup = false;
    int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == EACCES) {  // who may write but not read has no old text to keep
        backup = -1;
        fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    }
    if (fd < 0) return errno;
    int error = backup >= 0 ? CopyWhole(fd, backup) : 0;
    const bool backedUp = backup >= 0 && !error;
    if (!error) error = Overwrite(fd, text);
    // A failure after the backup was made may have changed the target: the old text goes back.
    if (error && backedUp) keepBackup = CopyWhole(backup, fd) != 0;
    // Writing clears setuid and setgid; the owner may set them again.
    if ((old.st_mode & (S_ISUID | S_ISGID)) && old.st_uid == ::geteuid())
        ::fchmod(fd, old.st_mode & 07777);
    if (::close(fd) != 0 && !error) error = errno;
    return error;
}

// The file a save replaces, as found before the save.
struct Target {
    std::string Path;
    bool Exists = false;
    struct stat Status {};
    mode_t Mode = 0666;  // the saved file's
};

// Follows a link to the file it names, so that the link itself survives, and learns what is
// there. Returns the error that refuses the save: a link that leads nowhere or round in a loop
// (rather than replace it by a file), a folder, anything else that is no regular file, a file
// without write permission.
int Examine(Target& target) {
    struct stat link {};
    if (::lstat(target.Path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char* real = ::realpath(target.Path.c_str(), nullptr);
        if (!real) return errno;
        target.Path = real;
        std::free(real);
    }
    const struct stat& st = target.Status;
    target.Exists = ::stat(target.Path.c_str(), &target.Status) == 0;
    if (!target.Exists) {
        if (errno != ENOENT) return errno;
        mode_t mask = ::umask(0);
        ::umask(mask);
        target.Mode &= ~mask;
        return 0;
    }
    if (S_ISDIR(st.st_mode)) return EISDIR;
    // A FIFO or a device would take the text somewhere else, or wait for a reader.
    if (!S_ISREG(st.st_mode)) return ENOTSUP;
    // A file without write permission stays as it is, even for a user who could override.
    int probe = ::open(target.Path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (probe < 0) return errno;
    ::close(probe);
    if ((st.st_mode & 0222) == 0) return EACCES;
    target.Mode = st.st_mode & 07777;
    return 0;
}

#ifdef __linux__
// Copies the extended attributes of `target`, its access control list among them, to the new
// file. Those the saver may not set (file capabilities or security labels, for a user) are left
// off, as they would be on a copy the saver made.
int CopyAttributes(const std::string& target, int fd) {
    std::vector<char> names;
    for (;;) {
        ssize_t size = ::listxattr(target.c_str(), nullptr, 0);
        if (size < 0) return errno == ENOTSUP ? 0 : errno;
        names.resize(static_cast<size_t>(size));
        size = ::listxattr(target.c_str(), names.data(), names.size());
        if (size >= 0) {
            names.resize(static_cast<size_t>(size));
            break;
        }
        if (errno != ERANGE) return errno;  // ERANGE: one was added meanwhile
    }
    std::vector<char> value;
    for (size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
        const char* name = names.data() + at;
        ssize_t size = ::getxattr(target.c_str(), name, nullptr, 0);
        if (size >= 0) {
            value.resize(static_cast<size_t>(size));
            size = ::getxattr(target.c_str(), name, value.data(), value.size());
        }
        if (size < 0) {
            if (errno == ENODATA || errno == EACCES || errno == EPERM) continue;
            return errno;
        }
        if (::fsetxattr(fd, name, value.data(), static_cast<size_t>(size), 0) != 0 &&
            errno != EPERM && errno != EACCES && errno != ENOTSUP)
            return errno;
    }
    return 0;
}
#else
int CopyAttributes(const std::string&, int) {
    return 0;
}
#endif

// Fills the temporary file and renames it over the target: 0 or the error.
int WriteAndRename(int fd, const std::string& temp, const Target& target, std::string_view text) {
    int error = 0;
    if (!CurrentIo.Write(fd, text, error)) return error;
    if (target.Exists && (error = CopyAttributes(target.Path, fd)) != 0) return error;
    // The mode last: writing, and for a user a change of owner, clear setuid and setgid. The
    // system drops setgid where the saver may not set it, as chmod does.
    if (::fchmod(fd, target.Mode) != 0 || ::fsync(fd) != 0) return errno;
    // Renamed while still locked, so no other save takes the name in between.
    return ::rename(temp.c_str(), target.Path.c_str()) == 0 ? 0 : errno;
}

// One read without blocking for long: a FIFO whose writer keeps it open and writes nothing
// would otherwise hold the caller for good. Returns as ::read does; -1 with EAGAIN when
// nothing arrived within a moment.
ssize_t ReadNow(int fd, void* buffer, size_t count) {
    const int flags = ::fcntl(fd, F_GETFL);
    const bool blocking = flags != -1 && !(flags & O_NONBLOCK);
    if (blocking) ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    ssize_t n = ::read(fd, buffer, count);
    const int error = errno;
    if (blocking) ::fcntl(fd, F_SETFL, flags);
    if (n < 0 && (error == EAGAIN || error == EWOULDBLOCK)) {
        struct pollfd waiting {
            fd, POLLIN, 0
        };
        ::poll(&waiting, 1, 50);
    }
    errno = error == EWOULDBLOCK ? EAGAIN : error;
    return n;
}

}  // namespace

Io CurrentIo;

const int BadHandle = EBADF;

int OpenForReading(const std::filesystem::path& name, Handle& file) {
    int fd = OpenNow(name.native());
    if (fd < 0) return errno;
    file = fd;
    return 0;
}

// Every other errno is kept as it is.
int LoaderCode(int error, const std::filesystem::path& opened) {
    if (opened.empty()) return error == EISDIR ? 5 : error;
    switch (error) {
        case ENOENT:
            return FolderExists(opened.native()) ? 2 : 3;
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

std::string ErrorText(int error) {
    return std::strerror(error == TooLarge ? EFBIG : error);
}

Handle StandardInput() {
    return ::fcntl(STDIN_FILENO, F_GETFD) == -1 ? NoFile : STDIN_FILENO;
}

int SizeOf(Handle file, std::optional<uint64_t>& size) {
    int fd = static_cast<int>(file);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return errno;
    size.reset();
    if (S_ISREG(st.st_mode) && st.st_size > 0) size = static_cast<uint64_t>(st.st_size);
    if (S_ISBLK(st.st_mode)) {
        // A device reports its size only through its end.
        off_t end = ::lseek(fd, 0, SEEK_END);
        if (end < 0 || ::lseek(fd, 0, SEEK_SET) != 0) return errno;
        size = static_cast<uint64_t>(end);
    }
    return 0;
}

int64_t Read(Handle file, void* buffer, uint32_t count, int& error) {
    for (;;) {
        ssize_t n = ::read(static_cast<int>(file), buffer, count);
        if (n >= 0) return n;
        if (errno != EINTR) {
            error = errno;
            return -1;
        }
    }
}

int64_t ReadAvailable(Handle file, void* buffer, uint32_t count, int& error) {
    for (;;) {
        ssize_t n = ReadNow(static_cast<int>(file), buffer, count);
        if (n >= 0) return n;
        if (errno == EAGAIN) return NothingYet;
        if (errno != EINTR) {
            error = errno;
            return -1;
        }
    }
}

bool Write(Handle file, std::string_view text, int& error) {
    while (!text.empty()) {
        ssize_t n = ::write(static_cast<int>(file), text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            return false;
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

void Close(Handle file) {
    if (file != NoFile) ::close(static_cast<int>(file));
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

bool ReplaceWhole(const std::filesystem::path& name, std::string_view text,
                  std::string& errorText) {
    Target target{name.native()};
    int error = Examine(target);
    if (error) return Failed(errorText, error);
    const struct stat& st = target.Status;
    const std::string temp = TempName(target.Path);
    int fd = -1;
    error = OpenTemp(temp, fd);
    bool keepBackup = false;
    // A writable file in a folder one may not write is still saved, in place.
    if (error && target.Exists && (error == EACCES || error == EPERM)) {
        error = WriteInPlace(target.Path, st, text, -1, keepBackup);
        return error ? Failed(errorText, error) : true;
    }
    if (error == EWOULDBLOCK || error == EAGAIN) {  // the lock of another save
        errorText = Cp1251::FromPath(name) + " is being saved by another process";
        return false;
    }
    if (error) return Failed(errorText, error);
    // A new file would split the links of a file with several names, and could not keep the
    // owner or group that only its owner or root may give.
    struct stat made {};
    bool inPlace = target.Exists && (st.st_nlink > 1 || ::fstat(fd, &made) != 0 ||
                                     ((made.st_uid != st.st_uid || made.st_gid != st.st_gid) &&
                                      ::fchown(fd, st.st_uid, st.st_gid) != 0));
    if (inPlace) {
        ::fchmod(fd, 0600);  // a leftover may have had the mode of a new file
        error = WriteInPlace(target.Path, st, text, fd, keepBackup);
        if (!keepBackup) ::unlink(temp.c_str());
        ::close(fd);
        return error ? Failed(errorText, error) : true;
    }
    error = WriteAndRename(fd, temp, target, text);
    if (error) ::unlink(temp.c_str());
    if (::close(fd) != 0 && !error) error = errno;
    return error ? Failed(errorText, error) : true;
}

std::filesystem::path AbsolutePath(const std::filesystem::path& path) {
    std::error_code ec;
    auto absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal();
}

}  // namespace FileAccess
