#include "cli/CliTool.h"

#include "params/DatTypes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>
#include <utility>

namespace tarvo::cli {

namespace {

std::string ErrnoText(int error) {
    return std::strerror(error);
}

struct DirCloser {
    void operator()(DIR* dir) const noexcept { closedir(dir); }
};

} // namespace

std::string WithLf(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        result += text[i];
    }
    return result;
}

std::string JsonLine(const nlohmann::ordered_json& value) {
    return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string ReadProblem(const std::string& path) {
    if (path.empty()) return "empty path";
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        const int error = errno;
        return error == ENOENT ? "no such file" : "cannot be examined: " + ErrnoText(error);
    }
    if (S_ISDIR(st.st_mode)) return "is a folder, not a picture file";
    // Reading a FIFO or a device could block or never end, so they are not opened at all.
    if (S_ISFIFO(st.st_mode)) return "is a FIFO, not a regular file; it was not opened";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return "is a device, not a regular file; it was not opened";
    if (!S_ISREG(st.st_mode)) return "is not a regular file; it was not opened";
    const std::int64_t size = st.st_size;
    if (size == 0) return "is empty";
    if (size < MinFileSize)
        return "is too small to hold parameters (" + std::to_string(size) + " bytes, at least " +
               std::to_string(MinFileSize) + " are read)";
    if (size > MaxFileSize)
        return "is too large to be read for parameters (" + std::to_string(size) +
               " bytes, at most " + std::to_string(MaxFileSize) + " are read)";
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return "cannot be opened for reading: " + ErrnoText(errno);
    const bool locked = flock(fd, LOCK_SH | LOCK_NB) != 0;
    close(fd);
    if (locked) return "is locked by another program";
    return "holds no Tarvo parameters";
}

std::string WriteProblem(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadProblem(path);
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return "is read-only (no write permission bit is set)";
    if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return "cannot be opened for writing: " + ErrnoText(errno);
    return "cannot be opened for writing: it is locked by another program or changed since it "
           "was read";
}

std::string FolderProblem(const std::string& path) {
    const std::unique_ptr<DIR, DirCloser> dir(opendir(path.c_str()));
    if (!dir) return "cannot be listed: " + ErrnoText(errno);
    // Without search permission the entries' sizes cannot be read, and every file would
    // silently drop out of the list.
    if (faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) != 0)
        return "its files cannot be examined: " + ErrnoText(errno);
    return {};
}

void ReportProblem(std::ostream& out, std::ostream& err, const std::string& path,
                   const std::string& message) {
    out.flush();
    err << "tarvo-params: " << path << ": " << message << '\n';
    err.flush();
}

TProgressLine::TProgressLine(std::int64_t total)
    : FEnabled(isatty(STDERR_FILENO) == 1), FTotal(total), FStart(std::chrono::steady_clock::now()),
      FLastDraw(FStart) {}

TProgressLine::~TProgressLine() {
    Hide();
}

void TProgressLine::Advance() {
    ++FDone;
    if (!FEnabled) return;
    const auto now = std::chrono::steady_clock::now();
    if (FShown && FDone < FTotal && now - FLastDraw < std::chrono::milliseconds(100)) return;
    FLastDraw = now;
    Draw();
}

void TProgressLine::Hide() {
    if (!FShown) return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    FShown = false;
}

void TProgressLine::Draw() {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
    const long long rate =
        seconds > 0 ? static_cast<long long>(static_cast<double>(FDone) / seconds) : 0;
    std::fprintf(stderr, "\r%lld of %lld files, %lld files/s\x1b[K", static_cast<long long>(FDone),
                 static_cast<long long>(FTotal), rate);
    std::fflush(stderr);
    FShown = true;
}

} // namespace tarvo::cli
