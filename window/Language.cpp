#include "window/Language.h"

#include <QCoreApplication>
#include <QString>
#include <QTranslator>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>

namespace tarvo {

namespace {

// The language of a locale or LANGUAGE entry ("ru_RU.UTF-8@euro" -> "ru").
std::string_view LanguagePart(std::string_view name) {
    return name.substr(0, name.find_first_of("_.@"));
}

// The window's language for a LANGUAGE entry; none for a language it does not speak.
std::optional<TUiLanguage> Spoken(std::string_view entry) {
    const std::string_view language = LanguagePart(entry);
    if (language == "ru") return TUiLanguage::Russian;
    if (language == "en") return TUiLanguage::English;
    return std::nullopt;
}

} // namespace

TUiLanguage UiLanguage(const TEnvironment& environment) {
    if (const char* list = environment("LANGUAGE")) {
        std::string_view rest(list);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            if (const std::optional<TUiLanguage> language = Spoken(rest.substr(0, colon)))
                return *language;
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = environment(name);
        if (value == nullptr || *value == '\0') continue;
        const std::string_view language = LanguagePart(value);
        return language == "ru" || language == "C" || language == "POSIX" ? TUiLanguage::Russian
                                                                          : TUiLanguage::English;
    }
    return TUiLanguage::Russian;
}

TUiLanguage UiLanguage() {
    return UiLanguage([](const char* name) -> const char* { return std::getenv(name); });
}

QTranslator* InstallLanguage(QCoreApplication& app, TUiLanguage language) {
    if (language == TUiLanguage::Russian) return nullptr;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral(":/i18n/tarvo_en.qm"))) return nullptr;
    translator->setParent(&app);
    QCoreApplication::installTranslator(translator.get());
    return translator.release();
}

} // namespace tarvo
