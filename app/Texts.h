// Texts the user reads, in the user's language. The program's texts are written in Russian
// where they are composed, marked so that the translation tools collect them; the window
// hands in a translation, and without one every text stays as written.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// Marks a source text for the translation tools and leaves it as it is. Qt's headers define
// the same macros the same way, so either may come first.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif
// The same for a text with "%n" that has plural forms in other languages.
#ifndef QT_TRANSLATE_N_NOOP
#define QT_TRANSLATE_N_NOOP(scope, x) x
#endif

namespace tarvo {

// The text for source (UTF-8) of context in the user's language. count >= 0 chooses the
// plural form and replaces "%n"; -1 for a text without "%n".
using TTranslate = std::string (*)(const char* context, const char* source, int count);

// source translated by translate; without one, source with "%n" replaced by count.
std::string Tr(TTranslate translate, const char* context, const char* source, int count = -1);
// A count for Tr, held to what a plural form can take.
int PluralCount(std::int64_t count);

// text with each "%1" to "%9" replaced by the argument of that number, in one pass, so an
// argument's own "%" signs stay; a marker without its argument stays as it is.
std::string Arg(std::string_view text, std::initializer_list<std::string_view> args);

// A size as FormatSize writes it (decimals places), its unit in the user's language.
std::string SizeText(std::int64_t size, int decimals, TTranslate translate);

} // namespace tarvo
