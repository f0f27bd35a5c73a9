// Small helpers shared by the main window's source files: text conversion at the Qt
// boundary and the path parts the navigation commands compare. Not used outside Unit1.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace tarvo::form {

inline QString ToQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQt(const QString& text) {
    return text.toUtf8().toStdString();
}

// The folder part of path: without its last component and its trailing separators; "/"
// for a file in the root, empty for a bare name.
std::string FolderPart(std::string_view path);
// The last component of path (everything after the last '/').
std::string NamePart(std::string_view path);
// Two paths name the same folder or file: byte-equal once trailing separators are dropped
// (the file system is case-sensitive, so letter case counts).
bool SamePath(std::string_view a, std::string_view b);

} // namespace tarvo::form
