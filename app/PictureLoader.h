// Pictures decoded off the user-interface thread: the files the viewer wants now (the shown
// one and the neighbours [<] and [>] would show next) are decoded into display bitmaps by a
// worker thread and kept, within a memory cap, until they are no longer wanted.
#pragma once

#include "picture/DIB.h"
#include "platform/FileSys.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tarvo {

// A file's picture ready for the pane: the display bitmap (null when the file did not
// decode) and the picture's size.
struct TDecodedPicture {
    std::shared_ptr<const TDIB> Dib;
    int Width = 0;
    int Height = 0;
};

class TPictureLoader {
public:
    // Decodes one file; the loader's own decodes the picture by its extension. One that throws
    // counts as a file that did not decode.
    using TDecode = std::function<TDecodedPicture(const std::string& path)>;
    // Told, on the worker thread, that a picture is ready; it must only hand the news to the
    // thread that asks Ready.
    using TNotify = std::function<void()>;

    // Decoded pixels kept at most (the shown picture is always kept).
    static constexpr std::size_t DefaultMemoryCap = std::size_t{512} << 20;

    // Without notify the loader has no thread: Want decodes the first file it is given at
    // once, and no neighbour. decode stands in for the real decoding in tests.
    explicit TPictureLoader(TNotify notify = {}, TDecode decode = {},
                            std::size_t memoryCap = DefaultMemoryCap);
    ~TPictureLoader();
    TPictureLoader(const TPictureLoader&) = delete;
    TPictureLoader& operator=(const TPictureLoader&) = delete;

    // The files wanted now, the most wanted first; every other file's picture and request is
    // dropped (a decode in progress finishes, its result is dropped).
    void Want(const std::vector<std::string>& paths);
    // The picture of path when it is decoded and the file still has the size and
    // modification time it was decoded with; nothing while it is still being decoded (a
    // changed file is decoded again).
    std::optional<TDecodedPicture> Ready(const std::string& path);

    // The loader's decoding: the picture by its extension, drawn for the display.
    static TDecodedPicture DecodeFile(const std::string& path);

private:
    struct TEntry {
        std::string Path;
        bool Done = false;     // decoded (Picture has no bitmap when decoding failed)
        bool Deferred = false; // a neighbour too large for the cap, decoded once it is shown
        TFileStamp Stamp;      // the file as decoded (Size -1: it could not be examined)
        TDecodedPicture Picture;
    };
    void Work();
    // Decodes path's file and stores the result if the file is still wanted.
    // path is a copy: the entry it came from may be gone once the lock is let go.
    void DecodeEntry(std::unique_lock<std::mutex>& lock, std::string path);
    std::size_t Used() const;

    TNotify FNotify;
    TDecode FDecode;
    const std::size_t FMemoryCap;
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::vector<TEntry> FEntries; // in the order wanted
    bool FQuit = false;
    std::thread FWorker;
};

} // namespace tarvo
