// Wiping: blanking the chosen values of both blocks in memory, and writing the changed spans
// and chunk CRCs back into the file in place, each block with one write, then proving it.
#include "params/BlockBytes.h"
#include "params/DatTypes.h"
#include "params/MyGrafObj.h"
#include "platform/LockedFile.h"
#include "platform/TextCodec.h"
#include "util/MyStrUnit.h"

#include <algorithm>
#include <cerrno>

namespace tarvo {

using detail::ByteAt;
using detail::Fits;
using detail::Length;

namespace {

constexpr std::uint16_t WideSpace = 0x0020;

// The bytes a block occupies in the file when its data and CRC are data and crc, and their
// file offset: a PNG block's whole chunk (length, type, data, CRC), a JPEG block's text.
// False when the block's fields do not describe a span inside its data.
bool BlockBytes(const TMyGrafItem& block, const std::string& data,
                const std::array<std::uint8_t, 4>& crc, std::string& bytes, std::int64_t& at) {
    const int len = Length(block.Data);
    if (!Fits(block.Data) || data.size() != block.Data.size()) return false;
    if (block.Marked && (block.ChangeStart < 1 || block.ChangeLength < 0 ||
                         block.ChangeStart - 1 > len - block.ChangeLength))
        return false;
    if (block.BlockOffset < 0) return false;
    at = block.BlockOffset;
    if (block.CrcPos == 0) {
        bytes = data;
        return true;
    }
    if (static_cast<std::int64_t>(block.CrcPos) !=
        static_cast<std::int64_t>(block.BlockOffset) + 8 + len)
        return false;
    bytes.clear();
    bytes.reserve(data.size() + 12);
    const auto size = static_cast<std::uint32_t>(len);
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<char>(size >> shift));
    bytes.append(block.ChunkType.data(), block.ChunkType.size());
    bytes += data;
    for (const std::uint8_t b : crc)
        bytes.push_back(static_cast<char>(b));
    return true;
}

// The one span of the file that writing a block changes, from the first changed byte: a
// PNG block's through its CRC field (just the CRC when only that is repaired), a JPEG
// block's changed text. Offsets between the changed bytes hold the bytes as loaded, which
// the caller has found unchanged in the file.
std::string_view ChangedSpan(const TMyGrafItem& block, const std::string& chunk, std::int64_t& at) {
    const int first = block.Marked ? block.ChangeStart : Length(block.Data) + 1;
    if (block.CrcPos == 0) {
        at = block.BlockOffset + (first - 1);
        return std::string_view(chunk).substr(static_cast<std::size_t>(first - 1),
                                              static_cast<std::size_t>(block.ChangeLength));
    }
    const std::size_t from = 8 + static_cast<std::size_t>(first - 1);
    at = block.BlockOffset + static_cast<std::int64_t>(from);
    return std::string_view(chunk).substr(from);
}

// A value's text as a reader would find it elsewhere: trimmed, a folded value's lines joined
// by spaces, surrounding quotes dropped.
std::string ValueText(std::string text) {
    StrTrim(text);
    if (!text.empty() && text[0] == '>') {
        const std::size_t lf = text.find('\n');
        std::string joined;
        std::size_t from = lf == std::string::npos ? text.size() : lf + 1;
        while (from < text.size()) {
            std::size_t end = text.find('\n', from);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(from, end - from);
            StrTrim(line);
            if (!line.empty()) joined += (joined.empty() ? "" : " ") + line;
            from = end + 1;
        }
        text = std::move(joined);
    }
    if (text.size() >= 2 && (text.front() == '\'' || text.front() == '"') &&
        text.back() == text.front())
        text = text.substr(1, text.size() - 2);
    return text;
}

} // namespace

void TMyGrafItem::KeepLoaded() {
    if (Marked) return; // an earlier marking already kept the bytes as loaded
    LoadedData = Data;
    LoadedCrc = Crc;
}

void TMyGrafItem::AddChange(int i, const TValuePos& value) {
    Wiped[static_cast<std::size_t>(i)] = true;
    const int first = Marked ? std::min(ChangeStart, value.Offset) : value.Offset;
    const int last = Marked ? std::max(ChangeStart + ChangeLength, value.Offset + value.Length)
                            : value.Offset + value.Length;
    Marked = true;
    ChangeStart = first;
    ChangeLength = last - first;
}

bool TMyGrafItem::FinishMark(bool blanked) {
    if ((blanked || CrcDamaged) && CrcPos != 0)
        Crc = ChunkCrc(std::string_view(ChunkType.data(), ChunkType.size()), Data);
    return blanked;
}

bool TMyGrafItem::MarkWide() {
    if (!HasParams() || !Fits(Data)) return false;
    KeepLoaded();
    bool blanked = false;
    for (int i = 0; i < ParamCount; ++i) {
        TValuePos& value = Values[static_cast<std::size_t>(i)];
        if (!WipeChoice(i) || value.Length == 0 || !BlankWide(value)) continue;
        AddChange(i, value);
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
        AddChange(i, value);
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

bool TMyGrafItem::MarkSpans() {
    if (!HasParams() || !Fits(Data)) return false;
    KeepLoaded();
    bool blanked = false;
    const int len = Length(Data);
    // Blanks value i's span; false when it is blank already or does not fit the data.
    const auto blankSpan = [&](int i, const TValuePos& value) {
        if (value.Length <= 0 || value.Offset < 1 || value.Offset - 1 > len - value.Length)
            return false;
        const auto from = Data.begin() + (value.Offset - 1);
        if (Wide != 0) { // UTF-16 spaces in the text's byte order
            const std::string space = Wide == 1 ? std::string(" \0", 2) : std::string("\0 ", 2);
            bool blank = true;
            for (int at = 0; at + 1 < value.Length; at += 2)
                blank = blank && std::equal(space.begin(), space.end(), from + at);
            if (blank) return false;
            for (int at = 0; at + 1 < value.Length; at += 2)
                std::copy(space.begin(), space.end(), from + at);
        } else {
            // A JSON number becomes 0 and spaces, so that the JSON stays valid.
            const bool number = Numbers[static_cast<std::size_t>(i)];
            const auto blank = [](char c) { return c == ' '; };
            if (std::all_of(from + (number ? 1 : 0), from + value.Length, blank) &&
                (!number || *from == '0'))
                return false;
            std::fill_n(from, value.Length, ' ');
            if (number) *from = '0';
        }
        AddChange(i, value);
        return true;
    };
    // Compressed text has no value to blank in place, but a damaged CRC is still repaired.
    for (int i = 0; i < ParamCount && !Compressed; ++i) {
        if (!WipeChoice(i)) continue;
        const auto k = static_cast<std::size_t>(i);
        blanked = blankSpan(i, Values[k]) || blanked;
        for (const TValuePos& copy : Copies[k])
            blanked = blankSpan(i, copy) || blanked;
    }
    return FinishMark(blanked);
}

bool TMyGrafItem::HasChosenValue() const {
    for (int i = 0; i < ParamCount; ++i) {
        std::string text = ValueTexts[static_cast<std::size_t>(i)];
        StrTrim(text);
        if (WipeChoice(i) && !text.empty()) return true;
    }
    return false;
}

bool TMyGraf::Mark() {
    try {
        // Other generators' chunks (Kind 2) may stand in either block.
        (void)(FirstBlock.Kind == 2 ? FirstBlock.MarkSpans() : FirstBlock.MarkWide());
        (void)(SecondBlock.Kind == 2 ? SecondBlock.MarkSpans() : SecondBlock.MarkNarrow());
        if (FirstBlock.ToWrite() || SecondBlock.ToWrite()) return true;
    } catch (...) {
        // Marking's one catch: memory running out while a block's data are copied leaves
        // nothing marked, so nothing is written.
    }
    Clear();
    return false;
}

std::vector<TNeedle> TMyGraf::WipedNeedles() const {
    std::vector<TNeedle> needles;
    for (const TMyGrafItem* block : {&FirstBlock, &SecondBlock}) {
        for (std::size_t i = 0; i < ParamNames.size(); ++i) {
            if (!block->Wiped[i]) continue;
            const std::string_view raw =
                detail::Slice(block->LoadedData, block->Values[i].Offset, block->Values[i].Length);
            // Other generators' values were decoded when they were read (JSON escapes, UTF-16
            // of either byte order).
            std::string text = block->Kind == 2   ? block->ValueTexts[i]
                               : block->Kind == 0 ? WideToNarrow(raw)
                                                  : NarrowToUtf8(raw);
            needles.push_back({std::string(ParamNames[i]), ValueText(std::move(text))});
        }
    }
    return needles;
}

std::vector<TFileSpan> TMyGraf::BlankedSpans() const {
    std::vector<TFileSpan> spans;
    for (const TMyGrafItem* block : {&FirstBlock, &SecondBlock}) {
        const std::int64_t data = block->BlockOffset + (block->CrcPos != 0 ? 8 : 0);
        for (std::size_t i = 0; i < ParamNames.size(); ++i) {
            if (!block->Wiped[i]) continue;
            spans.push_back({data + block->Values[i].Offset - 1, block->Values[i].Length});
            for (const TValuePos& copy : block->Copies[i])
                spans.push_back({data + copy.Offset - 1, copy.Length});
        }
    }
    return spans;
}

TWriteOutcome TMyGraf::WriteMarked(const std::string& path) {
    TWriteOutcome outcome;
    if (!FirstBlock.ToWrite() && !SecondBlock.ToWrite()) return outcome; // nothing marked
    TWriteFile file;
    outcome.Problem = file.Open(path, FollowLinks);
    if (!outcome.Problem) return outcome;
    bool wrote = false;
    try {
        WriteOpenFile(file, outcome, wrote);
    } catch (...) {
        // The write's one catch, the only place that knows whether a byte went out: memory
        // running out before the first write left the file untouched, after it the file
        // may be partly changed.
        outcome.Leftovers.clear();
        if (wrote)
            outcome.Result = TWriteResult::PartlyWritten;
        else
            outcome = {TWriteResult::NotOpened, {TFileProblem::CannotOpen, ENOMEM}, {}};
    }
    if (!file.Close() && outcome.Result == TWriteResult::Written)
        outcome.Result = TWriteResult::PartlyWritten;
    return outcome;
}

void TMyGraf::WriteOpenFile(TWriteFile& file, TWriteOutcome& outcome, bool& wrote) {
    TMyGrafItem* const blocks[] = {&FirstBlock, &SecondBlock};
    // The file may have been rewritten since it was loaded (the user can take minutes to
    // confirm): write nothing unless it still holds every block to write as it was read.
    // What each block will hold once written is kept for the writing and the check after it.
    std::string written[2];
    std::string actual;
    for (std::size_t k = 0; k < 2; ++k) {
        const TMyGrafItem& block = *blocks[k];
        if (!block.ToWrite()) continue;
        std::string expected;
        std::int64_t at = 0;
        if (!BlockBytes(block, block.LoadedData, block.LoadedCrc, expected, at) ||
            !file.ReadAt(at, expected.size(), actual) || actual != expected ||
            !BlockBytes(block, block.Data, block.Crc, written[k], at)) {
            outcome.Problem = {TFileProblem::Changed};
            return;
        }
    }

    // Each block goes out in one write, so that a process killed at any instant leaves a
    // chunk either as it was or wiped with its new CRC.
    for (std::size_t k = 0; k < 2; ++k) {
        if (!blocks[k]->ToWrite()) continue;
        std::int64_t at = 0;
        const std::string_view span = ChangedSpan(*blocks[k], written[k], at);
        const std::int64_t n = file.WriteAt(at, span.data(), span.size());
        if (n > 0) wrote = true;
        if (n != static_cast<std::int64_t>(span.size())) {
            outcome.Result = wrote ? TWriteResult::PartlyWritten : TWriteResult::NothingWritten;
            return;
        }
    }
    outcome.Result = TWriteResult::Written;
    // Proof of the write: every written block reads back as intended, its CRC right.
    for (std::size_t k = 0; k < 2; ++k) {
        const TMyGrafItem& block = *blocks[k];
        if (!block.ToWrite()) continue;
        bool right =
            file.ReadAt(block.BlockOffset, written[k].size(), actual) && actual == written[k];
        if (right && block.CrcPos != 0) {
            const std::string_view chunk(actual);
            const auto crc = ChunkCrc(chunk.substr(4, 4), chunk.substr(8, block.Data.size()));
            right = chunk.substr(8 + block.Data.size()) ==
                    std::string_view(reinterpret_cast<const char*>(crc.data()), crc.size());
        }
        if (!right) outcome.Result = TWriteResult::PartlyWritten;
    }
    // Data that did not reach the disk were not written.
    if (outcome.Result == TWriteResult::Written && SyncWrites && !file.Sync())
        outcome.Result = TWriteResult::PartlyWritten;
    if (outcome.Result != TWriteResult::Written) return;
    TFileByteReader reader(file);
    TLeftoverSearch search = FindLeftovers(reader, WipedNeedles(), BlankedSpans(), StopSearch);
    outcome.Leftovers = std::move(search.Copies);
    outcome.SearchEnd = search.End;
}

} // namespace tarvo
