// File-system queries the rest of the program needs: does a path name a regular file or a
// folder, a file's size, the folder's regular files by extension, the working directory,
// and the one-per-run sync of a folder's file system. No call here throws, but for memory
// running out (std::bad_alloc) while a listing or a text is built.
#pragma once

#include "platform/FileProblem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo {

// True for a regular file (symbolic links followed); folders, FIFOs, devices and sockets are not
// files.
bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
// The directory entry of path (symbolic links followed): no problem and its Size for a
// regular file, otherwise what it is instead (Missing, Folder, Fifo, Device, NotRegular) or
// Unexaminable with the errno.
TFileCheck CheckRegularFile(const std::string& path);
// The same for the entry name of the folder open as dirFd, a symbolic link not followed:
// Link when the entry is one.
TFileCheck CheckEntryAt(int dirFd, const std::string& name);
// Either look-up for the entry name of the folder open as dirFd (AT_FDCWD: name is a path),
// a symbolic link followed or not, with the entry's permission bits (0 when it has none).
TFileCheck CheckEntry(int dirFd, const std::string& name, bool followLinks, unsigned& permissions);
// No problem when the folder's entries can be listed and examined; CannotOpen when it
// cannot be listed, Denied when its entries cannot be examined (both with the errno).
TFileCheck CheckFolderListing(const std::string& path);

struct TDirEntry {
    std::string Name; // bare name, no folder part
    std::int64_t Size = 0;
};

// The regular files (dot-files included) of folder whose name ends in "." + ext, the
// extension compared case-insensitively. A failing enumeration ends quietly with what
// was found so far; memory running out is thrown (the folder list catches it).
std::vector<TDirEntry> ListFiles(const std::string& folder, const std::string& ext);

// A number that every path of one file shares (made from its device and inode): the key of
// a parallel run that must not work on one file twice at once. Two files rarely share one;
// a path that cannot be examined gets a number made from the path.
std::uint64_t FileIdentity(const std::string& path);

// A file's size and modification time (symbolic links followed), which tell a picture decoded
// earlier from the file as it is now. Size -1 when the file cannot be examined.
struct TFileStamp {
    std::int64_t Size = -1;
    std::int64_t Modified = 0; // nanoseconds since the epoch
    bool operator==(const TFileStamp&) const = default;
};
TFileStamp FileStamp(const std::string& path);

// The process's working directory; empty when it cannot be determined.
std::string CurrentDir();

// Flushes the file system that holds path to the disk; false when the flush failed.
[[nodiscard]] bool SyncFileSystem(const std::string& path);

} // namespace tarvo
