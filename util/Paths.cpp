#include "util/Paths.h"

#include "util/MyStrUnit.h"

namespace tarvo {

std::string NamePart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderPart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    const std::string_view folder = WithoutTrailingSlash(path.substr(0, slash + 1));
    return std::string(folder);
}

std::string_view WithoutTrailingSlash(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

bool SamePath(std::string_view a, std::string_view b) {
    return WithoutTrailingSlash(a) == WithoutTrailingSlash(b);
}

std::string WithTrailingSlash(std::string_view folder) {
    std::string path(folder);
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string WithBackslash(std::string_view folder) {
    std::string path(folder);
    StrTrim(path);
    return WithTrailingSlash(path);
}

} // namespace tarvo
