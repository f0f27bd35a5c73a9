#include "platform/LockedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace tarvo {

namespace {

TWriteFaults gFaults;
int gSeekCalls = 0;
int gWriteCalls = 0;

// Opens a regular file without blocking on FIFOs or devices; -1 when it is anything else.
int OpenRegular(const std::string& path, int flags) {
    const int fd = open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
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

private:
    int FFd;
};

} // namespace

bool ReadFileHead(const std::string& path, std::size_t maxBytes, std::string& out) {
    FdGuard fd(OpenRegular(path, O_RDONLY));
    if (fd.Get() < 0 || flock(fd.Get(), LOCK_SH | LOCK_NB) != 0) {
        out.clear();
        return false;
    }
    // A buffer reused from call to call is not zero-filled again: only the bytes that
    // the read reports are kept.
    try {
        if (out.size() < maxBytes) out.resize(maxBytes);
    } catch (...) {
        out.clear();
        return false;
    }
    std::size_t got = 0;
    while (got < maxBytes) {
        const ssize_t n =
            pread(fd.Get(), out.data() + got, maxBytes - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            out.resize(got);
            return false;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    return true;
}

TWriteFile::TWriteFile(TWriteFile&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}

TWriteFile& TWriteFile::operator=(TWriteFile&& other) noexcept {
    if (this != &other) {
        Close();
        FFd = std::exchange(other.FFd, -1);
    }
    return *this;
}

TWriteFile::~TWriteFile() {
    Close();
}

bool MayWriteInPlace(const std::string& path) {
    struct stat st {};
    // Root may write any file; a file without a single write bit is read-only to us all the same.
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 &&
           faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool TWriteFile::Open(const std::string& path) {
    Close();
    if (!MayWriteInPlace(path)) return false;
    // Read access too: the bytes about to be overwritten are compared before writing.
    const int fd = OpenRegular(path, O_RDWR);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    FFd = fd;
    return true;
}

std::int64_t TWriteFile::Seek(std::int64_t offset) {
    if (FFd < 0) return -1;
    if (gSeekCalls++ == gFaults.FailSeekAt) return -1;
    return lseek(FFd, static_cast<off_t>(offset), SEEK_SET);
}

std::size_t TWriteFile::Write(const char* data, std::size_t length) {
    if (FFd < 0) return 0;
    if (gWriteCalls++ == gFaults.ShortWriteAt && length > 0) --length;
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = write(FFd, data + done, length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool TWriteFile::ReadAt(std::int64_t offset, std::size_t length, std::string& out) {
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

bool TWriteFile::Close() {
    if (FFd < 0) return true;
    // Closing the descriptor releases the lock with it.
    const bool ok = close(std::exchange(FFd, -1)) == 0;
    return ok;
}

void SetWriteFaults(const TWriteFaults& faults) {
    gFaults = faults;
    gSeekCalls = 0;
    gWriteCalls = 0;
}

} // namespace tarvo
