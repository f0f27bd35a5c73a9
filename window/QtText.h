// Text at the Qt boundary: the program's UTF-8 strings to QString and back. The window
// converts here and nowhere else.
#pragma once

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

} // namespace tarvo
