// Parsing of the two parameter blocks: locating the text and the values, and the texts
// derived from them for display.
#include "params/BlockBytes.h"
#include "params/DatTypes.h"
#include "params/MyGrafObj.h"
#include "platform/TextCodec.h"
#include "util/MyStrUnit.h"

#include <algorithm>

namespace tarvo {

using detail::ByteAt;
using detail::Fits;
using detail::Length;
using detail::Slice;
using detail::UnitAt;

namespace {

constexpr std::uint16_t WideLf = '\n';
constexpr std::uint16_t WideColon = ':';

// Appends text with every line feed turned into CR LF (a CR already before it stays).
void AppendWithCrLf(std::string& out, std::string_view text) {
    out.reserve(out.size() + text.size() + text.size() / 16 + 16);
    std::size_t from = 0;
    for (;;) {
        const std::size_t lf = text.find('\n', from);
        if (lf == std::string_view::npos) break;
        out.append(text.substr(from, lf - from));
        out.append("\r\n");
        from = lf + 1;
    }
    out.append(text.substr(from));
}

// Blanks the quotes and comma of values that a wipe filled with spaces, so the display shows
// blanks only. text has CR LF line ends; only text changes, never the block's data.
void BlankEmptiedPunctuation(std::string& text) {
    int p = 1;
    for (const std::string_view name : ParamNames) {
        const TKeyLine line = FindKey(text, name, p);
        if (!line.Found) return;
        p = line.Next;
        // The value without its last byte, the CR before the line feed.
        int start = line.Value.Offset;
        int length = line.Value.Length - 1;
        int end = start + length - 1;
        if (length <= 0) continue;
        int n = StrCountLeading(text, start, ' ', length);
        start += n;
        length -= n;
        if (length <= 0) continue;
        int comma = 0;
        if (ByteAt(text, end) == ',') {
            comma = end;
            --end;
            --length;
            if (length <= 0) {
                text[static_cast<std::size_t>(comma - 1)] = ' ';
                continue;
            }
        }
        int quote = 0;
        if (ByteAt(text, start) == '"' && ByteAt(text, end) == '"') {
            quote = start;
            ++start;
            length -= 2; // end stays on the closing quote
            if (length <= 0) continue;
        }
        n = StrCountLeading(text, start, ' ', length);
        length -= n;
        if (length > 0 || quote == 0) continue;
        if (comma > 0) text[static_cast<std::size_t>(comma - 1)] = ' ';
        text[static_cast<std::size_t>(quote - 1)] = ' ';
        text[static_cast<std::size_t>(end - 1)] = ' ';
    }
}

bool IsAscii(std::string_view text) {
    unsigned char any = 0;
    for (const char c : text)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

} // namespace

TWideLine NextWideLine(std::string_view data, int p) {
    TWideLine line;
    line.Next = p;
    if (!Fits(data) || p < 1 || p >= Length(data)) return line;
    const int cp = WideCharPos(data, WideColon, p, ColonWindow);
    if (cp == 0) return line;
    const int k = p + 2 * WideCountBlank(data, p, (cp - p) / 2);
    if (k + 2 >= cp) return line; // a key needs at least two code units
    std::string key;
    key.reserve(static_cast<std::size_t>((cp - k) / 2));
    for (int i = k; i < cp; i += 2)
        key.push_back(static_cast<char>(ByteAt(data, i)));
    const int v = cp + 2;
    int e = WideCharPos(data, WideLf, v, LineLimit);
    if (e == 0) {
        e = Length(data) + 1;
    } else if (e - v > 3 && ByteAt(data, v) == ' ' && ByteAt(data, v + 2) == '>') {
        e = FoldedEnd(data, v, e);
        if (e == 0) return line;
    }
    if (e >= LineLimit) return line;
    line.Next = e + 2;
    if ((e - v) % 2 != 0) return line;
    line.Ok = true;
    line.Key = std::move(key);
    line.Value = {v, e - v};
    return line;
}

int FoldedEnd(std::string_view data, int v, int e) {
    if (!Fits(data) || v < 1 || e < v) return 0;
    const int len = Length(data);
    const int style = UnitAt(data, v + 4);
    const bool strip = style == '-';
    const bool keep = style == '+';
    int q = (strip || keep) ? e + 6 : e + 4;
    if (!strip && !keep) return WideCharPos(data, WideLf, q, LineLimit);

    while (q + 2 < len && UnitAt(data, q + 2) == WideLf)
        q += 2;
    const int s = q;
    for (;;) {
        const int window = LineLimit - (q - s);
        if (window <= 0) return 0;
        q = WideCharPos(data, WideLf, q, window);
        if (q == 0) return 0;
        if (strip) {
            if (q + 2 < len && UnitAt(data, q + 2) != WideLf) return q;
            if (q + 2 >= len) return 0;
            while (q + 2 < len && UnitAt(data, q) == WideLf)
                q += 2;
        } else {
            if (q + 2 >= len) return 0;
            if (UnitAt(data, q + 2) != WideLf) {
                q += 2;
                continue;
            }
            while (q + 2 < len && UnitAt(data, q + 2) == WideLf)
                q += 2;
            if (WideCharPos(data, WideColon, q, ColonWindow) != 0) return q;
        }
    }
}

TKeyLine NextKeyLine(std::string_view text, int p) {
    TKeyLine line;
    line.Next = p;
    if (!Fits(text) || p < 1 || p >= Length(text)) return line;
    const int a = StrCharPos('"', text, p);
    if (a == 0) return line;
    const int n = StrPosFrom("\":", text, a + 1);
    if (n == 0) return line;
    const int keyLength = n - 1 - a;
    if (keyLength < 1 || keyLength > KeyMaxLength) return line;
    const int v = n + 2;
    const int lf = StrCharPos('\n', text, v);
    if (lf == 0) return line;
    line.Found = true;
    line.Key = std::string(Slice(text, a + 1, keyLength));
    line.Value = {v, lf - v};
    line.Next = lf + 1;
    return line;
}

TKeyLine FindKey(std::string_view text, std::string_view name, int p) {
    while (p > 0) {
        TKeyLine line = NextKeyLine(text, p);
        if (!line.Found) break;
        if (line.Next <= p) break; // cannot happen; guards the loop
        p = line.Next;
        if (StrSameText(line.Key, name)) return line;
    }
    return TKeyLine{};
}

std::string FlattenLines(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    std::string out;
    AppendWithCrLf(out, text.substr(begin, end - begin));
    return out;
}

std::string LookupValue(std::string_view text, std::string_view key) {
    if (!Fits(text)) return {};
    std::string pattern(key);
    pattern += ": ";
    const int patternLength = Length(pattern);
    int from = 1;
    int at = 0;
    for (;;) {
        const int o = StrPosTextFrom(pattern, text, from);
        if (o == 0) return {};
        if (o == 1) {
            at = o;
            break;
        }
        int j = o - 1;
        while (j > 1 && ByteAt(text, j) == ' ')
            --j;
        if (ByteAt(text, j) == '\n') {
            at = o;
            break;
        }
        from = o + patternLength;
    }
    int v = at + patternLength;
    int e = StrCharPos('\n', text, v);
    if (e > 1 && ByteAt(text, e - 1) == '\r') --e;
    if (e == 0) e = Length(text) + 1;
    if (e - v <= 0) return {};
    while (v < e && ByteAt(text, v) == ' ')
        ++v;
    if (v >= e) return {};
    std::string value(Slice(text, v, e - v));
    StrTrimRight(value);
    if (value == "''") return {};
    return value;
}

bool TMyGrafItem::Parse() {
    bool ok = false;
    if (HasParams() && Fits(Data)) {
        if (Kind == 0)
            ok = ParseWide(Data);
        else if (Kind == 1)
            ok = CheckGenInfo();
    }
    if (!ok) Clear();
    return ok;
}

bool TMyGrafItem::ParseWide(std::string_view data) {
    Values = {};
    TextStart = 0;
    TextEnd = 0;
    if (!Fits(data)) return false;
    const int m = StrPosFromLimit(UnicodeMarker, data, 0, MarkerLimit);
    if (m == 0) return false;
    // After the 7 letters, the NUL that completes the 8-byte character code, and one more unit.
    int p = m + 10;
    TextStart = p;
    int n = 0;
    for (;;) {
        const TWideLine line = NextWideLine(data, p);
        if (!line.Ok) return false;
        p = line.Next;
        if (n < ParamCount) {
            if (StrSameText(line.Key, ParamNames[static_cast<std::size_t>(n)])) {
                Values[static_cast<std::size_t>(n)] = line.Value;
                ++n;
            }
        } else if (StrSameText(line.Key, FormatKey)) {
            TextEnd = p - 2;
            return true;
        }
    }
}

bool TMyGrafItem::TakeHead(std::string_view head) {
    if (!ParseWide(head)) {
        Clear();
        return false;
    }
    const int s = TextStart;
    const int t = TextEnd;
    BlockOffset = s - 1;
    // The text through the format line's line feed and one byte more; a format line that
    // ends the head without a line feed leaves fewer bytes than that.
    const int count = std::min(t - s + 3, Length(head) - s + 1);
    Data.assign(Slice(head, s, count));
    TextStart = 1;
    TextEnd = t - s + 1;
    Kind = 0;
    ChunkType = {};
    Crc = {};
    CrcPos = 0;
    for (TValuePos& value : Values)
        if (value.Length > 0) value.Offset -= s - 1;
    return true;
}

bool TMyGrafItem::CheckGenInfo() {
    if (!Fits(Data)) return false;
    if (StrPosTextFromLimit(GenInfoKeyword, Data, 0, GenInfoLimit) != 1) return false;
    const int len = Length(Data);
    if (len < GenInfoMinLength) return false;
    for (int i = len; i > len - BraceWindow; --i) {
        if (ByteAt(Data, i) == '}') {
            TextStart = 1;
            TextEnd = i;
            return true;
        }
    }
    return false;
}

void TMyGrafItem::BuildText() {
    if (Kind == 2) return; // read with its values
    Text.clear();
    if (!HasParams() || !Fits(Data)) return;
    if (Kind == 0)
        Text = WideText();
    else if (Kind == 1)
        Text = NarrowText();
}

std::string TMyGrafItem::WideText() const {
    if (!Fits(Data)) return {};
    const int start = std::max(TextStart, 1);
    const int end = std::min(TextEnd, Length(Data) + 1);
    if (end <= start) return {};
    const int units = (end - start) / 2;
    return FlattenLines(WideToNarrow(Slice(Data, start, 2 * units)));
}

std::string TMyGrafItem::NarrowText() const {
    if (!Fits(Data) || Length(Data) < NarrowTextMinLength) return {};
    std::string text;
    AppendWithCrLf(text, Data);
    // The NUL after the 7-byte keyword: the text then begins "GenInfo {".
    if (text.size() >= 8 && text[7] == '\0') text[7] = ' ';
    if (text.size() >= 3 && text.compare(text.size() - 3, 3, "\r\n}") == 0)
        text.erase(text.size() - 3, 2);
    BlankEmptiedPunctuation(text);
    return IsAscii(text) ? text : NarrowToUtf8(text);
}

std::string TMyGrafItem::GetPrompt() const {
    if (Kind == 2) {
        std::string text = ValueTexts[1];
        StrTrim(text);
        return text;
    }
    const TValuePos& prompt = Values[1];
    if (!HasParams() || prompt.Length == 0 || !Fits(Data)) return {};
    const int len = Length(Data);
    if (prompt.Offset < 1 || prompt.Length < 0 || prompt.Offset + 1 > len) return {};
    const int length = std::min(prompt.Length, len - prompt.Offset + 1);
    std::string text = WideToNarrow(Slice(Data, prompt.Offset, 2 * (length / 2)));
    StrTrim(text);
    return text;
}

std::string TMyGrafItem::GetValue(std::string_view key) const {
    if (Kind == 2) {
        for (std::size_t i = 0; i < ParamNames.size(); ++i) {
            if (!StrSameText(key, ParamNames[i])) continue;
            std::string text = ValueTexts[i];
            StrTrim(text);
            return text;
        }
        return {};
    }
    if (Kind != 0) return {};
    return LookupValue(Text, key);
}

} // namespace tarvo
