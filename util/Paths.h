// Parts of '/'-separated paths as the viewer compares them: the name, the folder, and
// whether two texts name the same path once trailing separators are dropped.
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

} // namespace tarvo
