// Reading the parameters that other generators write into a PNG's text chunks, for a file
// in which no Tarvo block was found: each format's chunks become blocks of Kind 2 that
// marking and writing treat like any other; text that no format claims is raw text.
#include "params/BlockBytes.h"
#include "params/ByteReader.h"
#include "params/DatTypes.h"
#include "params/JsonSpans.h"
#include "params/MyGrafObj.h"
#include "params/NodeGraph.h"
#include "params/WebUiText.h"
#include "platform/TextCodec.h"
#include "util/Bytes.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace tarvo {

using detail::MaxBlockData;

namespace {

// Compressed text is inflated to at most this many bytes for reading.
constexpr std::size_t InflateCap = std::size_t{1} << 20;

// Text chunks are read up to this size each.
constexpr std::uint32_t TextChunkCap = std::uint32_t{1} << 20;

// A text chunk read from the file: its offset and bytes, its keyword, where its text starts
// in its data, and the text inflated when it is stored compressed.
struct TTextChunk {
    std::int64_t Pos = 0;
    std::string Bytes; // length, type, data, CRC
    std::size_t KeywordLength = 0;
    std::size_t TextAt = 0; // in the data
    bool Compressed = false;
    std::string Inflated;

    std::string_view Type() const { return std::string_view(Bytes).substr(4, 4); }
    std::string_view Data() const { return std::string_view(Bytes).substr(8, Bytes.size() - 12); }
    std::string_view Keyword() const { return Data().substr(0, KeywordLength); }
    std::string_view Stored() const { return Data().substr(TextAt); }
    std::string_view Text() const { return Compressed ? std::string_view(Inflated) : Stored(); }
};

// Finds the keyword and the text of a tEXt, iTXt or zTXt chunk; false when its fields are
// cut short.
bool SplitTextChunk(TTextChunk& chunk) {
    const std::string_view data = chunk.Data();
    const std::size_t nul = data.find('\0');
    if (nul == std::string_view::npos) return false;
    chunk.KeywordLength = nul;
    std::size_t at = nul + 1;
    if (chunk.Type() == "zTXt") {
        chunk.Compressed = true;
        ++at; // compression method
    } else if (chunk.Type() == "iTXt") {
        if (at + 2 > data.size()) return false;
        chunk.Compressed = data[at] != '\0';
        at += 2;                                  // flag and method
        for (int field = 0; field < 2; ++field) { // language, translated keyword
            at = data.find('\0', at);
            if (at == std::string_view::npos) return false;
            ++at;
        }
    }
    if (at > data.size()) return false;
    chunk.TextAt = at;
    return true;
}

// The inflated text, cut at InflateCap; what a damaged stream gave before its damage.
std::string Inflate(std::string_view input) {
    std::string out;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return out;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(input.size(), UINT32_MAX));
    out.resize(std::min<std::size_t>(InflateCap, std::max<std::size_t>(4 * input.size(), 4096)));
    std::size_t produced = 0;
    for (;;) {
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        stream.avail_out = static_cast<uInt>(out.size() - produced);
        const int status = inflate(&stream, Z_NO_FLUSH);
        produced = out.size() - stream.avail_out;
        if (status != Z_OK || out.size() >= InflateCap) break;
        if (stream.avail_out == 0) out.resize(std::min(InflateCap, 2 * out.size()));
    }
    inflateEnd(&stream);
    out.resize(produced);
    return out;
}

std::string Inflate(std::string_view input);

// The text chunks of a PNG before its pixel data, where generators write them, each up to
// TextChunkCap bytes; read through a window, so a few reads cover them all.
std::vector<TTextChunk> ReadTextChunks(TByteReader& bytes) {
    TCachedReader file(bytes);
    std::vector<TTextChunk> chunks;
    std::int64_t pos = SignatureSize;
    while (pos + 12 <= file.Size()) {
        const std::string_view header = file.View(pos, 8);
        if (header.size() < 8) break;
        const std::uint32_t length = BigEndian(header, 0);
        const std::string_view type = header.substr(4, 4);
        if (type == "IDAT" || type == "IEND") break;
        const std::int64_t next = pos + 12 + static_cast<std::int64_t>(length);
        if ((type == "tEXt" || type == "iTXt" || type == "zTXt") && length <= TextChunkCap) {
            TTextChunk chunk;
            chunk.Pos = pos;
            chunk.Bytes.assign(file.View(pos, 12 + std::size_t{length}, 0));
            if (chunk.Bytes.size() < 12 + std::size_t{length}) break; // the file ends first
            if (SplitTextChunk(chunk)) {
                if (chunk.Compressed) chunk.Inflated = Inflate(chunk.Stored());
                chunks.push_back(std::move(chunk));
            }
        }
        pos = next;
    }
    return chunks;
}

const TTextChunk* FindChunk(const std::vector<TTextChunk>& chunks, std::string_view keyword) {
    for (const TTextChunk& chunk : chunks)
        if (chunk.Keyword() == keyword) return &chunk;
    return nullptr;
}

// block holds chunk, to be blanked value by value (Kind 2); its text is the chunk's, JSON
// laid out for reading.
void TakeChunk(TMyGrafItem& block, const TTextChunk& chunk, bool json = false) {
    block.Kind = 2;
    std::copy_n(chunk.Type().begin(), 4, block.ChunkType.begin());
    block.Data.assign(chunk.Data());
    const std::string_view crc = std::string_view(chunk.Bytes).substr(chunk.Bytes.size() - 4);
    for (std::size_t i = 0; i < 4; ++i)
        block.Crc[i] = static_cast<std::uint8_t>(crc[i]);
    block.BlockOffset = static_cast<int>(chunk.Pos);
    block.CrcPos = static_cast<int>(chunk.Pos + 8 + static_cast<std::int64_t>(block.Data.size()));
    block.CrcDamaged = ChunkCrc(chunk.Type(), block.Data) != block.Crc;
    block.Compressed = chunk.Compressed;
    block.TextStart = static_cast<int>(chunk.TextAt) + 1;
    block.TextEnd = static_cast<int>(block.Data.size());
    block.Text = FlattenLines(NarrowToUtf8(json ? PrettyJson(chunk.Text()) : chunk.Text()));
}

// Value i of block stands at span of its chunk's text and says text. Compressed text has no
// place in the chunk's bytes to blank.
void SetValue(TMyGrafItem& block, const TTextChunk& chunk, std::size_t i, const TTextSpan& span,
              std::string_view text, bool number = false) {
    block.ValueTexts[i] = NarrowToUtf8(text);
    block.Numbers[i] = number;
    if (!chunk.Compressed && span.Length > 0)
        block.Values[i] = {static_cast<int>(chunk.TextAt + span.Offset) + 1,
                           static_cast<int>(span.Length)};
}

// Sets value i of block from a JSON value; a text also stands wherever the chunk's JSON holds
// the same string again (a node repeated, a copy kept for the editor), and every such place
// is blanked with it.
void SetJsonValue(TMyGrafItem& block, const TTextChunk& chunk, std::size_t i,
                  const std::optional<TJsonValue>& value) {
    if (!value) return;
    SetValue(block, chunk, i, value->Span, value->Text, value->Number);
    if (value->Number || value->Text.empty() || chunk.Compressed) return;
    for (const TTextSpan& span : JsonStringsEqual(chunk.Text(), value->Text))
        if (span.Offset != value->Span.Offset)
            block.Copies[i].push_back(
                {static_cast<int>(chunk.TextAt + span.Offset) + 1, static_cast<int>(span.Length)});
}

// The web-UI text of the "parameters" chunk.
bool ReadWebUi(const std::vector<TTextChunk>& chunks, TMyGrafItem& first, TMyGrafItem&) {
    const TTextChunk* chunk = FindChunk(chunks, "parameters");
    if (chunk == nullptr) return false;
    const std::string_view text = chunk->Text();
    const std::optional<TWebUiText> found = ParseWebUiText(text);
    if (!found) return false;
    TakeChunk(first, *chunk);
    const TTextSpan* spans[] = {nullptr, &found->Prompt, &found->NegPrompt, &found->Seed};
    for (std::size_t i = 1; i < 4; ++i)
        SetValue(first, *chunk, i, *spans[i], text.substr(spans[i]->Offset, spans[i]->Length));
    return true;
}

// JSON in the "Comment" chunk (prompt, uc, seed), and the prompt again as the whole text of
// the "Description" chunk.
bool ReadNovelAi(const std::vector<TTextChunk>& chunks, TMyGrafItem& first, TMyGrafItem& second) {
    const TTextChunk* comment = FindChunk(chunks, "Comment");
    if (comment == nullptr) return false;
    const std::optional<TJsonValue> prompt = JsonMember(comment->Text(), {"prompt"});
    const std::optional<TJsonValue> uc = JsonMember(comment->Text(), {"uc"});
    const std::optional<TJsonValue> seed = JsonMember(comment->Text(), {"seed"});
    if (!prompt || prompt->Number || (!uc && !seed)) return false;
    TakeChunk(first, *comment, true);
    SetJsonValue(first, *comment, 1, prompt);
    SetJsonValue(first, *comment, 2, uc);
    SetJsonValue(first, *comment, 3, seed);
    if (const TTextChunk* description = FindChunk(chunks, "Description")) {
        TakeChunk(second, *description);
        const std::string_view text = description->Text();
        SetValue(second, *description, 1, {0, text.size()}, text);
    }
    return true;
}

// JSON in the "invokeai_metadata" chunk, or in older files in "sd-metadata" (image.prompt).
bool ReadInvokeAi(const std::vector<TTextChunk>& chunks, TMyGrafItem& first, TMyGrafItem&) {
    if (const TTextChunk* chunk = FindChunk(chunks, "invokeai_metadata")) {
        const std::optional<TJsonValue> prompt = JsonMember(chunk->Text(), {"positive_prompt"});
        if (!prompt || prompt->Number) return false;
        TakeChunk(first, *chunk, true);
        SetJsonValue(first, *chunk, 1, prompt);
        SetJsonValue(first, *chunk, 2, JsonMember(chunk->Text(), {"negative_prompt"}));
        SetJsonValue(first, *chunk, 3, JsonMember(chunk->Text(), {"seed"}));
        return true;
    }
    const TTextChunk* chunk = FindChunk(chunks, "sd-metadata");
    if (chunk == nullptr) return false;
    const std::optional<TJsonValue> prompt = JsonMember(chunk->Text(), {"image", "prompt"});
    if (!prompt || prompt->Number) return false;
    TakeChunk(first, *chunk, true);
    SetJsonValue(first, *chunk, 1, prompt);
    SetJsonValue(first, *chunk, 3, JsonMember(chunk->Text(), {"image", "seed"}));
    return true;
}

// A node graph in the "prompt" chunk: the texts of the nodes that the first sampler's
// positive and negative inputs lead to, and its seed; the same values again in the editor's
// "workflow" chunk, blanked together.
bool ReadComfyUi(const std::vector<TTextChunk>& chunks, TMyGrafItem& first, TMyGrafItem& second) {
    const TTextChunk* prompt = FindChunk(chunks, "prompt");
    if (prompt == nullptr) return false;
    const std::string_view graph = prompt->Text();
    const std::optional<TGraphNodes> nodes = FindGraphNodes(graph);
    if (!nodes) return false;
    const std::string ids[] = {{}, nodes->Positive, nodes->Negative, nodes->Sampler};
    std::optional<TJsonValue> values[4];
    values[1] = JsonMember(graph, {std::string_view(ids[1]), "inputs", "text"});
    if (!values[1] || values[1]->Number) return false;
    if (!ids[2].empty())
        values[2] = JsonMember(graph, {std::string_view(ids[2]), "inputs", "text"});
    if (!nodes->SeedInput.empty())
        values[3] = JsonMember(
            graph, {std::string_view(ids[3]), "inputs", std::string_view(nodes->SeedInput)});
    TakeChunk(first, *prompt, true);
    for (std::size_t i = 1; i < 4; ++i)
        SetJsonValue(first, *prompt, i, values[i]);
    const TTextChunk* workflow = FindChunk(chunks, "workflow");
    for (std::size_t i = 1; i < 4 && workflow != nullptr; ++i) {
        if (!values[i]) continue;
        // A text anywhere in the workflow, a seed in the sampler's node only (other numbers
        // may equal it by chance).
        std::optional<TJsonValue> copy;
        if (values[i]->Number) {
            copy = WorkflowCopy(workflow->Text(), ids[i], *values[i]);
        } else if (const std::vector<TTextSpan> same =
                       JsonStringsEqual(workflow->Text(), values[i]->Text);
                   !same.empty()) {
            copy = TJsonValue{same.front(), false, values[i]->Text};
        }
        if (!copy) continue;
        if (!second.HasParams()) TakeChunk(second, *workflow, true);
        SetJsonValue(second, *workflow, i, copy);
    }
    return true;
}

struct TForeignReader {
    const char* Format;
    bool (*Read)(const std::vector<TTextChunk>& chunks, TMyGrafItem& first, TMyGrafItem& second);
};

constexpr TForeignReader Readers[] = {
    {"a1111", ReadWebUi},
    {"comfyui", ReadComfyUi},
    {"novelai", ReadNovelAi},
    {"invokeai", ReadInvokeAi},
};

} // namespace

bool TMyGraf::ReadForeign(TByteReader& bytes) {
    FirstBlock.Clear();
    SecondBlock.Clear();
    RawText.clear();
    Format.clear();
    const std::vector<TTextChunk> chunks = ReadTextChunks(bytes);
    for (const TTextChunk& chunk : chunks) {
        if (!RawText.empty()) RawText += "\r\n\r\n";
        RawText += NarrowToUtf8(chunk.Keyword()) + ": " + FlattenLines(NarrowToUtf8(chunk.Text()));
    }
    for (const TForeignReader& reader : Readers) {
        if (!reader.Read(chunks, FirstBlock, SecondBlock)) {
            FirstBlock.Clear();
            SecondBlock.Clear();
            continue;
        }
        if (WipeMode) { // wipe mode builds no display texts
            FirstBlock.Text.clear();
            SecondBlock.Text.clear();
        }
        Format = reader.Format;
        RawText.clear();
        return true;
    }
    return false;
}

bool TMyGraf::ReadForeignHead() {
    FirstBlock.Clear();
    const std::string_view head = Head;
    // The UserComment's character code, then its text up to its first NUL.
    const std::size_t unicode = head.find(std::string_view("UNICODE\0", 8));
    const std::size_t ascii = head.find(std::string_view("ASCII\0\0\0", 8));
    const bool wide = unicode < ascii;
    const std::size_t at = std::min(unicode, ascii);
    if (at == std::string_view::npos) return false;
    const std::size_t textAt = at + 8;
    std::string_view data = head.substr(textAt);
    // One byte a code unit for the parser: ASCII as it is, anything else a byte above it.
    std::string narrow;
    bool bigEndian = false;
    if (wide) {
        std::size_t evenZeros = 0;
        std::size_t oddZeros = 0;
        for (std::size_t i = 0; i + 1 < data.size() && i < 512; i += 2) {
            evenZeros += data[i] == '\0';
            oddZeros += data[i + 1] == '\0';
        }
        bigEndian = evenZeros > oddZeros;
        std::size_t units = 0;
        for (; 2 * units + 1 < data.size(); ++units) {
            const auto high = static_cast<unsigned char>(data[2 * units + (bigEndian ? 0 : 1)]);
            const auto low = static_cast<unsigned char>(data[2 * units + (bigEndian ? 1 : 0)]);
            if (high == 0 && low == 0) break;
            narrow.push_back(high == 0 && low < 0x80 ? static_cast<char>(low) : '\x80');
        }
        data = data.substr(0, 2 * units);
    } else {
        data = data.substr(0, std::min(data.size(), data.find('\0')));
        narrow.assign(data);
    }
    const std::optional<TWebUiText> found = ParseWebUiText(narrow);
    if (!found || data.size() > MaxBlockData) return false;
    const std::size_t unit = wide ? 2 : 1;
    // The text as UTF-8: UTF-16 is read little-endian, so big-endian units are turned first.
    const auto utf8 = [&](std::size_t from, std::size_t length) {
        std::string bytes(data.substr(unit * from, unit * length));
        if (!wide) return NarrowToUtf8(bytes);
        if (bigEndian)
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
                std::swap(bytes[i], bytes[i + 1]);
        return WideToNarrow(bytes);
    };
    TMyGrafItem& block = FirstBlock;
    block.Kind = 2;
    block.Wide = wide ? (bigEndian ? 2 : 1) : 0;
    block.Data.assign(data);
    block.BlockOffset = HeadOffset + static_cast<int>(textAt);
    block.TextStart = 1;
    block.TextEnd = static_cast<int>(data.size());
    const TTextSpan* spans[] = {nullptr, &found->Prompt, &found->NegPrompt, &found->Seed};
    for (std::size_t i = 1; i < 4; ++i) {
        block.ValueTexts[i] = utf8(spans[i]->Offset, spans[i]->Length);
        if (spans[i]->Length > 0)
            block.Values[i] = {static_cast<int>(unit * spans[i]->Offset) + 1,
                               static_cast<int>(unit * spans[i]->Length)};
    }
    if (!WipeMode) block.Text = FlattenLines(utf8(0, narrow.size()));
    Format = "a1111";
    return true;
}

} // namespace tarvo
