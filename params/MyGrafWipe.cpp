// Wiping: blanking the chosen values of both blocks in memory, and writing the changed spans
// and chunk CRCs back into the file in place.
#include "params/BlockBytes.h"
#include "params/DatTypes.h"
#include "params/MyGrafObj.h"
#include "platform/LockedFile.h"
#include "util/MyStrUnit.h"

#include <algorithm>

namespace tarvo {

using detail::ByteAt;
using detail::Fits;
using detail::Length;

namespace {

constexpr std::uint16_t WideSpace = 0x0020;

// The bytes the file must still hold where a marked block was read, and their file offset:
// a PNG block's whole chunk (length, type, data, CRC), a JPEG block's text. False when the
// block's fields do not describe a span inside its data.
bool LoadedBytes(const TMyGrafItem& block, std::string& bytes, std::int64_t& at) {
    const int len = Length(block.Data);
    if (!Fits(block.Data) || block.LoadedData.size() != block.Data.size()) return false;
    if (block.ChangeStart < 1 || block.ChangeLength < 0 ||
        block.ChangeStart - 1 > len - block.ChangeLength || block.BlockOffset < 0)
        return false;
    at = block.BlockOffset;
    if (block.CrcPos == 0) {
        bytes = block.LoadedData;
        return true;
    }
    if (static_cast<std::int64_t>(block.CrcPos) !=
        static_cast<std::int64_t>(block.BlockOffset) + 8 + len)
        return false;
    bytes.clear();
    bytes.reserve(block.Data.size() + 12);
    const auto size = static_cast<std::uint32_t>(len);
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<char>(size >> shift));
    bytes.append(block.ChunkType.data(), block.ChunkType.size());
    bytes += block.LoadedData;
    for (const std::uint8_t b : block.LoadedCrc)
        bytes.push_back(static_cast<char>(b));
    return true;
}

} // namespace

void TMyGrafItem::KeepLoaded() {
    if (Marked) return; // an earlier marking already kept the bytes as loaded
    LoadedData = Data;
    LoadedCrc = Crc;
}

void TMyGrafItem::AddChange(const TValuePos& value) {
    const int first = Marked ? std::min(ChangeStart, value.Offset) : value.Offset;
    const int last = Marked ? std::max(ChangeStart + ChangeLength, value.Offset + value.Length)
                            : value.Offset + value.Length;
    Marked = true;
    ChangeStart = first;
    ChangeLength = last - first;
}

bool TMyGrafItem::FinishMark(bool blanked) {
    if (!blanked) return false;
    if (CrcPos != 0) Crc = ChunkCrc(std::string_view(ChunkType.data(), ChunkType.size()), Data);
    return true;
}

bool TMyGrafItem::MarkWide() {
    if (!HasParams() || !Fits(Data)) return false;
    KeepLoaded();
    bool blanked = false;
    for (int i = 0; i < ParamCount; ++i) {
        TValuePos& value = Values[static_cast<std::size_t>(i)];
        if (!WipeChoice(i) || value.Length == 0 || !BlankWide(value)) continue;
        AddChange(value);
        blanked = true;
    }
    return FinishMark(blanked);
}

bool TMyGrafItem::BlankWide(TValuePos& value) {
    const int len = Length(Data);
    int offset = value.Offset;
    int length = value.Length;
    if (!Fits(Data) || offset < 1 || offset > len || length <= 0) return false;
    length = std::min(length, len - offset + 1);
    const int n = WideCountLeading(Data, offset, WideSpace, length / 2);
    if (n > 0) {
        offset += 2 * n;
        length -= 2 * n;
        if (length <= 0) return false; // already blank
    }
    // Two apostrophes: the empty string of this format.
    if (length == 4 && ByteAt(Data, offset) == '\'' && ByteAt(Data, offset + 2) == '\'')
        return false;
    if (length / 2 == 0) return false; // a lone byte is no code unit to blank
    WideFill(Data, offset, WideSpace, length / 2);
    value = {offset, length};
    return true;
}

bool TMyGrafItem::MarkNarrow() {
    if (!HasParams() || !Fits(Data)) return false;
    KeepLoaded();
    bool blanked = false;
    // One search position for all names: a name is found only after the previous found one.
    int p = 1;
    for (int i = 0; i < ParamCount; ++i) {
        if (!WipeChoice(i) || p <= 0) continue;
        const TKeyLine line = FindKey(Data, ParamNames[static_cast<std::size_t>(i)], p);
        p = line.Next;
        if (!line.Found) continue;
        TValuePos& value = Values[static_cast<std::size_t>(i)];
        value = line.Value;
        if (!BlankNarrow(value)) continue;
        AddChange(value);
        blanked = true;
    }
    return FinishMark(blanked);
}

bool TMyGrafItem::BlankNarrow(TValuePos& value) {
    const int len = Length(Data);
    int length = value.Length;
    if (!Fits(Data) || length <= 0 || value.Offset < 1 || value.Offset > len) return false;
    length = std::min(length, len - value.Offset + 1);
    int start = value.Offset;
    int end = start + length - 1;
    int n = StrCountLeading(Data, start, ' ', length);
    start += n;
    length -= n;
    if (length <= 0) return false;
    if (ByteAt(Data, end) == ',') {
        --end;
        --length;
        if (length <= 0) return false;
    }
    if (ByteAt(Data, start) == '"' && ByteAt(Data, end) == '"') {
        ++start;
        --end;
        length -= 2;
        if (length <= 0) return false;
    }
    n = StrCountLeading(Data, start, ' ', length);
    start += n;
    length -= n;
    if (length <= 0) return false;
    std::fill_n(Data.begin() + (start - 1), length, ' ');
    value = {start, length};
    return true;
}

bool TMyGraf::Mark() {
    try {
        (void)FirstBlock.MarkWide();
        (void)SecondBlock.MarkNarrow();
        if (FirstBlock.Marked || SecondBlock.Marked) return true;
    } catch (...) {
    }
    Clear();
    return false;
}

bool TMyGraf::WriteMarked(const std::string& path, std::uint8_t& code) {
    TWriteFile file;
    if (!file.Open(path)) return false;
    TMyGrafItem* const blocks[] = {&FirstBlock, &SecondBlock};

    // The file may have been rewritten since it was loaded (the user can take minutes to
    // confirm): write nothing unless it still holds every marked block as it was read.
    try {
        std::string expected;
        std::string actual;
        for (const TMyGrafItem* block : blocks) {
            if (!block->Marked) continue;
            std::int64_t at = 0;
            if (!LoadedBytes(*block, expected, at) || !file.ReadAt(at, expected.size(), actual) ||
                actual != expected) {
                file.Close();
                return false;
            }
        }
    } catch (...) {
        file.Close();
        return false;
    }

    int w = 0;
    bool wrote = false;
    try {
        for (const TMyGrafItem* block : blocks) {
            if (!block->Marked || w != 0) continue;
            // A PNG block's data begin 8 bytes after its chunk offset.
            const std::int64_t base =
                std::int64_t{block->BlockOffset} - 1 + (block->CrcPos != 0 ? 8 : 0);
            const std::int64_t target = base + block->ChangeStart;
            if (file.Seek(target) != target) {
                w = wrote ? 2 : 1;
                continue;
            }
            wrote = true;
            const auto length = static_cast<std::size_t>(block->ChangeLength);
            if (file.Write(block->Data.data() + (block->ChangeStart - 1), length) != length) w = 2;
            if (w == 0 && block->CrcPos != 0) {
                const char crc[4] = {
                    static_cast<char>(block->Crc[0]), static_cast<char>(block->Crc[1]),
                    static_cast<char>(block->Crc[2]), static_cast<char>(block->Crc[3])};
                if (file.Seek(block->CrcPos) != block->CrcPos || file.Write(crc, 4) != 4) w = 2;
            }
        }
    } catch (...) {
        if (wrote) w = 2;
    }
    // Data that did not reach the disk were not written.
    if (wrote && w == 0 && SyncWrites && !file.Sync()) w = 2;
    if (!file.Close() && wrote && w == 0) w = 2;
    code = static_cast<std::uint8_t>(code + w);
    return wrote && w == 0;
}

} // namespace tarvo
