// Reading and in-place writing of a user's picture file. Reading takes a shared record
// lock; writing opens the existing file (never creating or truncating it) under exclusive
// locks of both kinds and refuses files without any write permission bit, even for root.
#pragma once

#include "platform/FileProblem.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tarvo {

// Reads up to maxBytes from the start of a regular file under a shared, non-blocking record
// lock (F_OFD_SETLK), which our writers' locks and other programs' lockf and fcntl locks
// keep out. A problem when the file is not a regular one (NotRegular, Missing), cannot be
// opened (Denied, CannotOpen), is locked, or a read fails (CannotOpen; out then holds what
// was read before the failure). out's storage is reused between calls; memory running out
// for it is thrown (std::bad_alloc).
[[nodiscard]] TFileCheck ReadFileHead(const std::string& path, std::size_t maxBytes,
                                      std::string& out);
// The same into buffer (up to its size, without filling it first); got is how many bytes
// were read.
[[nodiscard]] TFileCheck ReadFileHead(const std::string& path, std::span<char> buffer,
                                      std::size_t& got);

// The checks TWriteFile::Open makes before it opens, without opening: a regular file
// (CheckRegularFile's problems), with a write permission bit (ReadOnly otherwise, also for
// root), that this process may open for writing (Denied). Without followLinks a symbolic
// link at path is refused as Link, wherever it points.
TFileCheck MayWriteInPlace(const std::string& path, bool followLinks = true);

// An open file under locks, read at any place. Move-only; the destructor closes quietly.
class TLockedFile {
public:
    TLockedFile() = default;
    TLockedFile(TLockedFile&& other) noexcept;
    TLockedFile& operator=(TLockedFile&& other) noexcept;
    TLockedFile(const TLockedFile&) = delete;
    TLockedFile& operator=(const TLockedFile&) = delete;
    ~TLockedFile();

    bool IsOpen() const { return FFd >= 0; }
    // Reads up to buffer's size at offset (fewer at the end of the file); got is how many
    // bytes came. A problem (CannotOpen with the errno) when a read failed part-way.
    [[nodiscard]] TFileCheck ReadInto(std::int64_t offset, std::span<char> buffer,
                                      std::size_t& got);
    // Reads length bytes at offset; false when fewer came.
    [[nodiscard]] bool ReadAt(std::int64_t offset, std::size_t length, std::string& out);
    // The file's current size in bytes; -1 when it cannot be queried.
    std::int64_t Size() const;
    // Releases the locks and closes; false when the close reported an error.
    bool Close();

protected:
    int FFd = -1;
};

// An existing file opened for reading under ReadFileHead's shared lock.
class TReadFile : public TLockedFile {
public:
    // ReadFileHead's problems of opening; Size holds the file's size when the open succeeded
    // (from fstat on the open file, so it is this file's size, not an older entry's).
    [[nodiscard]] TFileCheck Open(const std::string& path);
};

// An existing file opened for in-place writing.
class TWriteFile : public TLockedFile {
public:
    // MayWriteInPlace's problems, CannotOpen when opening for reading and writing fails, and
    // Locked when another program holds a lock on it. Without followLinks the file is opened
    // relative to its folder with O_NOFOLLOW, so no symbolic link, not even one that replaced
    // the file after the checks, is ever written through (Link).
    [[nodiscard]] TFileCheck Open(const std::string& path, bool followLinks = true);
    // Writes length bytes at offset with one write call (more only when the kernel takes
    // fewer); answers how many were written, or -1 when nothing was (an invalid offset or a
    // failing first call).
    std::int64_t WriteAt(std::int64_t offset, const char* data, std::size_t length);
    // Makes the written data durable (fdatasync).
    [[nodiscard]] bool Sync();
};

// A test seam for the failures a disk can produce: the next matching calls of every
// TWriteFile fail as configured. Only tests set it; the default plan injects nothing.
struct TWriteFaults {
    int FailWriteAt = -1;  // 0-based index of the WriteAt call that writes nothing
    int ShortWriteAt = -1; // 0-based index of the WriteAt call that writes one byte less
    bool FailSync = false;
};
void SetWriteFaults(const TWriteFaults& faults);

} // namespace tarvo
