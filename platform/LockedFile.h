// Reading and in-place writing of a user's picture file. Reading takes a shared lock;
// writing opens the existing file write-only (never creating or truncating it) under an
// exclusive lock and refuses files without any write permission bit, even for root.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarvo {

// Reads up to maxBytes from the start of a regular file under a shared, non-blocking lock.
// False when the file cannot be opened or locked (a writer holds it) or a read fails;
// out then holds what was read before the failure. out's storage is reused between calls.
[[nodiscard]] bool ReadFileHead(const std::string& path, std::size_t maxBytes, std::string& out);

// Whether path is a regular file with a write permission bit that this process may open for
// writing; the checks TWriteFile::Open makes before it opens, without opening.
bool MayWriteInPlace(const std::string& path);

// An existing file opened for in-place writing. Move-only; the destructor closes quietly.
class TWriteFile {
public:
    TWriteFile() = default;
    TWriteFile(TWriteFile&& other) noexcept;
    TWriteFile& operator=(TWriteFile&& other) noexcept;
    TWriteFile(const TWriteFile&) = delete;
    TWriteFile& operator=(const TWriteFile&) = delete;
    ~TWriteFile();

    // False when path is not a regular file, has no write permission bit, cannot be
    // opened for writing or is locked by another process.
    [[nodiscard]] bool Open(const std::string& path);
    bool IsOpen() const { return FFd >= 0; }
    // Moves the file position to offset; answers the position reached (-1 on failure).
    std::int64_t Seek(std::int64_t offset);
    // Writes at the current position; answers how many bytes were written.
    std::size_t Write(const char* data, std::size_t length);
    // Reads length bytes at offset without moving the position; false when fewer came.
    [[nodiscard]] bool ReadAt(std::int64_t offset, std::size_t length, std::string& out);
    // Makes the written data durable (fdatasync).
    [[nodiscard]] bool Sync();
    // Releases the lock and closes; false when the close reported an error.
    bool Close();

private:
    int FFd = -1;
};

// A test seam for the failures a disk can produce: the next matching calls of every
// TWriteFile fail as configured. Only tests set it; the default plan injects nothing.
struct TWriteFaults {
    int FailSeekAt = -1;   // 0-based index of the Seek call that fails
    int ShortWriteAt = -1; // 0-based index of the Write call that writes one byte less
    bool FailSync = false;
};
void SetWriteFaults(const TWriteFaults& faults);

} // namespace tarvo
