// Text at the Qt boundary: the program's UTF-8 strings to QString and back, and the core's
// texts in the user's language. The window converts here and nowhere else.
#pragma once

#include <QCoreApplication>
#include <QString>

#include <string>
#include <string_view>

namespace tarvo {

inline QString ToQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQt(const QString& text) {
    return text.toUtf8().toStdString();
}

// A TTranslate for the core: the translation installed in the application, or the source
// text itself when there is none.
inline std::string QtTranslate(const char* context, const char* source, int count) {
    return FromQt(QCoreApplication::translate(context, source, nullptr, count));
}

} // namespace tarvo
