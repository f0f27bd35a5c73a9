// The texts the user reads: placeholders filled in one pass, counts in texts with plural
// forms, sizes with their unit in the user's language, and the source text kept when no
// translation is given.
#include "app/Texts.h"

#include "util/Sp_Procs.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>

namespace tarvo::test {
namespace {

// A translation of the size units into English, asked for their own context; a count of
// bytes takes its plural form.
std::string FakeTranslate(const char* context, const char* source, int count) {
    static const std::map<std::string, std::string> table = {
        {"Кб", "KB"}, {"Мб", "MB"}, {"Гб", "GB"}};
    if (std::string_view(context) != "Sizes") return "wrong context";
    if (std::string_view(source) == "%n байт")
        return std::to_string(count) + (count == 1 ? " byte" : " bytes");
    const auto found = table.find(source);
    return found != table.end() ? found->second : std::string(source);
}

TEST(Texts, ArgFillsNumberedPlaceholdersInOnePass) {
    const struct {
        const char* Text;
        std::initializer_list<std::string_view> Args;
        const char* Result;
    } cases[] = {
        {"Размер картинки: %1 x %2", {"320", "240"}, "Размер картинки: 320 x 240"},
        {"%2 before %1", {"a", "b"}, "b before a"},
        {"%1 and %1", {"x"}, "x and x"},
        // An argument's own markers stay as they are (a web address may hold "%2F").
        {"%1 (%2)", {"https://e.org/a%2Fb", "%1"}, "https://e.org/a%2Fb (%1)"},
        {"%3 has no argument", {"a"}, "%3 has no argument"},
        {"100% sure, %", {}, "100% sure, %"},
        {"%0 and %n stay", {"a"}, "%0 and %n stay"},
        {"%10", {"one"}, "one0"},
        {"", {"a"}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Arg(c.Text, c.Args), c.Result) << c.Text;
}

TEST(Texts, WithoutTranslationTheSourceStaysWithItsCount) {
    const struct {
        const char* Source;
        int Count;
        const char* Result;
    } cases[] = {
        {"Папка не задана!", -1, "Папка не задана!"},
        {"%n файлов не содержат данных Tarvo Data.", 7, "7 файлов не содержат данных Tarvo Data."},
        {"%1 из %n файлов", 10, "%1 из 10 файлов"},
        {"%n, %n", 0, "0, 0"},
        {"%n stays without a count", -1, "%n stays without a count"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Tr(nullptr, "FolderWipe", c.Source, c.Count), c.Result) << c.Source;
}

TEST(Texts, PluralCountsStayWithinWhatAFormTakes) {
    const std::pair<std::int64_t, int> cases[] = {{0, 0},
                                                  {1, 1},
                                                  {12, 12},
                                                  {-1, 0},
                                                  {INT_MAX, INT_MAX},
                                                  {std::int64_t{INT_MAX} + 1, INT_MAX}};
    for (const auto& [count, plural] : cases)
        EXPECT_EQ(PluralCount(count), plural) << count;
}

TEST(Texts, SizesTakeTheUnitOfTheUserLanguage) {
    const struct {
        std::int64_t Size;
        int Decimals;
        const char* Translated;
    } cases[] = {
        {50, 0, "50 bytes"}, {1, 1, "1 byte"},     {1023, 1, "1023 bytes"},
        {9626, 1, "9.4 KB"}, {5242880, 0, "5 MB"}, {std::int64_t{3} << 30, 1, "3 GB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SizeText(c.Size, c.Decimals, &FakeTranslate), c.Translated) << c.Size;
        // Without a translation, the size as FormatSize writes it.
        EXPECT_EQ(SizeText(c.Size, c.Decimals, nullptr), FormatSize(c.Size, c.Decimals));
    }
    // A negative size has no plural form; its unit is left as it is.
    EXPECT_EQ(SizeText(-5, 0, &FakeTranslate), FormatSize(-5, 0));
}

} // namespace
} // namespace tarvo::test
