#include "params/RiffWalk.h"

#include "util/Bytes.h"

#include <algorithm>

namespace tarvo {

bool IsWebp(std::string_view head) {
    return head.size() >= 12 && head.substr(0, 4) == "RIFF" && head.substr(8, 4) == "WEBP";
}

std::int64_t WalkRiff(TCachedReader& file, const std::function<bool(const TRiffChunk&)>& visit) {
    const std::string_view head = file.View(0, 12);
    if (!IsWebp(head)) return 0;
    const std::int64_t end =
        std::min<std::int64_t>(file.Size(), 8 + static_cast<std::int64_t>(LittleEndian(head, 4)));
    std::int64_t pos = 12;
    while (pos + 8 <= end) {
        const std::string_view header = file.View(pos, 8);
        if (header.size() < 8) return pos; // the file could not be read here
        TRiffChunk chunk;
        std::copy_n(header.begin(), 4, chunk.FourCC.begin());
        const std::int64_t size = LittleEndian(header, 4);
        chunk.DataOffset = pos + 8;
        chunk.Length = std::min(size, end - chunk.DataOffset);
        if (!visit(chunk)) return file.Size();
        if (chunk.Length < size) return end;
        // An odd payload is followed by a pad byte; a missing one ends the walk at the end.
        pos = std::min(end, chunk.DataOffset + size + (size & 1));
    }
    return std::min(pos, end);
}

} // namespace tarvo
