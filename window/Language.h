// The window's language: Russian, the texts as written, for Russian users and wherever no
// language is set (the C or POSIX locale, or none), English for every other language. It is
// chosen once at start from the environment, as Linux programs choose theirs.
#pragma once

#include <QCoreApplication>
#include <QTranslator>

#include <functional>

namespace tarvo {

enum class TUiLanguage { Russian, English };

// An environment variable's value, or null when it is not set.
using TEnvironment = std::function<const char*(const char* name)>;

// The language the environment asks for. LANGUAGE (a colon-separated list) wins with its
// first entry that is Russian or English ("ru", "en_GB", ...); its other entries name
// languages the window does not speak and are passed over. Otherwise the first of LC_ALL,
// LC_MESSAGES and LANG that is set and not empty decides: a Russian locale, C or POSIX (with
// any encoding or modifier) gives Russian, any other English; none at all gives Russian.
TUiLanguage UiLanguage(const TEnvironment& environment);
// The same for this process's environment.
TUiLanguage UiLanguage();

// Installs language's translation in app. Answers the translator (owned by app), or null for
// Russian, which needs none, and when the catalogue could not be loaded.
QTranslator* InstallLanguage(QCoreApplication& app, TUiLanguage language);

} // namespace tarvo
