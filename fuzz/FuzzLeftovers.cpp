// Fuzz target: arbitrary bytes searched as a whole picture file for copies of wiped values.
// Every copy reported outside compressed text must name the bytes it found.
#include "params/Leftovers.h"
#include "platform/TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The values of the seeds' parameter blocks, and one that is not ASCII.
    static const std::vector<tarvo::TNeedle> needles = {
        {"JobId", "7f3c2a10-5b8e-4d21-9c6f-0a1b2c3d4e5f"},
        {"prompt", "a red fox in the snow"},
        {"negative_prompt", "blurry, low quality"},
        {"seed", "1234567890"},
        {"prompt", "рыжая лиса"},
    };
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    tarvo::TMemoryReader reader(bytes);
    const std::vector<tarvo::TLeftover> found = tarvo::FindLeftovers(reader, needles).Copies;
    if (found.size() > tarvo::LeftoverMaxReported) std::abort();
    for (const tarvo::TLeftover& copy : found) {
        if (copy.Offset < 0 || static_cast<std::size_t>(copy.Offset) >= size) std::abort();
        if (copy.Compressed) continue;
        bool named = false;
        for (const tarvo::TNeedle& needle : needles) {
            if (needle.Key != copy.Key) continue;
            const std::string pattern = copy.Encoding == "UTF-8" ? needle.Text
                                        : copy.Encoding == "UTF-16LE"
                                            ? tarvo::Utf8ToWide(needle.Text, false)
                                            : tarvo::Utf8ToWide(needle.Text, true);
            named = named ||
                    bytes.substr(static_cast<std::size_t>(copy.Offset), pattern.size()) == pattern;
        }
        if (!named) std::abort();
    }
    return 0;
}
