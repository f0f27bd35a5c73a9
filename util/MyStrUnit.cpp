#include "util/MyStrUnit.h"

#include "util/Bytes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

namespace tarvo {
namespace {

std::array<unsigned char, 256> caseTable = [] {
    std::array<unsigned char, 256> identity{};
    for (std::size_t c = 0; c < identity.size(); ++c)
        identity[c] = static_cast<unsigned char>(c);
    return identity;
}();

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// The case rule: a text byte matches a pattern byte or the pattern byte's case-table entry.
bool sameTextByte(unsigned char pattern, unsigned char text) {
    return text == pattern || text == caseTable[pattern];
}

bool matchesAt(std::string_view sub, std::string_view text, std::size_t at, bool ignoreCase) {
    for (std::size_t i = 0; i < sub.size(); ++i) {
        const unsigned char s = ByteOf(sub, i);
        const unsigned char t = ByteOf(text, at + i);
        if (ignoreCase ? !sameTextByte(s, t) : s != t) return false;
    }
    return true;
}

// The first match at or after start; only the first effectiveLength bytes of the text take
// part, so every match ends inside them. Candidates are found by their first byte with
// memchr (both bytes that match it by the case rule), and only they are compared whole.
int posFrom(std::string_view sub, std::string_view text, int start, std::int64_t effectiveLength,
            bool ignoreCase) {
    if (start < 0 || sub.empty() || text.empty()) return 0;
    const std::int64_t first = std::max(start, 1) - 1;
    const std::int64_t last = effectiveLength - static_cast<std::int64_t>(sub.size());
    if (last < first) return 0;
    const unsigned char lead = ByteOf(sub, 0);
    const unsigned char partner = ignoreCase ? caseTable[lead] : lead;
    const char* const base = text.data();
    for (std::int64_t at = first; at <= last; ++at) {
        const auto span = static_cast<std::size_t>(last - at + 1);
        const void* next = std::memchr(base + at, lead, span);
        if (partner != lead) {
            const std::size_t before =
                next != nullptr
                    ? static_cast<std::size_t>(static_cast<const char*>(next) - (base + at))
                    : span;
            if (const void* other = std::memchr(base + at, partner, before)) next = other;
        }
        if (next == nullptr) return 0;
        at = static_cast<const char*>(next) - base;
        if (matchesAt(sub, text, static_cast<std::size_t>(at), ignoreCase))
            return static_cast<int>(at + 1);
    }
    return 0;
}

std::int64_t limitedLength(std::string_view text, int limit) {
    return std::min<std::int64_t>(static_cast<std::int64_t>(text.size()),
                                  static_cast<std::int64_t>(limit) - 1);
}

// Whole code units the data holds from 1-based byte position pos, at most n.
int wideUnits(std::string_view data, int pos, int n) {
    if (pos < 1 || n <= 0 || static_cast<std::size_t>(pos) > data.size()) return 0;
    return static_cast<int>(
        std::min<std::size_t>(static_cast<std::size_t>(n), (data.size() - (pos - 1)) / 2));
}

std::uint16_t wideAt(std::string_view data, std::size_t at) {
    return static_cast<std::uint16_t>(LittleEndian(data, at, 2));
}

} // namespace

void BuildCaseTable() {
    for (std::size_t c = 0; c < caseTable.size(); ++c) {
        if (c >= 'a' && c <= 'z')
            caseTable[c] = static_cast<unsigned char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            caseTable[c] = static_cast<unsigned char>(c - 'A' + 'a');
        else
            caseTable[c] = static_cast<unsigned char>(c);
    }
}

bool SameAsciiText(std::string_view a, std::string_view b) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::string WithLf(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        result += text[i];
    }
    return result;
}

unsigned char CaseSwap(unsigned char c) {
    return caseTable[c];
}

int StrPosFrom(std::string_view sub, std::string_view text, int start) {
    return posFrom(sub, text, start, static_cast<std::int64_t>(text.size()), false);
}

int StrPosTextFrom(std::string_view sub, std::string_view text, int start) {
    return posFrom(sub, text, start, static_cast<std::int64_t>(text.size()), true);
}

int StrPosFromLimit(std::string_view sub, std::string_view text, int start, int limit) {
    return posFrom(sub, text, start, limitedLength(text, limit), false);
}

int StrPosTextFromLimit(std::string_view sub, std::string_view text, int start, int limit) {
    return posFrom(sub, text, start, limitedLength(text, limit), true);
}

int StrCharPos(char c, std::string_view text, int start) {
    if (start <= 0 || static_cast<std::size_t>(start) > text.size()) return 0;
    const std::size_t at = text.find(c, static_cast<std::size_t>(start) - 1);
    return at == std::string_view::npos ? 0 : static_cast<int>(at + 1);
}

bool StrSame(std::string_view a, std::string_view b) {
    return a == b;
}

bool StrSameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && matchesAt(a, b, 0, true);
}

int StrCountLeading(std::string_view text, int pos, char c, int n) {
    if (pos < 1 || n <= 0 || static_cast<std::size_t>(pos) > text.size()) return 0;
    const std::string_view window =
        text.substr(static_cast<std::size_t>(pos) - 1, static_cast<std::size_t>(n));
    const std::size_t other = window.find_first_not_of(c);
    return static_cast<int>(other == std::string_view::npos ? window.size() : other);
}

void StrTrimRight(std::string& s) {
    std::size_t end = s.size();
    while (end > 0 && isBlank(s[end - 1]))
        --end;
    s.resize(end);
}

bool StrTrimLeft(std::string& s) {
    std::size_t begin = 0;
    while (begin < s.size() && isBlank(s[begin]))
        ++begin;
    s.erase(0, begin);
    return begin > 0;
}

bool StrTrim(std::string& s) {
    const std::size_t before = s.size();
    StrTrimRight(s);
    StrTrimLeft(s);
    return s.size() != before && !s.empty();
}

bool StrCollapseSpaces(std::string& s) {
    const std::size_t before = s.size();
    StrTrim(s);
    // After trimming the text neither starts nor ends with a space, so keeping a space only
    // when the byte kept before it is no space leaves one space of every run.
    std::size_t w = 0;
    for (const char c : s)
        if (c != ' ' || w == 0 || s[w - 1] != ' ') s[w++] = c;
    s.resize(w);
    return s.size() != before;
}

int StrReplaceChar(std::string& s, char from, char to) {
    int count = 0;
    for (char& c : s) {
        if (c == from) {
            c = to;
            ++count;
        }
    }
    return count;
}

void WideFill(std::string& data, int pos, std::uint16_t value, int n) {
    const int units = wideUnits(data, pos, n);
    for (int i = 0; i < units; ++i) {
        const std::size_t at = static_cast<std::size_t>(pos - 1 + 2 * i);
        data[at] = static_cast<char>(value & 0xFF);
        data[at + 1] = static_cast<char>(value >> 8);
    }
}

int WideCountLeading(std::string_view data, int pos, std::uint16_t value, int n) {
    const int units = wideUnits(data, pos, n);
    int count = 0;
    while (count < units && wideAt(data, static_cast<std::size_t>(pos - 1 + 2 * count)) == value)
        ++count;
    return count;
}

int WideCountBlank(std::string_view data, int pos, int n) {
    const int units = wideUnits(data, pos, n);
    int count = 0;
    while (count < units && wideAt(data, static_cast<std::size_t>(pos - 1 + 2 * count)) <= 32)
        ++count;
    // Skipping every unit would leave nothing, so a run that fills the window counts as none.
    return count == units ? 0 : count;
}

int WideCharPos(std::string_view data, std::uint16_t value, int start, int limit) {
    if (start < 0 || limit <= 0) return 0;
    start = std::max(start, 1);
    if (static_cast<std::size_t>(start) >= data.size()) return 0;
    const auto span = 2 * static_cast<std::size_t>(wideUnits(data, start, limit / 2));
    // Candidates by their low byte with memchr; a hit counts at a unit's start only.
    const char* const units = data.data() + (start - 1);
    const auto low = static_cast<char>(value & 0xFF);
    const auto high = static_cast<char>(value >> 8);
    for (std::size_t from = 0; from < span;) {
        const void* hit = std::memchr(units + from, low, span - from);
        if (hit == nullptr) return 0;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - units);
        if (at % 2 == 0 && units[at + 1] == high) return start + static_cast<int>(at);
        from = at + 1;
    }
    return 0;
}

} // namespace tarvo
