// Why a picture file could not be read or written in place, as one value that travels from
// the file layer through the image record to the window and the command-line tool, so that
// nothing has to examine the file a second time to say what went wrong.
#pragma once

#include <cstdint>

namespace tarvo {

enum class TFileProblem {
    None,
    Missing,      // nothing at the path
    Folder,       // a folder, not a file
    Fifo,         // a FIFO: never opened, a read could block
    Device,       // a character or block device: never opened
    NotRegular,   // a socket or another special file
    Link,         // a symbolic link where links are not followed (a folder run's writes)
    Unexaminable, // its directory entry could not be read (Error)
    Empty,        // 0 bytes
    TooSmall,     // fewer bytes than MinFileSize
    TooLarge,     // more bytes than MaxFileSize
    ReadOnly,     // not a single write permission bit is set
    Denied,       // this process may not open it (Error)
    Locked,       // another program holds a lock that conflicts (flock, lockf or fcntl)
    CannotOpen,   // opening or reading failed otherwise (Error)
    Changed,      // its bytes changed since they were read; nothing was written
    Compressed,   // the values stand in compressed text, which cannot be blanked in place
    NoParams,     // read, but no parameter block was found
};

struct TFileCheck {
    TFileProblem Problem = TFileProblem::None;
    int Error = 0;         // the errno of Unexaminable, Denied and CannotOpen
    std::int64_t Size = 0; // the file's size, once its directory entry was read
    explicit operator bool() const { return Problem == TFileProblem::None; }
};

} // namespace tarvo
