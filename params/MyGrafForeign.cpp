// Reading the parameters that other generators write into a PNG's text chunks, for a file
// in which no Tarvo block was found: the web-UI text of the "parameters" chunk becomes a
// block of Kind 2 that marking and writing treat like any other; other text is raw text.
#include "params/BlockBytes.h"
#include "params/DatTypes.h"
#include "params/MyGrafObj.h"
#include "params/WebUiText.h"
#include "platform/TextCodec.h"

#include <zlib.h>

#include <algorithm>

namespace tarvo {

using detail::BigEndian32;

namespace {

// Compressed text is inflated to at most this many bytes for reading.
constexpr std::size_t InflateCap = std::size_t{1} << 20;

// A text chunk's parts: its keyword, where its text starts in the chunk's data, the text
// as stored, and whether that is compressed.
struct TTextChunk {
    std::string_view Keyword;
    std::size_t TextAt = 0;
    std::string_view Stored;
    bool Compressed = false;
};

// The parts of a tEXt, iTXt or zTXt chunk's data; false when its fields are cut short.
bool SplitTextChunk(std::string_view type, std::string_view data, TTextChunk& chunk) {
    const std::size_t nul = data.find('\0');
    if (nul == std::string_view::npos) return false;
    chunk.Keyword = data.substr(0, nul);
    std::size_t at = nul + 1;
    if (type == "zTXt") {
        chunk.Compressed = true;
        ++at; // compression method
    } else if (type == "iTXt") {
        if (at + 2 > data.size()) return false;
        chunk.Compressed = data[at] != '\0';
        at += 2; // flag and method
        for (int field = 0; field < 2; ++field) { // language, translated keyword
            at = data.find('\0', at);
            if (at == std::string_view::npos) return false;
            ++at;
        }
    }
    if (at > data.size()) return false;
    chunk.TextAt = at;
    chunk.Stored = data.substr(at);
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

std::string SpanText(std::string_view text, const TTextSpan& span) {
    return NarrowToUtf8(text.substr(span.Offset, span.Length));
}

} // namespace

bool TMyGraf::ReadForeign(std::string_view bytes) {
    FirstBlock.Clear();
    SecondBlock.Clear();
    RawText.clear();
    for (const std::size_t pos : FTextChunks) {
        const std::uint32_t length = BigEndian32(bytes, pos);
        const std::size_t crcAt = pos + 8 + length;
        if (crcAt + 4 > bytes.size()) continue; // the walk only saw its header
        const std::string_view type = bytes.substr(pos + 4, 4);
        const std::string_view data = bytes.substr(pos + 8, length);
        TTextChunk chunk;
        if (!SplitTextChunk(type, data, chunk)) continue;
        const std::string inflated = chunk.Compressed ? Inflate(chunk.Stored) : std::string();
        const std::string_view text = chunk.Compressed ? std::string_view(inflated) : chunk.Stored;
        if (!RawText.empty()) RawText += "\r\n\r\n";
        RawText += NarrowToUtf8(chunk.Keyword) + ": " + FlattenLines(NarrowToUtf8(text));
        if (chunk.Keyword != "parameters" || FirstBlock.HasParams()) continue;
        const std::optional<TWebUiText> webUi = ParseWebUiText(text);
        if (!webUi) continue;
        TMyGrafItem& block = FirstBlock;
        block.Kind = 2;
        std::copy_n(type.begin(), 4, block.ChunkType.begin());
        block.Data.assign(data);
        for (std::size_t i = 0; i < 4; ++i)
            block.Crc[i] = static_cast<std::uint8_t>(bytes[crcAt + i]);
        block.CrcPos = static_cast<int>(crcAt);
        block.BlockOffset = static_cast<int>(pos);
        block.CrcDamaged = ChunkCrc(type, block.Data) != block.Crc;
        block.Compressed = chunk.Compressed;
        block.TextStart = static_cast<int>(chunk.TextAt) + 1;
        block.TextEnd = static_cast<int>(data.size());
        const TTextSpan* spans[] = {nullptr, &webUi->Prompt, &webUi->NegPrompt, &webUi->Seed};
        for (std::size_t i = 1; i < 4; ++i) {
            block.ValueTexts[i] = SpanText(text, *spans[i]);
            // Compressed text has no place in the chunk's bytes to blank.
            if (!chunk.Compressed && spans[i]->Length > 0)
                block.Values[i] = {static_cast<int>(chunk.TextAt + spans[i]->Offset) + 1,
                                   static_cast<int>(spans[i]->Length)};
        }
        if (!WipeMode) block.Text = FlattenLines(NarrowToUtf8(text));
        Format = "a1111";
    }
    if (FirstBlock.HasParams()) RawText.clear();
    return FirstBlock.HasParams();
}

} // namespace tarvo
