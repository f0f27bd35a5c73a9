#include "app/TarvoData.h"

#include "util/MyStrUnit.h"

namespace tarvo {

std::string TTarvoData::CleanPrompt(std::string_view text) {
    std::string t(text);
    std::size_t len = t.size();
    if (len == 0) return {};

    bool marked = false;
    if (t[0] == '>') {
        std::size_t n = 1;
        // With only two characters the sign is kept: ">+" leaves "+".
        if (len > 2 && (t[1] == '+' || t[1] == '-')) {
            n = 2;
            marked = true;
        }
        t.erase(0, n);
        StrTrimLeft(t);
        len = t.size();
    }
    if (len == 0) return {};

    if (t[0] == '\'' && t[len - 1] == '\'') {
        t.erase(0, 1);
        t.resize(len >= 2 ? len - 2 : 0);
        StrTrimRight(t);
    }

    // Tags are taken only at the very start; a tag without a following ", " stays. The cut
    // is made once after the loop, so a long run of tags costs one pass over the text.
    std::size_t from = 0;
    for (;;) {
        const std::string_view rest = std::string_view(t).substr(from);
        if (StrPosTextFrom("score_", rest, 1) != 1) break;
        const int p = StrPosTextFrom(", ", rest, 7);
        if (p == 0) break;
        from += static_cast<std::size_t>(p) + 1;
    }
    t.erase(0, from);

    StrTrim(t);

    if (marked && StrReplaceChar(t, '\n', ' ') > 0) {
        StrTrim(t);
        StrCollapseSpaces(t);
    }
    return t;
}

} // namespace tarvo
