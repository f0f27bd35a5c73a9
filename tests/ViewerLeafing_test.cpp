// Leafing as users expect: the keys and the program's arguments act as the buttons and a
// drop do, the text comes at once and the picture when it is decoded, a result for an older
// step is never drawn, and the neighbours are decoded ahead and again when they change.
#include "ViewerModelHarness.h"

#include "app/PictureLoader.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <set>

namespace tarvo::test {
namespace {

using namespace std::chrono_literals;

// A decoder the test holds and releases file by file, and the loader's news of results.
class THeldDecoder {
public:
    TPictureLoader::TDecode Decode() {
        return [this](const std::string& path) {
            std::unique_lock lock(FMutex);
            FStarted.insert(path);
            FChanged.notify_all();
            FChanged.wait(lock, [&] { return FReleased.count(path) > 0 || FQuit; });
            FReleased.erase(path);
            ++FDecoded[path];
            lock.unlock();
            return TPictureLoader::DecodeFile(path);
        };
    }
    TPictureLoader::TNotify Notify() {
        return [this] {
            const std::lock_guard lock(FMutex);
            ++FReady;
            FChanged.notify_all();
        };
    }
    void Release(const std::string& path) {
        const std::lock_guard lock(FMutex);
        FReleased.insert(path);
        FChanged.notify_all();
    }
    // Waits until the decoder was asked for path, or a result was announced after the count.
    bool WaitStarted(const std::string& path) {
        std::unique_lock lock(FMutex);
        return FChanged.wait_for(lock, 5s, [&] { return FStarted.count(path) > 0; });
    }
    bool WaitReady(int count) {
        std::unique_lock lock(FMutex);
        return FChanged.wait_for(lock, 5s, [&] { return FReady >= count; });
    }
    int Decoded(const std::string& path) {
        const std::lock_guard lock(FMutex);
        return FDecoded[path];
    }
    void Quit() {
        const std::lock_guard lock(FMutex);
        FQuit = true;
        FChanged.notify_all();
    }

private:
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::set<std::string> FStarted;
    std::set<std::string> FReleased;
    std::map<std::string, int> FDecoded;
    int FReady = 0;
    bool FQuit = false;
};

TEST(Leafing, KeysActAsTheirButtons) {
    TPictureFolder folder({"a.png", "b.png", "c.png"});
    TStartedModel m;
    m.EnterPath(folder.Path());
    ASSERT_EQ(m.Shown(), folder.File("a.png"));
    const struct {
        TKey Key;
        const char* Shown;
    } cases[] = {
        {TKey::Right, "b.png"},   {TKey::PageDown, "c.png"}, {TKey::Left, "b.png"},
        {TKey::PageUp, "a.png"},  {TKey::AltRight, "b.png"}, {TKey::AltLeft, "a.png"},
        {TKey::AltLeft, "c.png"}, // wraps around as [<] does
    };
    for (const auto& c : cases) {
        m.Model.KeyPressed(c.Key);
        EXPECT_EQ(m.Shown(), folder.File(c.Shown));
    }
    // F5 refreshes the list like [O]; Ctrl+O opens the file dialog like [Открыть файл].
    folder.Add("d.png");
    m.Model.KeyPressed(TKey::F5);
    EXPECT_EQ(m.State().Counter, "3/4");
    m.Dialogs.Files.push_back(folder.File("b.png"));
    m.Model.KeyPressed(TKey::CtrlO);
    EXPECT_EQ(m.Shown(), folder.File("b.png"));
    EXPECT_EQ(m.Dialogs.FileFilters.size(), 1u);
}

TEST(Leafing, ArgumentsOpenAsTheSamePathsDroppedWould) {
    TPictureFolder folder({"a.png", "b.png", "c.png"});
    const struct {
        std::vector<std::string> Arguments;
        const char* Shown; // empty: nothing opened
        const char* Counter;
    } cases[] = {
        {{"b.png"}, "b.png", ""},
        {{folder.Path()}, "a.png", "1/3"},
        {{"c.png", "--unknown", "a.png"}, "a.png", "1/2"},
        {{"-x", "missing.png"}, "", ""},
        {{}, "", ""},
    };
    for (const auto& c : cases) {
        TStartedModel m;
        m.Model.OpenArguments(c.Arguments, folder.Path());
        EXPECT_EQ(m.Shown(), *c.Shown ? folder.File(c.Shown) : std::string());
        EXPECT_EQ(m.State().Counter, c.Counter);
    }
}

TEST(Leafing, TextComesAtOnceAndAnOlderStepsPictureIsNeverDrawn) {
    TPictureFolder folder({"a.png", "b.png", "c.png", "d.png"});
    THeldDecoder decoder;
    TScriptedDialogs dialogs;
    {
        TViewerModel model(dialogs, nullptr, decoder.Notify(), decoder.Decode());
        // However the test ends, the held decodes end before the model waits for them.
        struct TQuit {
            THeldDecoder& Decoder;
            ~TQuit() { Decoder.Quit(); }
        } quit{decoder};
        model.Start(1.0);
        model.PathEdited(folder.Path());
        model.PathEntered();
        // The text is there at once; the pane waits empty, without a caption.
        EXPECT_EQ(model.Current().FilePath, folder.File("a.png"));
        EXPECT_NE(model.State().MemoText.find("job-a.png"), std::string::npos);
        EXPECT_TRUE(model.PicturePending());
        EXPECT_EQ(model.State().Caption, "");
        EXPECT_EQ(model.State().PictureSize, "");
        ASSERT_TRUE(decoder.WaitStarted(folder.File("a.png")));
        // A step while a is still being decoded: a's picture must never reach the pane.
        model.NextFile(false);
        EXPECT_EQ(model.Current().FilePath, folder.File("b.png"));
        decoder.Release(folder.File("a.png"));
        ASSERT_TRUE(decoder.WaitReady(1));
        const int waiting = model.State().PictureRevision;
        model.PicturesReady();
        EXPECT_EQ(model.State().Picture, nullptr);
        EXPECT_EQ(model.State().PictureRevision, waiting);
        EXPECT_TRUE(model.PicturePending());
        decoder.Release(folder.File("b.png"));
        ASSERT_TRUE(decoder.WaitReady(2));
        model.PicturesReady();
        EXPECT_FALSE(model.PicturePending());
        EXPECT_EQ(PictureSizeOf(model.State()), std::make_pair(16, 12));
        EXPECT_EQ(model.State().PictureRevision, waiting + 1);
        EXPECT_EQ(model.State().PictureSize, "Размер картинки: 16 x 12");
        // The neighbours of b are decoded next; stepping to one draws in the same step.
        ASSERT_TRUE(decoder.WaitStarted(folder.File("c.png")));
        decoder.Release(folder.File("c.png"));
        ASSERT_TRUE(decoder.WaitReady(3));
        const std::shared_ptr<const TDIB> ofB = model.State().Picture;
        model.NextFile(false);
        EXPECT_FALSE(model.PicturePending());
        EXPECT_EQ(model.Current().FilePath, folder.File("c.png"));
        EXPECT_EQ(PictureSizeOf(model.State()), std::make_pair(16, 12));
        EXPECT_NE(model.State().Picture, ofB);
    }
    EXPECT_EQ(decoder.Decoded(folder.File("b.png")), 1);
}

TEST(Leafing, AChangedFileIsDecodedAgain) {
    TPictureFolder folder({"a.png"});
    TPictureLoader loader; // decodes the shown file at once
    const std::string a = folder.File("a.png");
    loader.Want({a});
    const std::optional<TDecodedPicture> first = loader.Ready(a);
    ASSERT_TRUE(first && first->Dib);
    EXPECT_EQ(first->Width, 16);
    // Rewritten with another picture of another size and time: the old one is not handed out.
    ASSERT_TRUE(WriteFile(a, SolidPng(5, 7, {1, 2, 3, 255})));
    const timespec later[2] = {{2000000000, 0}, {2000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, a.c_str(), later, 0), 0);
    EXPECT_FALSE(loader.Ready(a));
    loader.Want({a});
    const std::optional<TDecodedPicture> second = loader.Ready(a);
    ASSERT_TRUE(second && second->Dib);
    EXPECT_EQ(second->Width, 5);
    // A file that does not decode is ready too, without a bitmap.
    const std::string text = folder.Dir.File("t.png");
    ASSERT_TRUE(WriteFile(text, std::string(100, 'x')));
    loader.Want({text, a});
    ASSERT_TRUE(loader.Ready(text));
    EXPECT_FALSE(loader.Ready(text)->Dib);
}

// Memory running out for a large picture is the decoder's failure, on the worker thread or
// on the caller's: the file did not decode, and the loader decodes the next one.
TEST(Leafing, ADecodeThatThrowsIsAFileThatDidNotDecode) {
    TPictureFolder folder({"a.png", "b.png"});
    const std::string a = folder.File("a.png");
    const std::string b = folder.File("b.png");
    const auto decode = [&](const std::string& path) {
        if (path == a) throw std::bad_alloc();
        return TPictureLoader::DecodeFile(path);
    };
    std::mutex mutex;
    std::condition_variable changed;
    int ready = 0;
    TPictureLoader worker(
        [&] {
            const std::lock_guard lock(mutex);
            ++ready;
            changed.notify_all();
        },
        decode);
    worker.Want({a});
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, 5s, [&] { return ready >= 1; }));
    }
    ASSERT_TRUE(worker.Ready(a));
    EXPECT_FALSE(worker.Ready(a)->Dib);
    worker.Want({b});
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, 5s, [&] { return ready >= 2; }));
    }
    ASSERT_TRUE(worker.Ready(b));
    EXPECT_TRUE(worker.Ready(b)->Dib);

    TPictureLoader atOnce({}, decode);
    atOnce.Want({a});
    ASSERT_TRUE(atOnce.Ready(a));
    EXPECT_FALSE(atOnce.Ready(a)->Dib);
}

} // namespace
} // namespace tarvo::test
