#include "platform/Collation.h"

#include <unicode/coll.h>
#include <unicode/locid.h>

#include <memory>

namespace tarvo {

namespace {

// One collator for the process, made on first use for the user's locale.
icu::Collator* NameCollator() {
    static const std::unique_ptr<icu::Collator> collator = [] {
        // The C/POSIX locale's collation orders ASCII by code point, letter case first;
        // a user without a locale gets the root collation instead.
        icu::Locale locale = icu::Locale::getDefault();
        if (std::string_view(locale.getName()) == "en_US_POSIX") locale = icu::Locale::getRoot();
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> c(icu::Collator::createInstance(locale, status));
        if (U_FAILURE(status)) c.reset();
        if (c) c->setStrength(icu::Collator::SECONDARY);
        return c;
    }();
    return collator.get();
}

} // namespace

int CompareNames(std::string_view a, std::string_view b) {
    if (icu::Collator* collator = NameCollator()) {
        UErrorCode status = U_ZERO_ERROR;
        const UCollationResult r = collator->compareUTF8(
            icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
            icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
        if (U_SUCCESS(status)) return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
    }
    // Without a collator the byte order still gives a stable listing.
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

bool NameLess(std::string_view a, std::string_view b) {
    const int c = CompareNames(a, b);
    return c != 0 ? c < 0 : a < b;
}

} // namespace tarvo
