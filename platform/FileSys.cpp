#include "platform/FileSys.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace tarvo {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const noexcept { closedir(dir); }
};

bool EndsWithExt(const char* name, std::size_t length, const std::string& ext) {
    if (length < ext.size() + 1) return false;
    const char* tail = name + length - ext.size();
    if (tail[-1] != '.') return false;
    for (std::size_t i = 0; i < ext.size(); ++i) {
        unsigned char a = static_cast<unsigned char>(tail[i]);
        unsigned char b = static_cast<unsigned char>(ext[i]);
        if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

} // namespace

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::int64_t> FileSizeOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
}

std::vector<TDirEntry> ListFiles(const std::string& folder, const std::string& ext) {
    std::vector<TDirEntry> found;
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return found;
    const int dirFd = dirfd(dir.get());
    try {
        while (const dirent* entry = readdir(dir.get())) {
            const std::size_t length = std::char_traits<char>::length(entry->d_name);
            if (!EndsWithExt(entry->d_name, length, ext)) continue;
            // The type from readdir saves nothing here: the size needs a stat anyway,
            // and fstatat follows links so a link to a picture counts as the picture.
            struct stat st {};
            if (fstatat(dirFd, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
            found.push_back(
                {std::string(entry->d_name, length), static_cast<std::int64_t>(st.st_size)});
        }
    } catch (...) {
        // Out of memory while listing: keep what was found.
    }
    return found;
}

std::string CurrentDir() {
    std::unique_ptr<char, decltype(&free)> cwd(getcwd(nullptr, 0), &free);
    return cwd ? std::string(cwd.get()) : std::string();
}

bool SyncFileSystem(const std::string& path) {
    const int fd = open(path.empty() ? "." : path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = syncfs(fd) == 0;
    return close(fd) == 0 && ok;
}

} // namespace tarvo
