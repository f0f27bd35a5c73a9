#include "params/ByteReader.h"

#include <algorithm>

namespace tarvo {

bool TMemoryReader::ReadAt(std::int64_t offset, std::size_t length, std::string& out) {
    out.clear();
    if (offset < 0 || static_cast<std::uint64_t>(offset) > FBytes.size()) return false;
    out.assign(FBytes.substr(static_cast<std::size_t>(offset), length));
    return out.size() == length;
}

TCachedReader::TCachedReader(TByteReader& file)
    : FFile(file), FSize(std::max<std::int64_t>(file.Size(), 0)) {}

std::string_view TCachedReader::View(std::int64_t offset, std::size_t length, std::size_t least) {
    if (offset < 0 || offset >= FSize) return {};
    length = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(length), FSize - offset));
    if (offset < FStart || offset + static_cast<std::int64_t>(length) >
                               FStart + static_cast<std::int64_t>(FBuffer.size())) {
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(
            static_cast<std::int64_t>(std::max(length, least)), FSize - offset));
        FStart = offset;
        if (!FFile.ReadAt(offset, want, FBuffer)) {
            FBuffer.clear();
            FShort = true;
        }
    }
    const std::string_view window(FBuffer);
    return window.substr(static_cast<std::size_t>(offset - FStart), length);
}

} // namespace tarvo
