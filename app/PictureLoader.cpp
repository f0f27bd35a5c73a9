#include "app/PictureLoader.h"

#include "picture/LoadImageFile.h"
#include "platform/ThreadPriority.h"

#include <algorithm>
#include <utility>

namespace tarvo {

namespace {

std::size_t BytesOf(const TDecodedPicture& picture) {
    return picture.Dib ? picture.Dib->Bitmap().Stride() *
                             static_cast<std::size_t>(std::max(picture.Dib->Height(), 0))
                       : 0;
}

} // namespace

TDecodedPicture TPictureLoader::DecodeFile(const std::string& path) {
    TLoadImageFile loader;
    if (!loader.LoadPicture(path) || !loader.Image) return {};
    auto dib = std::make_shared<TDIB>();
    // Out of memory for the display copy: nothing to show.
    if (!dib->Assign(std::move(*loader.Image))) return {};
    return {std::move(dib), loader.Width, loader.Height};
}

TPictureLoader::TPictureLoader(TNotify notify, TDecode decode, std::size_t memoryCap)
    : FNotify(std::move(notify)), FDecode(decode ? std::move(decode) : TDecode(DecodeFile)),
      FMemoryCap(memoryCap) {
    if (FNotify) FWorker = std::thread([this] { Work(); });
}

TPictureLoader::~TPictureLoader() {
    {
        const std::lock_guard lock(FMutex);
        FQuit = true;
    }
    FChanged.notify_all();
    if (FWorker.joinable()) FWorker.join();
}

void TPictureLoader::Want(const std::vector<std::string>& paths) {
    std::unique_lock lock(FMutex);
    std::vector<TEntry> wanted;
    for (const std::string& path : paths) {
        if (std::any_of(wanted.begin(), wanted.end(),
                        [&](const TEntry& e) { return e.Path == path; }))
            continue;
        const auto known = std::find_if(FEntries.begin(), FEntries.end(),
                                        [&](const TEntry& e) { return e.Path == path; });
        TEntry entry;
        if (known != FEntries.end())
            entry = std::move(*known);
        else
            entry.Path = path;
        wanted.push_back(std::move(entry));
    }
    FEntries = std::move(wanted);
    if (FEntries.empty()) return;
    FEntries.front().Deferred = false; // the shown file is always kept
    if (FWorker.joinable()) {
        FChanged.notify_all();
        return;
    }
    // Without a thread the shown file is decoded now, its neighbours never.
    if (!FEntries.front().Done) DecodeEntry(lock, FEntries.front().Path);
}

std::optional<TDecodedPicture> TPictureLoader::Ready(const std::string& path) {
    const TFileStamp now = FileStamp(path);
    const std::lock_guard lock(FMutex);
    const auto entry = std::find_if(FEntries.begin(), FEntries.end(),
                                    [&](const TEntry& e) { return e.Path == path; });
    if (entry == FEntries.end() || !entry->Done) return std::nullopt;
    if (entry->Stamp != now) {
        // Changed since it was decoded: decoded again.
        *entry = TEntry();
        entry->Path = path;
        FChanged.notify_all();
        return std::nullopt;
    }
    return entry->Picture;
}

std::size_t TPictureLoader::Used() const {
    std::size_t used = 0;
    for (const TEntry& entry : FEntries)
        used += BytesOf(entry.Picture);
    return used;
}

void TPictureLoader::Work() {
    // Decoding ahead must not slow the window down: the thread yields to it for the processor.
    LowerThreadPriority();
    std::unique_lock lock(FMutex);
    for (;;) {
        const auto undecoded = [&] {
            return std::find_if(FEntries.begin(), FEntries.end(),
                                [](const TEntry& e) { return !e.Done && !e.Deferred; });
        };
        FChanged.wait(lock, [&] { return FQuit || undecoded() != FEntries.end(); });
        if (FQuit) return;
        DecodeEntry(lock, undecoded()->Path);
        if (FNotify) {
            lock.unlock();
            FNotify();
            lock.lock();
        }
    }
}

void TPictureLoader::DecodeEntry(std::unique_lock<std::mutex>& lock, std::string path) {
    lock.unlock();
    const TFileStamp stamp = FileStamp(path);
    TDecodedPicture picture;
    try {
        picture = FDecode(path);
    } catch (...) {
        // The worker's one catch (Want's decode on the calling thread comes here too): a
        // picture that cannot be held (memory running out for a large file) or a decode that
        // fails otherwise leaves a file that did not decode, and the thread lives on.
    }
    lock.lock();
    const auto entry = std::find_if(FEntries.begin(), FEntries.end(),
                                    [&](const TEntry& e) { return e.Path == path; });
    if (entry == FEntries.end()) return; // no longer wanted
    // A neighbour that would break the cap is not kept; it is decoded when it is shown.
    if (entry != FEntries.begin() && Used() + BytesOf(picture) > FMemoryCap) {
        entry->Deferred = true;
        return;
    }
    entry->Picture = std::move(picture);
    entry->Done = true;
    entry->Stamp = stamp;
}

} // namespace tarvo
