// The input/output floor of the command-line benchmark: the least any tool must do to read
// the parameters of a set of files (one open, one 40012-byte pread and one close each) and
// to wipe them in place (as much, plus one ~300-byte pwrite and one 4-byte pwrite per block
// a wipe changes: two in a PNG file, one in a JPEG file; then one syncfs).
// Usage: IoFloor read FILE...   |   IoFloor write FILE...   |   IoFloor evict FILE...
//        IoFloor save ARCHIVE FILE...   |   IoFloor restore ARCHIVE FILE...
// The write floor writes back the bytes it read, so the files keep their content.
// save keeps each file's first 40012 bytes, where a wipe changes them, in ARCHIVE; restore
// (given the same files in the same order) writes back the span of each head that differs
// from the file, so a wiped folder can be wiped again.
// evict prepares a cold run without root: it makes each file's data durable (fdatasync; the
// caller runs sync first as well) and asks the kernel to drop the file's cached pages
// (posix_fadvise POSIX_FADV_DONTNEED, which leaves dirty pages alone), then counts with
// mincore how many of the files' pages are still cached. It cannot drop pages on a file
// system that keeps files only in memory (tmpfs), and says so through that count.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t HeadBytes = 40012;
constexpr std::size_t SpanBytes = 300;
constexpr std::size_t CrcBytes = 4;

// The blocks a wipe would change, judged by the signature as the reader does.
int ChangedBlocks(const char* head, std::size_t length) {
    if (length >= 8 && std::memcmp(head, "\x89PNG\r\n\x1A\n", 8) == 0) return 2;
    if (length >= 4 && std::memcmp(head, "\xFF\xD8\xFF\xE0", 4) == 0) return 1;
    return 0;
}

struct TCachedPages {
    std::size_t Cached = 0;
    std::size_t Total = 0;
};

// Drops the cached pages of the open file fd and adds its pages, and those still cached, to
// pages; false when a call failed.
bool Evict(int fd, TCachedPages& pages) {
    struct stat st {};
    if (fdatasync(fd) != 0 || posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) != 0 ||
        fstat(fd, &st) != 0)
        return false;
    if (st.st_size == 0) return true;
    const auto size = static_cast<std::size_t>(st.st_size);
    const auto pageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) return false;
    std::vector<unsigned char> resident((size + pageSize - 1) / pageSize);
    const bool ok = mincore(map, size, resident.data()) == 0;
    munmap(map, size);
    pages.Total += resident.size();
    for (const unsigned char page : resident)
        pages.Cached += page & 1;
    return ok;
}

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using TFilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Each file's head as its length (a native 8-byte number) and its bytes; answers the failures.
long SaveHeads(const char* archive, int count, char** files) {
    const TFilePtr out(std::fopen(archive, "wb"));
    if (!out) return count;
    std::vector<char> head(HeadBytes);
    long failures = 0;
    for (int i = 0; i < count; ++i) {
        const int fd = open(files[i], O_RDONLY | O_CLOEXEC);
        const ssize_t got = fd < 0 ? -1 : pread(fd, head.data(), HeadBytes, 0);
        if (fd >= 0) close(fd);
        const std::uint64_t length = got < 0 ? 0 : static_cast<std::uint64_t>(got);
        if (got < 0) ++failures;
        if (std::fwrite(&length, sizeof length, 1, out.get()) != 1 ||
            std::fwrite(head.data(), 1, length, out.get()) != length)
            ++failures;
    }
    return std::fflush(out.get()) == 0 ? failures : failures + 1;
}

long RestoreHeads(const char* archive, int count, char** files) {
    const TFilePtr in(std::fopen(archive, "rb"));
    if (!in) return count;
    std::vector<char> saved(HeadBytes);
    std::vector<char> now(HeadBytes);
    long failures = 0;
    for (int i = 0; i < count; ++i) {
        std::uint64_t length = 0;
        if (std::fread(&length, sizeof length, 1, in.get()) != 1 || length > HeadBytes ||
            std::fread(saved.data(), 1, length, in.get()) != length)
            return failures + count - i;
        const int fd = open(files[i], O_RDWR | O_CLOEXEC);
        if (fd < 0 || pread(fd, now.data(), length, 0) != static_cast<ssize_t>(length)) {
            ++failures;
        } else {
            std::size_t first = 0;
            std::size_t end = length;
            while (first < end && saved[first] == now[first])
                ++first;
            while (end > first && saved[end - 1] == now[end - 1])
                --end;
            if (first < end &&
                pwrite(fd, saved.data() + first, end - first, static_cast<off_t>(first)) !=
                    static_cast<ssize_t>(end - first))
                ++failures;
        }
        if (fd >= 0 && close(fd) != 0) ++failures;
    }
    return failures;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && (std::strcmp(argv[1], "save") == 0 || std::strcmp(argv[1], "restore") == 0)) {
        const long failures = std::strcmp(argv[1], "save") == 0
                                  ? SaveHeads(argv[2], argc - 3, argv + 3)
                                  : RestoreHeads(argv[2], argc - 3, argv + 3);
        std::printf("%d files, %ld failures\n", argc - 3, failures);
        return failures == 0 ? 0 : 1;
    }
    if (argc >= 3 && std::strcmp(argv[1], "evict") == 0) {
        TCachedPages pages;
        long failures = 0;
        for (int i = 2; i < argc; ++i) {
            const int fd = open(argv[i], O_RDONLY | O_CLOEXEC);
            if (fd < 0 || !Evict(fd, pages)) ++failures;
            if (fd >= 0) close(fd);
        }
        std::printf("%d files, %zu of %zu pages still cached, %ld failures\n", argc - 2,
                    pages.Cached, pages.Total, failures);
        return failures == 0 ? 0 : 1;
    }
    if (argc < 3 || (std::strcmp(argv[1], "read") != 0 && std::strcmp(argv[1], "write") != 0)) {
        std::fprintf(stderr,
                     "usage: %s read|write|evict FILE...  |  %s save|restore ARCHIVE FILE...\n",
                     argv[0], argv[0]);
        return 2;
    }
    const bool write = std::strcmp(argv[1], "write") == 0;
    std::vector<char> head(HeadBytes);
    long files = 0;
    long failures = 0;
    for (int i = 2; i < argc; ++i) {
        const int fd = open(argv[i], (write ? O_RDWR : O_RDONLY) | O_CLOEXEC);
        if (fd < 0) {
            ++failures;
            continue;
        }
        const ssize_t got = pread(fd, head.data(), HeadBytes, 0);
        if (got < 0) ++failures;
        if (write && got > 0) {
            const std::size_t length = static_cast<std::size_t>(got);
            const int blocks = ChangedBlocks(head.data(), length);
            for (int b = 0; b < blocks; ++b) {
                // Spans in the file's first page, as the parameter blocks of these files are.
                const std::size_t span = 60 + static_cast<std::size_t>(b) * 400;
                const std::size_t crc = span + SpanBytes + 20;
                if (crc + CrcBytes > length) break;
                if (pwrite(fd, head.data() + span, SpanBytes, static_cast<off_t>(span)) !=
                        static_cast<ssize_t>(SpanBytes) ||
                    pwrite(fd, head.data() + crc, CrcBytes, static_cast<off_t>(crc)) !=
                        static_cast<ssize_t>(CrcBytes))
                    ++failures;
            }
        }
        if (close(fd) != 0) ++failures;
        ++files;
    }
    if (write) {
        const std::string first = argv[2];
        const std::size_t slash = first.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : first.substr(0, slash + 1);
        const int dir = open(folder.c_str(), O_RDONLY | O_CLOEXEC);
        if (dir < 0 || syncfs(dir) != 0) ++failures;
        if (dir >= 0) close(dir);
    }
    std::printf("%ld files, %ld failures\n", files, failures);
    return failures == 0 ? 0 : 1;
}
