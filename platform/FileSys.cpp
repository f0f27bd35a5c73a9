#include "platform/FileSys.h"

#include "util/MyStrUnit.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <memory>

namespace tarvo {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const noexcept { closedir(dir); }
};

bool EndsWithExt(const char* name, std::size_t length, const std::string& ext) {
    if (length < ext.size() + 1) return false;
    const char* tail = name + length - ext.size();
    return tail[-1] == '.' && SameAsciiText(std::string_view(tail, ext.size()), ext);
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

namespace {

TFileCheck Classify(const struct stat& st) {
    if (S_ISREG(st.st_mode)) return {TFileProblem::None, 0, static_cast<std::int64_t>(st.st_size)};
    if (S_ISDIR(st.st_mode)) return {TFileProblem::Folder};
    if (S_ISFIFO(st.st_mode)) return {TFileProblem::Fifo};
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return {TFileProblem::Device};
    if (S_ISLNK(st.st_mode)) return {TFileProblem::Link};
    return {TFileProblem::NotRegular};
}

TFileCheck StatFailed(int error) {
    return error == ENOENT || error == ENOTDIR ? TFileCheck{TFileProblem::Missing}
                                               : TFileCheck{TFileProblem::Unexaminable, error};
}

} // namespace

TFileCheck CheckEntry(int dirFd, const std::string& name, bool followLinks, unsigned& permissions) {
    struct stat st {};
    permissions = 0;
    if (name.empty()) return {TFileProblem::Missing};
    if (fstatat(dirFd, name.c_str(), &st, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return StatFailed(errno);
    permissions = st.st_mode & 07777;
    return Classify(st);
}

TFileCheck CheckRegularFile(const std::string& path) {
    unsigned permissions = 0;
    return CheckEntry(AT_FDCWD, path, true, permissions);
}

TFileCheck CheckEntryAt(int dirFd, const std::string& name) {
    unsigned permissions = 0;
    return CheckEntry(dirFd, name, false, permissions);
}

TFileCheck CheckFolderListing(const std::string& path) {
    const std::unique_ptr<DIR, DirCloser> dir(opendir(path.c_str()));
    if (!dir) return {TFileProblem::CannotOpen, errno};
    // Without search permission the entries' sizes cannot be read, and every file would
    // silently drop out of the list.
    if (faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) != 0)
        return {TFileProblem::Denied, errno};
    return {};
}

std::vector<TDirEntry> ListFiles(const std::string& folder, const std::string& ext) {
    std::vector<TDirEntry> found;
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return found;
    const int dirFd = dirfd(dir.get());
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
    return found;
}

std::uint64_t FileIdentity(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return std::hash<std::string>{}(path);
    return static_cast<std::uint64_t>(st.st_ino) * 0x9E3779B97F4A7C15ULL ^
           static_cast<std::uint64_t>(st.st_dev);
}

TFileStamp FileStamp(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return {};
    return {static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
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
