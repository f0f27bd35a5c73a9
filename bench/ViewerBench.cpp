// Leafing in the shown window (offscreen) through 2048 x 2048 PNG and JPEG pictures that
// carry the parameter blocks: a step to a picture decoded ahead, text and picture painted
// (target 10 ms); a step to one that was not, until it is painted; a step while another
// picture is still decoding, which shows the text only (target 2 ms); the decode alone.
// With --leaf COUNT it leafs once through COUNT pictures instead, for bench/leaf_rss.sh.
#include "picture/LoadImageFile.h"
#include "support/PicBuilder.h"
#include "support/PictureWriters.h"
#include "support/ScriptedDialogs.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace tp = tarvo::testpic;
namespace tt = tarvo::test;

constexpr int Size = 2048;

std::string PngWithParams(const std::vector<tp::TRgba>& pixels, const tt::TParamSet& params) {
    const tp::TBytes png = tp::WritePngRgb(Size, Size, pixels);
    std::string bytes(png.begin(), png.end());
    // Signature (8) and IHDR (25) first, then the two parameter chunks.
    bytes.insert(33, tt::Chunk("eXIf", tt::FirstBlockText(params)) +
                         tt::Chunk("tEXt", tt::GenInfoText(params)));
    return bytes;
}

std::string JpegWithParams(const std::vector<tp::TRgba>& pixels, const tt::TParamSet& params) {
    const tp::TBytes jpeg = tp::WriteJpeg(Size, Size, pixels, 90, TJSAMP_420);
    std::string bytes(jpeg.begin(), jpeg.end());
    // An Exif segment right after the JFIF APP0 segment (start marker 2 + APP0 18 bytes).
    const std::string data = tt::FirstBlockText(params);
    const std::size_t length = 2 + 6 + data.size();
    std::string segment = "\xFF\xE1";
    segment += static_cast<char>((length >> 8) & 0xFF);
    segment += static_cast<char>(length & 0xFF);
    segment += std::string("Exif\0\0", 6);
    segment += data;
    bytes.insert(20, segment);
    return bytes;
}

// Six pictures per kind in their own folders, so [>] leafs through them in turn.
constexpr int PictureCount = 6;

class BenchFolders {
public:
    BenchFolders() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarvo-viewer-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        FRoot = pattern;
        for (const char* kind : {"png", "jpg"}) {
            std::filesystem::create_directory(Folder(kind));
            for (int i = 0; i < PictureCount; ++i) {
                tt::TParamSet params;
                params.JobId = "bench-" + std::to_string(i);
                const auto pixels =
                    tp::NaturalPicture(Size, Size, static_cast<std::uint32_t>(i + 1));
                const std::string bytes = std::string(kind) == "png"
                                              ? PngWithParams(pixels, params)
                                              : JpegWithParams(pixels, params);
                if (!tt::WriteFile(File(kind, i), bytes)) std::abort();
            }
        }
    }
    ~BenchFolders() {
        std::error_code ec;
        std::filesystem::remove_all(FRoot, ec);
    }
    std::string Folder(const std::string& kind) const { return FRoot + "/" + kind; }
    std::string File(const std::string& kind, int i) const {
        return Folder(kind) + "/picture" + std::to_string(i) + "." + kind;
    }

private:
    std::string FRoot;
};

const BenchFolders& Folders() {
    static const BenchFolders folders;
    return folders;
}

// Lets the event loop run until the shown picture is painted.
void Settle(tarvo::TForm1& form) {
    while (form.Model->PicturePending()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    QCoreApplication::processEvents();
}

// A window shown offscreen, listing the kind's folder, with its first picture displayed and
// the decoding thread given time to decode the neighbours.
class TBenchWindowOn {
public:
    explicit TBenchWindowOn(const std::string& folder) : FForm(FDialogs) {
        FForm.InitForm();
        FForm.show();
        QCoreApplication::processEvents();
        FForm.edt1->setText(QString::fromStdString(folder));
        FForm.NextFile(false);
        Rest();
    }
    tarvo::TForm1& Form() { return FForm; }
    bool AllShown() const { return FForm.Model->PicShown() && FDialogs.Beeps == 0; }
    // Paints what is pending and waits long enough for the neighbours to be decoded.
    void Rest() {
        Settle(FForm);
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        QCoreApplication::processEvents();
    }

private:
    tt::TScriptedDialogs FDialogs;
    tarvo::TForm1 FForm;
};

// The kind's folder in such a window.
class TBenchWindow : public TBenchWindowOn {
public:
    explicit TBenchWindow(const char* kind) : TBenchWindowOn(Folders().Folder(kind)) {}
};

// Sequential leafing at a reading pace: the next picture was decoded ahead, and the step
// shows its text and paints it at once.
void BM_StepToPaintedPrefetched(benchmark::State& state, const char* kind) {
    TBenchWindow window(kind);
    for (auto _ : state) {
        window.Form().NextFile(false);
        Settle(window.Form());
        state.PauseTiming();
        window.Rest();
        state.ResumeTiming();
    }
    if (!window.AllShown()) state.SkipWithError("the pictures were not shown");
}

// The same without anything decoded ahead: the step waits for its own decode.
void BM_StepToPaintedCold(benchmark::State& state, const char* kind) {
    TBenchWindow window(kind);
    int i = 1;
    for (auto _ : state) {
        state.PauseTiming();
        window.Form().btn2->click(); // drops every decoded picture
        window.Form().edt1->setText(QString::fromStdString(Folders().Folder(kind)));
        QCoreApplication::processEvents();
        state.ResumeTiming();
        window.Form().LoadFile(Folders().File(kind, i));
        Settle(window.Form());
        i = (i + 1) % PictureCount;
    }
    if (!window.AllShown()) state.SkipWithError("the pictures were not shown");
}

// A step while the previous step's picture is still being decoded: the step shows the text
// and leaves the pane waiting for its picture.
void BM_StepWhileDecoding(benchmark::State& state, const char* kind) {
    TBenchWindow window(kind);
    int i = 1;
    for (auto _ : state) {
        state.PauseTiming();
        window.Form().btn2->click();
        window.Form().LoadFile(Folders().File(kind, i));
        i = (i + 1) % PictureCount;
        state.ResumeTiming();
        window.Form().LoadFile(Folders().File(kind, i));
        state.PauseTiming();
        Settle(window.Form());
        state.ResumeTiming();
    }
}

void BM_DecodeAlone(benchmark::State& state, const char* kind) {
    int i = 0;
    for (auto _ : state) {
        tarvo::TLoadImageFile loader;
        const bool ok = loader.LoadPicture(Folders().File(kind, i));
        benchmark::DoNotOptimize(ok);
        if (!ok) state.SkipWithError("decode failed");
        i = (i + 1) % PictureCount;
    }
}

BENCHMARK_CAPTURE(BM_DecodeAlone, png, "png")->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(BM_StepToPaintedPrefetched, png, "png")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_StepToPaintedCold, png, "png")->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(BM_StepWhileDecoding, png, "png")->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(BM_DecodeAlone, jpg, "jpg")->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(BM_StepToPaintedPrefetched, jpg, "jpg")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_StepToPaintedCold, jpg, "jpg")->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(BM_StepWhileDecoding, jpg, "jpg")->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

// Leafs through count pictures in one folder (names for four different pictures of each
// kind), each until it is painted: the memory of a long leafing session.
int Leaf(int count) {
    char pattern[] = "/var/tmp/tarvo-leaf-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    const std::string folder = pattern;
    for (int i = 0; i < count; ++i) {
        const std::string& kind = i % 2 == 0 ? "png" : "jpg";
        const std::string original = Folders().File(kind, (i / 2) % 4);
        const std::string name = folder + "/" + std::to_string(1000 + i) + "." + kind;
        if (link(original.c_str(), name.c_str()) != 0) std::filesystem::copy_file(original, name);
    }
    int shown = 0;
    {
        TBenchWindowOn window(folder);
        for (int i = 0; i < count; ++i) {
            window.Form().NextFile(false);
            Settle(window.Form());
            shown += window.Form().Model->PicShown() ? 1 : 0;
        }
    }
    std::filesystem::remove_all(folder);
    std::printf("leafed through %d pictures, %d painted\n", count, shown);
    return shown == count ? 0 : 1;
}

int main(int argc, char** argv) {
    // The window is drawn offscreen unless a platform was chosen.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--leaf") return Leaf(std::atoi(argv[2]));
    Folders(); // the pictures are written before anything is timed
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
