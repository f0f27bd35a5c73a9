#include "params/Leftovers.h"

#include "params/DatTypes.h"
#include "params/RiffWalk.h"
#include "platform/TextCodec.h"
#include "util/Bytes.h"
#include "util/MyStrUnit.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

namespace tarvo {

namespace {

// Bytes read (or inflated) at a time when a range is searched; consecutive windows overlap
// by the longest pattern, so a copy that straddles two windows is still found, and once.
constexpr std::size_t SearchWindow = std::size_t{1} << 20;
// Probes into a run of pixel data read just a header.
constexpr std::size_t ProbeRead = 8;

constexpr std::string_view TrailingBytes = "trailing bytes";

struct TPattern {
    std::string Key;
    std::string Bytes;
    const char* Encoding;
};

std::size_t CodePoints(std::string_view utf8) {
    std::size_t count = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

class TSearch {
public:
    TSearch(TByteReader& file, const std::vector<TNeedle>& needles,
            const std::vector<TFileSpan>& blanked, TSearchStop stop)
        : FFile(file), FBlanked(blanked), FStop(stop) {
        std::set<std::pair<std::string, std::string>> seen;
        for (const TNeedle& needle : needles) {
            // Blanks around a value are no part of what makes it findable: a value of blanks
            // alone would be found in every blanked span.
            std::string text = needle.Text;
            StrTrim(text);
            if (CodePoints(text) < LeftoverMinChars) continue;
            if (!seen.emplace(needle.Key, text).second) continue;
            FPatterns.push_back({needle.Key, text, "UTF-8"});
            FPatterns.push_back({needle.Key, Utf8ToWide(text, false), "UTF-16LE"});
            FPatterns.push_back({needle.Key, Utf8ToWide(text, true), "UTF-16BE"});
        }
        for (const TPattern& pattern : FPatterns)
            FLongest = std::max(FLongest, pattern.Bytes.size());
    }

    TLeftoverSearch Run() {
        TLeftoverSearch result;
        if (FPatterns.empty()) return result;
        const std::string_view signature = FFile.View(0, SignatureSize);
        if (signature == PngSignature)
            WalkPng();
        else if (signature.substr(0, 2) == "\xFF\xD8")
            WalkJpeg();
        else if (IsWebp(FFile.View(0, 12)))
            WalkWebp();
        for (THit& hit : DropShiftedTwins())
            result.Copies.push_back(std::move(hit.Copy));
        std::stable_sort(
            result.Copies.begin(), result.Copies.end(),
            [](const TLeftover& a, const TLeftover& b) { return a.Offset < b.Offset; });
        result.End = FStopped          ? TSearchEnd::Stopped
                     : FFile.Changed() ? TSearchEnd::FileChanged
                     : FInflateCapped  ? TSearchEnd::InflateLimit
                                       : TSearchEnd::Complete;
        return result;
    }

private:
    // A copy with the place of its first byte in the container's (inflated) data.
    struct THit {
        TLeftover Copy;
        int Scope = 0; // one number per container searched
        std::int64_t Position = 0;
    };

    bool Full() const { return FFound.size() >= LeftoverMaxReported; }

    // The search ends here: enough copies were found, or the stop question said so.
    bool Cut() {
        if (!FStopped && FStop != nullptr && FStop()) FStopped = true;
        return FStopped || Full();
    }

    bool InBlankedSpan(std::int64_t offset, std::size_t length) const {
        return std::any_of(FBlanked.begin(), FBlanked.end(), [&](const TFileSpan& span) {
            return offset < span.Offset + span.Length &&
                   span.Offset < offset + static_cast<std::int64_t>(length);
        });
    }

    bool FoundInScope(const TPattern& pattern) const {
        return std::any_of(FFound.begin(), FFound.end(), [&](const THit& hit) {
            return hit.Scope == FScope && hit.Copy.Key == pattern.Key &&
                   hit.Copy.Encoding == pattern.Encoding;
        });
    }

    // ASCII text in UTF-16LE preceded by another character also reads as the same text in
    // UTF-16BE one byte earlier, and the other way round. Of two such hits the one at an
    // even place in its container is the copy; UTF-16 text is stored aligned.
    std::vector<THit> DropShiftedTwins() {
        std::vector<THit> kept;
        for (const THit& hit : FFound) {
            const bool shifted = std::any_of(FFound.begin(), FFound.end(), [&](const THit& other) {
                return other.Scope == hit.Scope && other.Copy.Key == hit.Copy.Key &&
                       other.Copy.Encoding != hit.Copy.Encoding &&
                       other.Copy.Encoding != std::string_view("UTF-8") &&
                       hit.Copy.Encoding != std::string_view("UTF-8") &&
                       (other.Position - hit.Position == 1 || hit.Position - other.Position == 1) &&
                       hit.Position % 2 != 0;
            });
            if (!shifted) kept.push_back(hit);
        }
        return kept;
    }

    // Reports the copies in bytes, whose first byte lies at file offset base and at place
    // base - dataStart of the container. Copies starting at or after reportBelow are left to
    // the next window. In inflated text (compressedChunk set) only the first copy of each
    // pattern counts: it has no file offset of its own.
    void Scan(std::string_view bytes, std::int64_t base, std::int64_t dataStart,
              std::string_view container, std::size_t reportBelow,
              std::int64_t compressedChunk = -1) {
        const bool compressed = compressedChunk >= 0;
        for (const TPattern& pattern : FPatterns) {
            const std::string& needle = pattern.Bytes;
            if (needle.empty() || needle.size() > bytes.size()) continue;
            if (compressed && FoundInScope(pattern)) continue;
            const char* from = bytes.data();
            const char* const end = bytes.data() + bytes.size();
            while (!Full()) {
                const void* hit = memmem(from, static_cast<std::size_t>(end - from), needle.data(),
                                         needle.size());
                if (hit == nullptr) break;
                const auto at =
                    static_cast<std::size_t>(static_cast<const char*>(hit) - bytes.data());
                if (at >= reportBelow) break;
                const std::int64_t offset = base + static_cast<std::int64_t>(at);
                from = static_cast<const char*>(hit) + 1;
                if (!compressed && InBlankedSpan(offset, needle.size())) continue;
                FFound.push_back({{pattern.Key, pattern.Encoding, std::string(container),
                                   compressed ? compressedChunk : offset, compressed},
                                  FScope,
                                  offset - dataStart});
                if (compressed) break;
            }
        }
    }

    // Searches the file's bytes from..to in overlapping windows.
    void ScanRange(std::int64_t from, std::int64_t to, std::string_view container) {
        to = std::min(to, FFile.Size());
        ++FScope;
        const auto step = static_cast<std::int64_t>(SearchWindow);
        for (std::int64_t start = from; start < to && !Cut(); start += step) {
            const std::int64_t stop =
                std::min(to, start + step + static_cast<std::int64_t>(FLongest));
            const std::string_view bytes =
                FFile.View(start, static_cast<std::size_t>(stop - start));
            if (bytes.empty()) return;
            // Only the window that no other follows reports copies in its overlap.
            const bool last = start + step >= to;
            Scan(bytes, start, from, container,
                 last ? bytes.size() : static_cast<std::size_t>(step));
        }
    }

    // The text of a zTXt chunk, or of an iTXt chunk whose compression flag is set, inflated
    // and searched.
    void ScanCompressed(std::string_view type, std::int64_t chunk, std::int64_t dataStart,
                        std::int64_t dataEnd) {
        const bool ztxt = type == "zTXt";
        if (!ztxt && type != "iTXt") return;
        const std::string_view data = FFile.View(
            dataStart, static_cast<std::size_t>(std::min<std::int64_t>(
                           dataEnd - dataStart, static_cast<std::int64_t>(SearchWindow))));
        std::size_t at = data.find('\0'); // after the keyword
        if (at == std::string_view::npos) return;
        ++at;
        if (ztxt) {
            ++at; // compression method
        } else {
            if (at + 2 > data.size() || data[at] != '\1') return; // not compressed
            at += 2;                                              // flag and method
            for (int field = 0; field < 2; ++field) {             // language, translated keyword
                at = data.find('\0', at);
                if (at == std::string_view::npos) return;
                ++at;
            }
        }
        if (at >= data.size()) return;
        InflateAndScan(type, chunk, dataStart + static_cast<std::int64_t>(at), dataEnd);
    }

    // Inflates the zlib stream at file offsets from..to a window at a time, each window
    // searched and overlapping the next by the longest pattern less one byte, so memory stays
    // small whatever the stream inflates to. Stops at the file's inflate cap.
    void InflateAndScan(std::string_view type, std::int64_t chunk, std::int64_t from,
                        std::int64_t to) {
        z_stream stream{};
        if (inflateInit(&stream) != Z_OK) return;
        ++FScope;
        const std::size_t keep = FLongest - 1;
        FText.resize(SearchWindow + keep);
        std::size_t filled = 0; // bytes of FText not yet passed on
        std::int64_t place = 0; // place of FText[0] in the inflated text
        bool ended = false;
        while (!ended && !Cut()) {
            const std::size_t room =
                std::min(FText.size() - filled, LeftoverInflateCap - FInflated);
            if (room == 0) {
                FInflateCapped = true;
                ended = true;
            } else {
                if (stream.avail_in == 0 && from < to) {
                    const std::string_view input =
                        FFile.View(from, static_cast<std::size_t>(std::min<std::int64_t>(
                                             to - from, static_cast<std::int64_t>(SearchWindow))));
                    from += static_cast<std::int64_t>(input.size());
                    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
                    stream.avail_in = static_cast<uInt>(input.size());
                }
                stream.next_out = reinterpret_cast<Bytef*>(FText.data() + filled);
                stream.avail_out = static_cast<uInt>(room);
                // Anything but Z_OK: the end of the stream, damage, or no progress possible.
                ended = inflate(&stream, Z_NO_FLUSH) != Z_OK;
                const std::size_t produced = room - stream.avail_out;
                FInflated += produced;
                filled += produced;
                if (!ended && filled < FText.size()) continue;
            }
            const std::size_t passed = ended ? filled : filled - keep;
            Scan(std::string_view(FText.data(), filled), place, 0, type, passed, chunk);
            std::memmove(FText.data(), FText.data() + passed, filled - passed);
            filled -= passed;
            place += static_cast<std::int64_t>(passed);
        }
        inflateEnd(&stream);
    }

    void WalkPng() {
        const std::int64_t size = FFile.Size();
        std::int64_t pos = SignatureSize;
        while (pos + 8 <= size && !Cut()) {
            const std::string_view header = FFile.View(pos, 8);
            if (header.size() < 8) return;
            const std::int64_t length = BigEndian(header, 0, 4);
            const std::string type(header.substr(4, 4));
            const std::int64_t dataStart = pos + 8;
            const std::int64_t dataEnd = std::min(dataStart + length, size);
            if (type == "IEND") {
                ScanRange(std::min(dataStart + length + 4, size), size, TrailingBytes);
                return;
            }
            if (type != "IDAT") {
                ScanRange(dataStart, dataEnd, type);
                ScanCompressed(type, pos, dataStart, dataEnd);
            }
            pos = type == "IDAT" ? PastPixelRun(pos, length) : dataStart + length + 4;
        }
        // Bytes too few to hold a chunk header, after the last chunk.
        if (pos < size) ScanRange(pos, size, TrailingBytes);
    }

    // Encoders write the pixel data in IDAT chunks of one size (the last one shorter), which
    // must follow each other without other chunks between them. Rather than read every
    // header of such a run, probe the headers at doubling distances and then bisect to the
    // run's last chunk of that size: a few reads instead of hundreds. Answers the offset of
    // the chunk after it.
    std::int64_t PastPixelRun(std::int64_t pos, std::int64_t length) {
        const std::int64_t step = length + 12;
        const auto sameSize = [&](std::int64_t k) {
            const std::string_view header = FFile.View(pos + k * step, 8, ProbeRead);
            return header.size() == 8 && header.substr(4) == "IDAT" &&
                   BigEndian(header, 0, 4) == length;
        };
        std::int64_t good = 0; // chunk k = good has the run's size
        std::int64_t bad = 1;
        while (sameSize(bad)) {
            good = bad;
            bad *= 2;
        }
        while (bad - good > 1) {
            const std::int64_t middle = good + (bad - good) / 2;
            (sameSize(middle) ? good : bad) = middle;
        }
        return pos + (good + 1) * step;
    }

    void WalkJpeg() {
        const std::int64_t size = FFile.Size();
        std::int64_t pos = 2;
        while (pos + 2 <= size && !Cut()) {
            const std::string_view marker = FFile.View(pos, 4);
            if (marker.size() < 2 || marker[0] != '\xFF') return;
            const auto code = static_cast<unsigned char>(marker[1]);
            if (code == 0xFF) { // fill byte before a marker
                ++pos;
                continue;
            }
            if (code == 0xD8 || code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {
                pos += 2; // markers without a segment
                continue;
            }
            if (code == 0xDA || code == 0xD9 || marker.size() < 4) return; // first scan, end
            const std::int64_t length = BigEndian(marker, 2, 2);
            if (length < 2) return;
            ScanRange(pos + 4, pos + 2 + length, SegmentName(code));
            pos += 2 + length;
        }
    }

    // Every chunk of a WebP but the pixel data, named by its FourCC without trailing blanks
    // ("XMP"), and the bytes that belong to no chunk.
    void WalkWebp() {
        const std::int64_t covered = WalkRiff(FFile, [&](const TRiffChunk& chunk) {
            std::string name(chunk.FourCC.data(), chunk.FourCC.size());
            if (name != "VP8 " && name != "VP8L" && name != "ALPH" && name != "ANMF") {
                name.erase(name.find_last_not_of(' ') + 1);
                ScanRange(chunk.DataOffset, chunk.DataOffset + chunk.Length, name);
            }
            return !Cut();
        });
        if (!Cut()) ScanRange(covered, FFile.Size(), TrailingBytes);
    }

    static std::string SegmentName(unsigned char code) {
        if (code >= 0xE0 && code <= 0xEF) return "APP" + std::to_string(code - 0xE0);
        if (code == 0xFE) return "COM";
        std::string name = "FF";
        AppendHex(name, code, true);
        return name;
    }

    TCachedReader FFile;
    const std::vector<TFileSpan>& FBlanked;
    const TSearchStop FStop;
    std::vector<TPattern> FPatterns;
    std::size_t FLongest = 0;
    int FScope = 0;
    std::vector<THit> FFound;
    std::string FText;         // a window of inflated text
    std::size_t FInflated = 0; // bytes inflated so far, all chunks together
    bool FInflateCapped = false;
    bool FStopped = false;
};

} // namespace

TLeftoverSearch FindLeftovers(TByteReader& file, const std::vector<TNeedle>& needles,
                              const std::vector<TFileSpan>& blanked, TSearchStop stop) {
    return TSearch(file, needles, blanked, stop).Run();
}

} // namespace tarvo
