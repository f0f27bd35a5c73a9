#include "cli/CliTool.h"

#include "params/DatTypes.h"
#include "platform/TextCodec.h"
#include "util/Base64.h"

#include <dirent.h>
#include <fcntl.h>
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

// The length of the valid UTF-8 sequence at the start of text, 0 when it is not one.
std::size_t Utf8Length(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || length > text.size()) return 0;
    return IsValidUtf8(text.substr(0, length)) ? length : 0;
}

} // namespace

TRecordStream::TRecordStream(int fd) : std::ostream(nullptr), FBuffer(fd) {
    rdbuf(&FBuffer);
}

TRecordStream::TBuffer::int_type TRecordStream::TBuffer::overflow(int_type c) {
    if (!traits_type::eq_int_type(c, traits_type::eof())) FPending += traits_type::to_char_type(c);
    return traits_type::not_eof(c);
}

std::streamsize TRecordStream::TBuffer::xsputn(const char* s, std::streamsize n) {
    FPending.append(s, static_cast<std::size_t>(n));
    return n;
}

int TRecordStream::TBuffer::sync() {
    std::size_t done = 0;
    while (done < FPending.size()) {
        const ssize_t n = ::write(FFd, FPending.data() + done, FPending.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            FPending.clear();
            return -1;
        }
        done += static_cast<std::size_t>(n);
    }
    FPending.clear();
    return 0;
}

std::string WithLf(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        result += text[i];
    }
    return result;
}

std::string Printable(std::string_view text, bool keepLines) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8Length(text.substr(i));
        // C1 controls, U+0080 to U+009F, are C2 80 to C2 9F in UTF-8.
        const bool c1 = length == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (length > 1 && !c1) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        const unsigned char byte = c1 ? static_cast<unsigned char>(text[i + 1]) : c;
        if (keepLines && (c == '\n' || c == '\t'))
            out += static_cast<char>(c);
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\\' && !keepLines)
            out += "\\\\";
        else if (length == 1 && c >= 0x20 && c != 0x7F)
            out += static_cast<char>(c);
        else {
            out += c1 ? "\\u00" : "\\x";
            out += Hex[byte >> 4];
            out += Hex[byte & 0xF];
        }
        i += c1 ? 2 : 1;
    }
    return out;
}

std::string JsonLine(const nlohmann::ordered_json& value) {
    return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void PutPath(nlohmann::ordered_json& record, const std::string& member, const std::string& path) {
    record[member] = path;
    if (!IsValidUtf8(path)) record[member + "Bytes"] = Base64(path);
}

std::string ReadProblem(const std::string& path, bool locked) {
    if (locked) return "locked by another program";
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
    close(fd);
    return "holds no Tarvo parameters";
}

std::string WriteProblem(const std::string& path, bool locked) {
    if (locked) return "locked by another program";
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadProblem(path, false);
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return "is read-only (no write permission bit is set)";
    if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return "cannot be opened for writing: " + ErrnoText(errno);
    return "cannot be opened for writing, or it changed since it was read; nothing was written";
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
    err << "tarvo-params: " << Printable(path) << ": " << message << '\n';
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
