// Parts of '/'-separated paths as the viewer compares and builds them: the name, the folder,
// whether two texts name the same path once trailing separators are dropped, and a folder
// ready to have a name appended.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

// The last component of path (everything after its last '/').
std::string NamePart(std::string_view path);
// The folder part of path without its trailing separators; "/" for a file in the root and
// empty for a bare name.
std::string FolderPart(std::string_view path);
// path without its trailing separators ("/" stays), so "/pics" and "/pics/" compare equal.
std::string_view WithoutTrailingSlash(std::string_view path);
// Byte-equal once trailing separators are dropped (file systems here are case-sensitive).
bool SamePath(std::string_view a, std::string_view b);
// The folder with '/' appended unless it already ends in '/'; empty gives "/".
std::string WithTrailingSlash(std::string_view folder);
// The folder trimmed of blanks, then WithTrailingSlash: empty or blank gives "/".
std::string WithBackslash(std::string_view folder);

} // namespace tarvo
