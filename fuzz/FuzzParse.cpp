// Fuzz target: arbitrary bytes as the data of one parameter block. The first byte chooses
// the block kind (bit 0), whether it is a PNG block with a CRC (bit 1) and the wipe choices
// (bits 2 to 5); the rest is the data.
#include "MarkChecks.h"
#include "params/DatTypes.h"
#include "params/MyGrafObj.h"
#include "util/MyStrUnit.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (tarvo::BuildCaseTable(), true);
    (void)ready;
    if (size < 1) return 0;
    const unsigned mode = data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    tarvo::TMyGrafItem block;
    block.Data = std::string(bytes);
    block.Kind = static_cast<int>(mode & 1);
    if (mode & 2) {
        const std::string_view type =
            block.Kind == 0 ? tarvo::FirstChunkType : tarvo::SecondChunkType;
        std::copy(type.begin(), type.end(), block.ChunkType.begin());
        block.CrcPos = 8 + 8 + static_cast<int>(bytes.size());
        block.BlockOffset = 8;
    }
    tarvo::ParJobId = (mode & 4) != 0;
    tarvo::ParPrompt = (mode & 8) != 0;
    tarvo::ParNegPrompt = (mode & 16) != 0;
    tarvo::ParSeed = (mode & 32) != 0;

    if (block.Parse()) {
        if (block.TextStart < 1) std::abort();
        block.BuildText();
        (void)block.GetPrompt();
        for (const std::string_view name : tarvo::ParamNames) {
            (void)block.GetValue(name);
            (void)tarvo::LookupValue(block.Text, name);
            (void)tarvo::FindKey(block.Text, name, 1);
        }
        const bool marked = block.Kind == 0 ? block.MarkWide() : block.MarkNarrow();
        if (marked != block.Marked) std::abort();
        tarvo::fuzz::CheckMarked(block);
    } else if (block.HasParams()) {
        std::abort(); // a block that does not parse is cleared
    }

    // The same bytes as a JPEG head, and the line readers on raw bytes.
    tarvo::TMyGrafItem head;
    if (head.TakeHead(bytes)) {
        if (head.Data.size() > bytes.size() || head.BlockOffset < 0) std::abort();
        head.BuildText();
        (void)head.GetPrompt();
        if (head.MarkWide()) tarvo::fuzz::CheckMarked(head);
    }
    const int start = bytes.empty() ? 1 : 1 + (data[0] % 7);
    (void)tarvo::NextWideLine(bytes, start);
    (void)tarvo::NextKeyLine(bytes, start);
    (void)tarvo::FlattenLines(bytes);
    return 0;
}
