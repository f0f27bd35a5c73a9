#include "cli/CliTool.h"

#include "app/FilesObj.h"
#include "params/DatTypes.h"
#include "platform/FileSys.h"
#include "platform/TextCodec.h"
#include "util/Base64.h"
#include "util/Bytes.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <ostream>
#include <utility>

namespace tarvo::cli {

namespace {

std::string ErrnoText(int error) {
    return std::strerror(error);
}

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

std::string Printable(std::string_view text, bool keepLines) {
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
            AppendHex(out, byte);
        }
        i += c1 ? 2 : 1;
    }
    return out;
}

void TJsonWriter::Separate() {
    if (std::exchange(FAfterKey, false)) return;
    if (!std::exchange(FFirst, false)) FOut += ',';
}

void TJsonWriter::Open(char bracket) {
    Separate();
    FOut += bracket;
    FFirst = true;
}

void TJsonWriter::Close(char bracket) {
    FOut += bracket;
    FFirst = false;
}

void TJsonWriter::Quoted(std::string_view text) {
    // The serializer escapes into a small buffer, from which the text grows by whole pieces.
    char piece[2048];
    FSerializer.reset(text);
    while (!FSerializer.done()) {
        const boost::json::string_view written = FSerializer.read(piece, sizeof piece);
        FOut.append(written.data(), written.size());
    }
}

TJsonWriter& TJsonWriter::Key(std::string_view name) {
    Separate();
    Quoted(name);
    FOut += ':';
    FAfterKey = true;
    return *this;
}

void TJsonWriter::String(std::string_view text) {
    Separate();
    // The serializer writes strings as they are; the check is vectorised, so valid text is cheap.
    if (IsValidUtf8(text))
        Quoted(text);
    else
        Quoted(RepairUtf8(text));
}

void TJsonWriter::Number(std::int64_t number) {
    Separate();
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, number);
    FOut.append(digits, end.ptr);
}

void TJsonWriter::Bool(bool value) {
    Separate();
    FOut += value ? "true" : "false";
}

void TJsonWriter::Path(std::string_view name, std::string_view path) {
    Key(name).String(path);
    if (!IsValidUtf8(path)) Key(std::string(name) + "Bytes").String(Base64(path));
}

std::string ProblemText(const TFileCheck& check, bool writing) {
    const std::string size = std::to_string(check.Size);
    switch (check.Problem) {
    case TFileProblem::None:
        break;
    case TFileProblem::Missing:
        return "no such file";
    case TFileProblem::Folder:
        return "is a folder, not a picture file";
    // Reading a FIFO or a device could block or never end, so they are not opened at all.
    case TFileProblem::Fifo:
        return "is a FIFO, not a regular file; it was not opened";
    case TFileProblem::Device:
        return "is a device, not a regular file; it was not opened";
    case TFileProblem::NotRegular:
        return "is not a regular file; it was not opened";
    case TFileProblem::Link:
        return "a symbolic link: not followed in a folder run";
    case TFileProblem::Compressed:
        return "compressed text cannot be wiped in place";
    case TFileProblem::Unexaminable:
        return "cannot be examined: " + ErrnoText(check.Error);
    case TFileProblem::Empty:
        return "is empty";
    case TFileProblem::TooSmall:
        return "is too small to hold parameters (" + size + " bytes, at least " +
               std::to_string(MinFileSize) + " are read)";
    case TFileProblem::TooLarge:
        return "is too large to be read for parameters (" + size + " bytes, at most " +
               std::to_string(MaxFileSize) + " are read)";
    case TFileProblem::ReadOnly:
        return "is read-only (no write permission bit is set)";
    case TFileProblem::Denied:
    case TFileProblem::CannotOpen:
        return std::string("cannot be opened for ") + (writing ? "writing: " : "reading: ") +
               ErrnoText(check.Error);
    case TFileProblem::Locked:
        return "locked by another program";
    case TFileProblem::Changed:
        return "changed since it was read; nothing was written";
    case TFileProblem::NoParams:
        return "holds no Tarvo parameters";
    }
    return {};
}

int Guarded(std::ostream& out, std::ostream& err, const std::function<int()>& command) {
    try {
        return command();
    } catch (const std::exception& e) {
        out.flush();
        err << "tarvo-params: failed: " << e.what() << '\n';
        return ExitFailed;
    }
}

bool ListFolder(TFilesObj& list, const std::string& folder, bool tarvoFilter, std::ostream& out,
                std::ostream& err) {
    const TFileCheck check = CheckFolderListing(folder);
    if (!check) {
        ReportProblem(out, err, folder,
                      check.Problem == TFileProblem::Denied
                          ? "its files cannot be examined: " + ErrnoText(check.Error)
                          : "cannot be listed: " + ErrnoText(check.Error));
        return false;
    }
    list.TarvoFilter = tarvoFilter;
    list.Fill(folder);
    return true;
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
