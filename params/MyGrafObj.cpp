// Reading a picture file's leading bytes into the two parameter blocks, and the load
// sequence. The file is read once; the chunk walk runs over the bytes in memory.
#include "params/MyGrafObj.h"

#include "params/BlockBytes.h"
#include "params/DatTypes.h"
#include "params/RiffWalk.h"
#include "platform/LockedFile.h"
#include "util/Bytes.h"
#include "util/MyStrUnit.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <span>

namespace tarvo {

std::array<std::uint8_t, 4> ChunkCrc(std::string_view type, std::string_view data) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib answers the initial value for a null buffer, which an empty view may hold.
    if (!type.empty()) crc = crc32_z(crc, reinterpret_cast<const Bytef*>(type.data()), type.size());
    if (!data.empty()) crc = crc32_z(crc, reinterpret_cast<const Bytef*>(data.data()), data.size());
    return {static_cast<std::uint8_t>(crc >> 24), static_cast<std::uint8_t>(crc >> 16),
            static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)};
}

void TMyGrafItem::Clear() {
    ChunkType = {};
    Kind = -1;
    Data.clear();
    Crc = {};
    CrcPos = 0;
    BlockOffset = 0;
    Values = {};
    TextStart = 0;
    TextEnd = 0;
    ChangeStart = 0;
    ChangeLength = 0;
    Marked = false;
    Text.clear();
    // Cleared, not replaced: the strings keep their storage for the next file.
    for (std::string& text : ValueTexts)
        text.clear();
    Compressed = false;
    Numbers = {};
    for (std::vector<TValuePos>& copies : Copies)
        copies.clear();
    Wide = 0;
    LoadedData.clear();
    LoadedCrc = {};
    CrcDamaged = false;
    Wiped = {};
}

TMyGraf::TMyGraf(bool wipeMode) : WipeMode(wipeMode) {
    Clear();
}

void TMyGraf::Clear() {
    FirstBlock.Clear();
    SecondBlock.Clear();
    Signature = {};
    FileKind = 0;
    Head = {};
    HeadOffset = 0;
    Format.clear();
    RawText.clear();
}

bool TMyGraf::Load(const std::string& path) {
    TReadFile file;
    if (ReadCheck = file.Open(path); !ReadCheck) {
        Clear();
        return false;
    }
    return Load(file);
}

template <typename TRead> bool TMyGraf::GuardedLoad(TRead read) {
    try {
        return FinishLoad(read());
    } catch (...) {
        // A load's one catch: memory running out while a hostile file's chunks are taken (a
        // run of large text chunks, JSON nested deep) leaves no parameters, as in a file
        // without any.
        Clear();
        return false;
    }
}

bool TMyGraf::Load(TReadFile& file) {
    return GuardedLoad([&] { return ReadFile(file); });
}

bool TMyGraf::LoadBytes(std::string_view bytes) {
    return GuardedLoad([&] { return ReadBytes(bytes); });
}

bool TMyGraf::FinishLoad(bool ok) {
    if (!ok && FileKind != 1 && !Head.empty()) ok = ParseHead();
    Head = {};
    if (ok && Format.empty()) Format = "tarvo";
    if (ok && WipeMode) return true;
    ok = BuildTexts();
    if (!ok) {
        // Text that no format claims is still shown; it holds no parameters.
        std::string raw = std::move(RawText);
        Clear();
        if (!raw.empty() && !WipeMode) {
            RawText = std::move(raw);
            Format = "text";
        }
    }
    return ok;
}

bool TMyGraf::ReadFile(TReadFile& file) {
    Clear();
    ReadCheck = {};
    if (!FBuffer.Bytes) FBuffer.Bytes = std::make_unique_for_overwrite<char[]>(ReadLimit);
    // A JPEG file needs its first HeadLimit bytes, a PNG file almost always fewer; only a
    // walk that runs out of them reads on to ReadLimit. A read error part-way leaves what
    // came before it, which is walked like a file that ends there.
    std::size_t got = 0;
    ReadCheck = file.ReadInto(0, std::span<char>(FBuffer.Bytes.get(), HeadLimit), got);
    if (!ReadCheck && got == 0) return false;
    const bool found = ReadBytes(std::string_view(FBuffer.Bytes.get(), got), got < HeadLimit);
    if (FileKind == 3 && ReadCheck && got == HeadLimit) {
        // A WebP keeps its EXIF chunk anywhere, mostly after the pixels: walk the file.
        TFileByteReader reader(file);
        return ReadWebp(reader);
    }
    std::size_t asked = HeadLimit;
    bool again = found;
    if (FileKind == 1 && FWalkCutShort && ReadCheck && got == HeadLimit) {
        asked = ReadLimit;
        ReadCheck = file.ReadInto(0, std::span<char>(FBuffer.Bytes.get(), ReadLimit), got);
        if (!ReadCheck && got == 0) {
            Clear();
            return false;
        }
        again = ReadBytes(std::string_view(FBuffer.Bytes.get(), got), got < ReadLimit);
    }
    // Other generators' text chunks may run past what was read: read them in the file.
    if (FileKind != 1 || again || !ReadCheck || got < asked) return again;
    TFileByteReader reader(file);
    return ReadForeign(reader);
}

bool TMyGraf::ReadBytes(std::string_view bytes, bool whole) {
    Clear();
    if (bytes.size() < SignatureSize) return false;
    std::copy_n(bytes.begin(), SignatureSize, Signature.begin());
    const std::string_view signature = bytes.substr(0, SignatureSize);
    if (signature == PngSignature) {
        FileKind = 1;
        FWalkCutShort = WalkChunks(bytes);
        for (TMyGrafItem* block : {&FirstBlock, &SecondBlock})
            (void)block->Parse();
        if (FirstBlock.HasParams() || SecondBlock.HasParams()) return true;
        if (!whole) return false;
        TMemoryReader reader(bytes);
        return ReadForeign(reader);
    }
    if (IsWebp(bytes)) {
        TMemoryReader reader(bytes);
        return ReadWebp(reader);
    }
    if (signature == JpegSignature) {
        FileKind = 2;
        if (bytes.size() >= static_cast<std::size_t>(HeadLimit)) Head = bytes.substr(0, HeadLimit);
    }
    return false;
}

bool TMyGraf::ReadWebp(TByteReader& bytes) {
    FileKind = 3;
    Head = {};
    TCachedReader file(bytes);
    std::int64_t at = -1;
    std::int64_t length = 0;
    (void)WalkRiff(file, [&](const TRiffChunk& chunk) {
        if (std::string_view(chunk.FourCC.data(), chunk.FourCC.size()) != "EXIF") return true;
        at = chunk.DataOffset;
        length = std::min<std::int64_t>(chunk.Length, HeadLimit);
        return false;
    });
    // Offsets in the file must stay ints once the block's own offsets are added.
    if (at < 0 || at > INT_MAX - HeadLimit) return false;
    FWebpHead.assign(file.View(at, static_cast<std::size_t>(length), 0));
    Head = FWebpHead;
    HeadOffset = static_cast<int>(at);
    return false;
}

bool TMyGraf::WalkChunks(std::string_view bytes) {
    const std::size_t size = bytes.size();
    std::size_t pos = SignatureSize;
    // Every chunk: length (4 bytes, big-endian), type (4), data, CRC (4). A field that the
    // bytes do not hold in full ends the walk, as a short read of the file would.
    while (pos < static_cast<std::size_t>(HeadLimit)) {
        if (size < pos + 4) return true;
        const std::uint32_t length = BigEndian(bytes, pos);
        if (length > static_cast<std::uint32_t>(HeadLimit)) break;
        if (size < pos + 8) return true;
        const std::string_view type = bytes.substr(pos + 4, 4);
        TMyGrafItem* block = nullptr;
        int kind = -1;
        if (StrSameText(type, SecondChunkType)) {
            block = &SecondBlock;
            kind = 1;
        } else if (StrSameText(type, FirstChunkType)) {
            block = &FirstBlock;
            kind = 0;
        }
        if (block != nullptr) {
            const std::size_t crcAt = pos + 8 + length;
            if (size < crcAt + 4) return true; // the block keeps what it held before
            block->Data.assign(bytes.substr(pos + 8, length));
            for (std::size_t i = 0; i < 4; ++i)
                block->Crc[i] = static_cast<std::uint8_t>(bytes[crcAt + i]);
            std::copy_n(type.begin(), 4, block->ChunkType.begin());
            block->Kind = kind;
            block->BlockOffset = static_cast<int>(pos);
            block->CrcPos = static_cast<int>(crcAt);
            block->CrcDamaged = ChunkCrc(type, block->Data) != block->Crc;
        }
        // Chunks of other types are skipped without looking at their data.
        pos += length + 12;
        if (FirstBlock.HasParams() && SecondBlock.HasParams()) break;
    }
    return false;
}

bool TMyGraf::ParseHead() {
    bool ok = FirstBlock.TakeHead(Head);
    if (ok) FirstBlock.BlockOffset += HeadOffset;
    if (!ok) ok = ReadForeignHead();
    Head = {};
    return ok;
}

bool TMyGraf::BuildTexts() {
    FirstBlock.BuildText();
    SecondBlock.BuildText();
    return !FirstBlock.Text.empty() || !SecondBlock.Text.empty();
}

} // namespace tarvo
