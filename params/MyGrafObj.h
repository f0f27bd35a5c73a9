// The parameter container of one picture file: finds the two Tarvo parameter blocks (the
// UTF-16 eXIf/JPEG block and the 8-bit GenInfo tEXt block) in the file's leading bytes,
// parses them into located values and display texts, and blanks chosen values in place.
#pragma once

#include "params/Leftovers.h"
#include "platform/FileProblem.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

class TReadFile;
class TWriteFile;

// A value located in a block's Data: 1-based byte offset and length in bytes; (0, 0) = none.
struct TValuePos {
    int Offset = 0;
    int Length = 0;
    bool operator==(const TValuePos&) const = default;
};

// One line of the UTF-16 block. Key holds the low bytes of its code units; Value starts at the
// byte after the colon and ends before the line feed; Next is where the following line starts.
struct TWideLine {
    bool Ok = false;
    std::string Key;
    TValuePos Value;
    int Next = 0;
};

// One line of the 8-bit block ("key": value). Without a line Found is false, Key is empty and
// Next is the position the search started from (FindKey: 0).
struct TKeyLine {
    bool Found = false;
    std::string Key;
    TValuePos Value;
    int Next = 0;
};

// Chunk CRC of the PNG format over the 4 type bytes and the data, most significant byte first.
std::array<std::uint8_t, 4> ChunkCrc(std::string_view type, std::string_view data);

// The UTF-16 line (key, colon, value, line feed) starting at byte p of data; !Ok when malformed.
TWideLine NextWideLine(std::string_view data, int p);
// End of a folded value that begins " >" at v and whose first line ends at the line feed e:
// the byte position of the line feed that ends the value, 0 when it is not found.
int FoldedEnd(std::string_view data, int v, int e);
// The next 8-bit key line at or after position p of text.
TKeyLine NextKeyLine(std::string_view text, int p);
// The first key line at or after p whose key equals name ignoring case. On failure Next is 0
// and Value is (0, 0); a search from p = 0 finds nothing.
TKeyLine FindKey(std::string_view text, std::string_view name, int p);
// Leading and trailing blanks dropped; every line feed becomes CR LF.
std::string FlattenLines(std::string_view text);
// The value of a "key: value" line of a display text (the line must start with the key,
// spaces aside); empty when absent, blank or "''".
std::string LookupValue(std::string_view text, std::string_view key);

// How WriteMarked ended.
enum class TWriteResult {
    Written,        // every marked block was written, read back and found right
    NotOpened,      // nothing written: the file could not be opened for writing, or its
                    // bytes changed since they were loaded (Problem says which)
    NothingWritten, // the first write failed before it wrote a byte; the file is untouched
    PartlyWritten,  // a write came up short or failed after writing began, a block did not
                    // read back as written, or the sync or close failed
};
struct TWriteOutcome {
    TWriteResult Result = TWriteResult::NotOpened;
    TFileCheck Problem;                          // why it was not opened
    std::vector<TLeftover> Leftovers;            // after Written: copies of the wiped values left
    TSearchEnd SearchEnd = TSearchEnd::Complete; // after Written: how far the search went
};

// One parameter block. Positions in Data are 1-based bytes, also for UTF-16 data.
class TMyGrafItem {
public:
    TMyGrafItem() { Clear(); }

    std::array<char, 4> ChunkType{}; // as stored in the file; zero for a JPEG block
    // -1 no block, 0 UTF-16 block, 1 8-bit block, 2 another generator's text chunk (Data is
    // the chunk's data; Values are where its values stand, ValueTexts what they say).
    int Kind = -1;
    std::string Data;                  // PNG: chunk data; JPEG: the text cut from the head
    std::array<std::uint8_t, 4> Crc{}; // PNG: the stored CRC, most significant byte first
    int CrcPos = 0;                    // PNG: file offset of the CRC field; 0: no CRC to write
    int BlockOffset = 0;               // PNG: file offset of the chunk; JPEG: of Data's first byte
    std::array<TValuePos, 4> Values{}; // JobId, prompt, negative_prompt, seed
    int TextStart = 0;
    int TextEnd = 0;
    int ChangeStart = 0; // 1-based offset in Data of the first byte changed by marking
    int ChangeLength = 0;
    bool Marked = false;
    std::string Text; // display text, UTF-8
    // Data and Crc as they were before marking changed them; WriteMarked compares the file
    // with these before it writes.
    std::string LoadedData;
    std::array<std::uint8_t, 4> LoadedCrc{};
    // PNG: the stored CRC did not match the chunk as read (an interrupted writer, a damaged
    // file). A wipe then writes a correct CRC, also when it blanks nothing in the chunk.
    bool CrcDamaged = false;
    // Which of the four values marking blanked, in the order of Values.
    std::array<bool, 4> Wiped{};
    // Kind 2: the values as text (UTF-8), in the order of Values; and whether the chunk's
    // text is compressed, so that it cannot be blanked in place.
    std::array<std::string, 4> ValueTexts{};
    bool Compressed = false;
    // Kind 2: the value is a JSON number, blanked as "0" and spaces so the JSON stays valid.
    std::array<bool, 4> Numbers{};
    // Kind 2: further places of the same values in Data (a text repeated in a JSON).
    std::array<std::vector<TValuePos>, 4> Copies{};
    // Kind 2: Data is UTF-16 text (an EXIF UserComment), blanked a code unit at a time;
    // 1 little-endian, 2 big-endian, 0 bytes.
    int Wide = 0;

    void Clear();
    bool HasParams() const { return !Data.empty() && Kind >= 0; }
    // Marking left something for WriteMarked to write: blanked values or a CRC to repair.
    bool ToWrite() const { return Marked || CrcDamaged; }

    // Checks the block's format and locates its text; false clears the block.
    [[nodiscard]] bool Parse();
    // Locates the UTF-16 text and the four values in data (Data, or a JPEG head).
    [[nodiscard]] bool ParseWide(std::string_view data);
    // First block of a JPEG file: cuts the parameter text out of the file's head.
    [[nodiscard]] bool TakeHead(std::string_view head);
    [[nodiscard]] bool CheckGenInfo();

    void BuildText();
    std::string WideText() const;
    std::string NarrowText() const;
    // The prompt of the first block, UTF-8, trimmed; empty when absent.
    std::string GetPrompt() const;
    // The value of key in the first block's display text; empty for the second block.
    std::string GetValue(std::string_view key) const;

    // Blank the values chosen by the wipe flags; true when at least one was blanked.
    [[nodiscard]] bool MarkWide();
    [[nodiscard]] bool MarkNarrow();
    // Kind 2: fills each chosen value's bytes with spaces (a JSON number's with 0 and spaces).
    [[nodiscard]] bool MarkSpans();
    // Kind 2: a chosen value is not blank (also in a compressed chunk, which marking leaves
    // alone).
    bool HasChosenValue() const;
    // Blank one value in place; on success the record holds the blanked range.
    [[nodiscard]] bool BlankWide(TValuePos& value);
    [[nodiscard]] bool BlankNarrow(TValuePos& value);

private:
    void KeepLoaded();
    // Widens the changed span (ChangeStart, ChangeLength) over blanked value i; sets Marked.
    void AddChange(int i, const TValuePos& value);
    // After marking: recomputes a PNG block's CRC when anything was blanked or the stored
    // one was wrong; answers blanked.
    bool FinishMark(bool blanked);
};

// The parameter container of one picture file.
class TMyGraf {
public:
    explicit TMyGraf(bool wipeMode);

    std::array<char, 8> Signature{};
    std::uint8_t FileKind = 0; // 0 none, 1 PNG signature, 2 JPEG signature, 3 WebP
    TMyGrafItem FirstBlock;    // UTF-16 block
    TMyGrafItem SecondBlock;   // 8-bit block
    // During a load: a JPEG file's first 20000 bytes, or the payload of a WebP file's first
    // EXIF chunk (at most 20000 bytes), and the file offset of its first byte. A JPEG's head
    // is a view of the bytes given to ReadBytes, which the caller keeps until the load ends;
    // a WebP's payload is the container's own copy.
    std::string_view Head;
    int HeadOffset = 0;
    const bool WipeMode; // loads build no display texts
    // WriteMarked makes its change durable before it answers (a folder run turns this off
    // and syncs the file system once at its end).
    bool SyncWrites = true;
    // WriteMarked writes through a symbolic link at the path; a folder run turns this off, and
    // a link is then refused (Link) wherever it points.
    bool FollowLinks = true;
    // Asked during the search for leftover copies after a write; none by default.
    TSearchStop StopSearch = nullptr;
    // How the last ReadFile opened the file (a problem: it was not read, or not wholly).
    // Not part of the container's content: Clear leaves it.
    TFileCheck ReadCheck;
    // The format of the parameters found: "tarvo", or another generator's ("a1111") in
    // FirstBlock (Kind 2); "text" when no format was recognised but text chunks were, whose
    // keywords and texts RawText then holds (kept by a failed load); empty otherwise.
    std::string Format;
    std::string RawText;

    void Clear();
    // Reads and parses the file; true when parameters were found (outside wipe mode: when a
    // display text resulted). On false the container is empty. The loads, Mark and
    // WriteMarked never throw: each turns a failure into its answer.
    [[nodiscard]] bool Load(const std::string& path);
    // The same from a file the caller opened (ReadCheck: how its reads went).
    [[nodiscard]] bool Load(TReadFile& file);
    // Load from the file's bytes already in memory.
    [[nodiscard]] bool LoadBytes(std::string_view bytes);
    // The steps of a load. Unlike the loads above, they let memory running out through
    // (std::bad_alloc); a load catches it, empties the container and answers false.
    // Reads the file's leading bytes and walks its chunks; true when a PNG block holds
    // parameters. A JPEG or WebP file answers false and leaves its head in Head.
    [[nodiscard]] bool ReadFile(TReadFile& file);
    // whole: bytes are the whole file, so a PNG's text chunks of other generators are read
    // from them; otherwise that is left to the caller, which has the file.
    [[nodiscard]] bool ReadBytes(std::string_view bytes, bool whole = true);
    [[nodiscard]] bool ParseHead();
    [[nodiscard]] bool BuildTexts();

    // Blanks the chosen values in memory and prepares the repair of damaged PNG CRCs; false
    // (container cleared) when there is nothing to write.
    [[nodiscard]] bool Mark();
    // Writes each marked block with one write: a PNG chunk from its first changed byte
    // through its CRC field, a JPEG block's changed span. Then reads the blocks back, checks
    // them and their CRCs, and searches the whole file for leftover copies of the wiped
    // values.
    [[nodiscard]] TWriteOutcome WriteMarked(const std::string& path);

private:
    // Runs read (ReadFile or ReadBytes), then FinishLoad; what escapes them is caught here.
    template <typename TRead> bool GuardedLoad(TRead read);
    bool FinishLoad(bool ok);
    // Walks a WebP file's chunks and keeps its first EXIF payload in Head; false.
    bool ReadWebp(TByteReader& bytes);
    // A PNG without Tarvo blocks: its text chunks before the pixel data read as another
    // generator's parameters (true, blocks of Kind 2), or as raw text (false).
    bool ReadForeign(TByteReader& bytes);
    // A JPEG or WebP head without a Tarvo block: web-UI text in its EXIF UserComment.
    bool ReadForeignHead();

    // Walks the chunks; true when a chunk's fields ran past the end of bytes (a longer read
    // of the file could walk on).
    bool WalkChunks(std::string_view bytes);
    // The wiped values' texts as loaded, for the search of leftover copies.
    std::vector<TNeedle> WipedNeedles() const;
    // The file spans of the values that marking blanked.
    std::vector<TFileSpan> BlankedSpans() const;
    // WriteMarked's work on the opened, locked file; wrote: a byte may have been written.
    void WriteOpenFile(TWriteFile& file, TWriteOutcome& outcome, bool& wrote);
    // ReadLimit bytes, reused from file to file; a copy of the container starts without one.
    struct TReadBuffer {
        std::unique_ptr<char[]> Bytes;
        TReadBuffer() = default;
        TReadBuffer(const TReadBuffer&) {}
        TReadBuffer& operator=(const TReadBuffer&) { return *this; }
    } FBuffer;
    bool FWalkCutShort = false; // the last PNG walk ran out of bytes
    std::string FWebpHead;      // a WebP's EXIF payload, which Head views
};

} // namespace tarvo
