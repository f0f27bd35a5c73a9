// Random read access to a picture file's bytes, from the open file or from memory, and a
// reader that keeps one window of them in memory, so that walks over a file's chunk headers
// cost a few reads however many chunks there are.
#pragma once

#include "platform/LockedFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvo {

class TByteReader {
public:
    virtual ~TByteReader() = default;
    // The file's size in bytes; -1 when unknown.
    virtual std::int64_t Size() const = 0;
    // Reads length bytes at offset into out; false when fewer came.
    virtual bool ReadAt(std::int64_t offset, std::size_t length, std::string& out) = 0;
};

// A file's bytes held in memory (tests, fuzzing).
class TMemoryReader : public TByteReader {
public:
    explicit TMemoryReader(std::string_view bytes) : FBytes(bytes) {}
    std::int64_t Size() const override { return static_cast<std::int64_t>(FBytes.size()); }
    bool ReadAt(std::int64_t offset, std::size_t length, std::string& out) override;

private:
    std::string_view FBytes;
};

// An open, locked file.
class TFileByteReader : public TByteReader {
public:
    explicit TFileByteReader(TLockedFile& file) : FFile(file) {}
    std::int64_t Size() const override { return FFile.Size(); }
    bool ReadAt(std::int64_t offset, std::size_t length, std::string& out) override {
        return FFile.ReadAt(offset, length, out);
    }

private:
    TLockedFile& FFile;
};

// Reads a file through one window of bytes kept in memory. The size is taken once, when the
// reader is made.
class TCachedReader {
public:
    // The least read when bytes are not yet in memory: headers close together cost one read.
    static constexpr std::size_t DefaultRead = 4096;

    explicit TCachedReader(TByteReader& file);

    std::int64_t Size() const { return FSize; }
    // The file is no longer what the reader began on: a read came short, or its size changed.
    bool Changed() const { return FShort || FFile.Size() != FSize; }

    // Up to length bytes at offset (fewer at the end of the file or after a failed read),
    // valid until the next call; a read that is needed takes at least least bytes.
    std::string_view View(std::int64_t offset, std::size_t length, std::size_t least = DefaultRead);

private:
    TByteReader& FFile;
    std::int64_t FSize;
    std::int64_t FStart = 0;
    std::string FBuffer;
    bool FShort = false;
};

} // namespace tarvo
