#include "app/Texts.h"

#include "util/Sp_Procs.h"

#include <climits>

namespace tarvo {

namespace {

// FormatSize writes its units in Russian; these are the same words, marked for translation.
// Bytes are counted, so their unit has plural forms.
constexpr const char* BytesUnit = "байт";
constexpr const char* BytesText = QT_TRANSLATE_N_NOOP("Sizes", "%n байт");
constexpr const char* LargerUnits[] = {
    QT_TRANSLATE_NOOP("Sizes", "Кб"),
    QT_TRANSLATE_NOOP("Sizes", "Мб"),
    QT_TRANSLATE_NOOP("Sizes", "Гб"),
};

} // namespace

std::string Tr(TTranslate translate, const char* context, const char* source, int count) {
    if (translate != nullptr) return translate(context, source, count);
    std::string text(source);
    if (count < 0) return text;
    const std::string number = std::to_string(count);
    for (std::size_t at = text.find("%n"); at != std::string::npos;
         at = text.find("%n", at + number.size()))
        text.replace(at, 2, number);
    return text;
}

int PluralCount(std::int64_t count) {
    if (count < 0) return 0;
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

std::string Arg(std::string_view text, std::initializer_list<std::string_view> args) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const auto number = static_cast<std::size_t>(text[i + 1] - '1');
            if (number < args.size()) {
                result += *(args.begin() + number);
                ++i;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

std::string SizeText(std::int64_t size, int decimals, TTranslate translate) {
    std::string text = FormatSize(size, decimals);
    const std::size_t space = text.rfind(' ');
    if (translate == nullptr || space == std::string::npos) return text;
    const std::string_view unit = std::string_view(text).substr(space + 1);
    if (unit == BytesUnit && size >= 0) return Tr(translate, "Sizes", BytesText, PluralCount(size));
    for (const char* known : LargerUnits)
        if (unit == known) return text.substr(0, space + 1) + Tr(translate, "Sizes", known);
    return text;
}

} // namespace tarvo
