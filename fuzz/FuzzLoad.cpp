// Fuzz target: arbitrary bytes loaded as a picture file, in both modes, then marked with
// every wipe choice on.
#include "MarkChecks.h"
#include "params/DatTypes.h"
#include "params/MyGrafObj.h"
#include "util/MyStrUnit.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (tarvo::BuildCaseTable(), true);
    (void)ready;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    tarvo::TMyGraf shown(false);
    if (shown.LoadBytes(bytes)) {
        if (shown.FileKind < 1 || shown.FileKind > 3) std::abort();
        if (shown.FirstBlock.Text.empty() && shown.SecondBlock.Text.empty()) std::abort();
        (void)shown.FirstBlock.GetPrompt();
        for (const std::string_view name : tarvo::ParamNames)
            (void)shown.FirstBlock.GetValue(name);
    } else if (shown.FileKind != 0 || shown.FirstBlock.HasParams() ||
               shown.SecondBlock.HasParams()) {
        std::abort(); // a failed load leaves the container empty
    }

    tarvo::TMyGraf wipe(true);
    if (!wipe.LoadBytes(bytes)) return 0;
    if (!wipe.FirstBlock.Text.empty() || !wipe.SecondBlock.Text.empty()) std::abort();
    // A block cut from a JPEG head or a WebP EXIF payload names its own bytes in the file.
    const tarvo::TMyGrafItem& first = wipe.FirstBlock;
    if (first.HasParams() && first.CrcPos == 0 &&
        (first.BlockOffset < 0 || bytes.substr(static_cast<std::size_t>(first.BlockOffset),
                                               first.Data.size()) != first.Data))
        std::abort();
    tarvo::ParJobId = tarvo::ParPrompt = tarvo::ParNegPrompt = tarvo::ParSeed = true;
    if (wipe.Mark()) {
        tarvo::fuzz::CheckMarked(wipe.FirstBlock);
        tarvo::fuzz::CheckMarked(wipe.SecondBlock);
        // A PNG block's span lies inside its chunk's data.
        for (const tarvo::TMyGrafItem* block : {&wipe.FirstBlock, &wipe.SecondBlock}) {
            if (!block->Marked || block->CrcPos == 0) continue;
            const std::size_t crcAt = static_cast<std::size_t>(block->CrcPos);
            if (crcAt + 4 > size ||
                crcAt != static_cast<std::size_t>(block->BlockOffset) + 8 + block->Data.size())
                std::abort();
        }
    }
    return 0;
}
