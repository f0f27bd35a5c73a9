#include "platform/LockedFile.h"

#include "platform/FileSys.h"
#include "util/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <utility>

namespace tarvo {

namespace {

TWriteFaults gFaults;
std::atomic<int> gWriteCalls = 0; // writers of a parallel folder run count together

// Opens the regular file name in the folder open as dirFd (AT_FDCWD: name is a path) without
// blocking on FIFOs or devices; -1 with the problem when it cannot be opened or is anything
// else. With O_NOFOLLOW in flags a symbolic link is refused as Link.
int OpenRegularAt(int dirFd, const std::string& name, int flags, TFileCheck& check) {
    const int fd = openat(dirFd, name.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        check = error == ENOENT                          ? TFileCheck{TFileProblem::Missing}
                : error == ELOOP && (flags & O_NOFOLLOW) ? TFileCheck{TFileProblem::Link}
                : error == EACCES || error == EPERM      ? TFileCheck{TFileProblem::Denied, error}
                                                    : TFileCheck{TFileProblem::CannotOpen, error};
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        check = {TFileProblem::NotRegular};
        return -1;
    }
    check = {TFileProblem::None, 0, static_cast<std::int64_t>(st.st_size)};
    return fd;
}

class FdGuard {
public:
    explicit FdGuard(int fd) : FFd(fd) {}
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    ~FdGuard() {
        if (FFd >= 0) close(FFd);
    }
    int Get() const { return FFd; }
    int Release() { return std::exchange(FFd, -1); }

private:
    int FFd;
};

// Takes, without blocking, an open-file-description record lock over the whole file, which
// conflicts with the lockf and fcntl locks of other programs and with our own writers'.
TFileCheck LockRecord(int fd, bool exclusive) {
    struct flock range {};
    range.l_type = exclusive ? F_WRLCK : F_RDLCK;
    range.l_whence = SEEK_SET; // l_start 0 and l_len 0: the whole file, however it grows
    if (fcntl(fd, F_OFD_SETLK, &range) == 0) return {};
    if (errno == EAGAIN || errno == EACCES) return {TFileProblem::Locked};
    // A file system without record locks has no record locks to respect.
    if (errno == ENOLCK || errno == EINVAL || errno == EOPNOTSUPP) return {};
    return {TFileProblem::CannotOpen, errno};
}

// Takes, without blocking, both kinds of lock that programs on Linux use: a flock lock and
// the record lock. Both are released when the descriptor is closed.
TFileCheck LockBoth(int fd, bool exclusive) {
    if (flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? TFileCheck{TFileProblem::Locked}
                                    : TFileCheck{TFileProblem::CannotOpen, errno};
    return LockRecord(fd, exclusive);
}

// Opens path for reading under a shared record lock; -1 with the problem when it cannot be.
// Our writers take both kinds of lock, so the record lock alone keeps a read from seeing
// one of their writes half done; a reader needs no flock.
int OpenShared(const std::string& path, TFileCheck& check) {
    FdGuard fd(OpenRegularAt(AT_FDCWD, path, O_RDONLY, check));
    if (fd.Get() < 0) return -1;
    const std::int64_t size = check.Size;
    check = LockRecord(fd.Get(), false);
    check.Size = size;
    return check ? fd.Release() : -1;
}

} // namespace

TFileCheck ReadFileHead(const std::string& path, std::span<char> buffer, std::size_t& got) {
    got = 0;
    TReadFile file;
    const TFileCheck check = file.Open(path);
    if (!check) return check;
    const TFileCheck read = file.ReadInto(0, buffer, got);
    return read ? check : TFileCheck{read.Problem, read.Error, check.Size};
}

TFileCheck ReadFileHead(const std::string& path, std::size_t maxBytes, std::string& out) {
    out.resize(maxBytes);
    std::size_t got = 0;
    const TFileCheck check = ReadFileHead(path, std::span<char>(out.data(), maxBytes), got);
    out.resize(got);
    return check;
}

TLockedFile::TLockedFile(TLockedFile&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}

TLockedFile& TLockedFile::operator=(TLockedFile&& other) noexcept {
    if (this != &other) {
        Close();
        FFd = std::exchange(other.FFd, -1);
    }
    return *this;
}

TLockedFile::~TLockedFile() {
    Close();
}

TFileCheck TReadFile::Open(const std::string& path) {
    Close();
    TFileCheck check;
    FFd = OpenShared(path, check);
    return check;
}

namespace {

// The folder of path opened for looking up its entries, and the entry's name: what a write
// that must not follow a link opens relative to. The folder itself is the user's choice and
// is followed.
struct TEntry {
    int DirFd = -1;
    std::string Name;
};

TFileCheck OpenEntry(const std::string& path, TEntry& entry) {
    const std::string folder = FolderPart(path);
    entry.Name = NamePart(path);
    entry.DirFd = open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (entry.DirFd >= 0) return {};
    return errno == ENOENT || errno == ENOTDIR ? TFileCheck{TFileProblem::Missing}
                                               : TFileCheck{TFileProblem::Unexaminable, errno};
}

// MayWriteInPlace for the entry name of the folder dirFd (AT_FDCWD: name is a path), a link
// followed or refused. askAccess: whether this process may open it for writing is asked
// too; an open that follows finds that out itself.
TFileCheck MayWriteAt(int dirFd, const std::string& name, bool followLinks, bool askAccess) {
    unsigned permissions = 0;
    const TFileCheck check = CheckEntry(dirFd, name, followLinks, permissions);
    if (!check) return check;
    // Root may write any file; a file without a single write bit is read-only to us all the same.
    if ((permissions & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return {TFileProblem::ReadOnly, 0, check.Size};
    if (askAccess && faccessat(dirFd, name.c_str(), W_OK, AT_EACCESS) != 0)
        return {TFileProblem::Denied, errno, check.Size};
    return check;
}

} // namespace

TFileCheck MayWriteInPlace(const std::string& path, bool followLinks) {
    if (followLinks) return MayWriteAt(AT_FDCWD, path, true, true);
    TEntry entry;
    const TFileCheck opened = OpenEntry(path, entry);
    FdGuard dir(entry.DirFd);
    return opened ? MayWriteAt(dir.Get(), entry.Name, false, true) : opened;
}

TFileCheck TWriteFile::Open(const std::string& path, bool followLinks) {
    Close();
    TEntry entry{AT_FDCWD, path};
    if (!followLinks) {
        if (const TFileCheck opened = OpenEntry(path, entry); !opened) return opened;
    }
    FdGuard dir(followLinks ? -1 : entry.DirFd);
    TFileCheck check = MayWriteAt(entry.DirFd, entry.Name, followLinks, false);
    if (!check) return check;
    // Read access too: the bytes about to be overwritten are compared before writing, and
    // read back after it. Without following, a link put in the file's place since the check
    // is refused by the open itself.
    const std::int64_t size = check.Size;
    const int fd =
        OpenRegularAt(entry.DirFd, entry.Name, O_RDWR | (followLinks ? 0 : O_NOFOLLOW), check);
    if (fd < 0) {
        // An open refused by permissions, a read-only file system or a running program is
        // the access check's Denied, with its errno.
        if ((check.Problem == TFileProblem::Denied || check.Problem == TFileProblem::CannotOpen) &&
            faccessat(entry.DirFd, entry.Name.c_str(), W_OK, AT_EACCESS) != 0)
            return {TFileProblem::Denied, errno, size};
        return check;
    }
    // Readers hold their shared locks for a few milliseconds (the window's own picture loader
    // among them, decoding ahead): a writer waits up to 200 ms for them to go before it calls
    // the file locked by another program.
    TFileCheck locked = LockBoth(fd, true);
    for (int tries = 0; locked.Problem == TFileProblem::Locked && tries < 25; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(8));
        locked = LockBoth(fd, true);
    }
    if (!locked) {
        close(fd);
        return locked;
    }
    FFd = fd;
    return check;
}

std::int64_t TWriteFile::WriteAt(std::int64_t offset, const char* data, std::size_t length) {
    if (FFd < 0 || offset < 0) return -1;
    const int call = gWriteCalls++;
    if (call == gFaults.FailWriteAt) return -1;
    if (call == gFaults.ShortWriteAt && length > 0) --length;
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = pwrite(FFd, data + done, length - done,
                                 static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && done == 0) return -1;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t TLockedFile::Size() const {
    struct stat st {};
    if (FFd < 0 || fstat(FFd, &st) != 0) return -1;
    return st.st_size;
}

TFileCheck TLockedFile::ReadInto(std::int64_t offset, std::span<char> buffer, std::size_t& got) {
    got = 0;
    if (FFd < 0) return {TFileProblem::CannotOpen, EBADF};
    while (got < buffer.size()) {
        const ssize_t n = pread(FFd, buffer.data() + got, buffer.size() - got,
                                static_cast<off_t>(offset + static_cast<std::int64_t>(got)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {TFileProblem::CannotOpen, errno};
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return {};
}

bool TLockedFile::ReadAt(std::int64_t offset, std::size_t length, std::string& out) {
    out.assign(length, '\0');
    std::size_t got = 0;
    while (FFd >= 0 && got < length) {
        const ssize_t n =
            pread(FFd, out.data() + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got == length;
}

bool TWriteFile::Sync() {
    if (FFd < 0 || gFaults.FailSync) return false;
    return fdatasync(FFd) == 0;
}

bool TLockedFile::Close() {
    if (FFd < 0) return true;
    // Closing the descriptor releases the locks with it.
    const bool ok = close(std::exchange(FFd, -1)) == 0;
    return ok;
}

void SetWriteFaults(const TWriteFaults& faults) {
    gFaults = faults;
    gWriteCalls = 0;
}

} // namespace tarvo
