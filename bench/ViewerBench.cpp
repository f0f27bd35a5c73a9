// The window's leafing cost: the time from NextFile to the picture drawn in the shown
// window (offscreen), against decoding the same picture alone, for 1024 x 1024 PNG and JPEG
// pictures that carry the parameter blocks. Target: NextFile within 1.3x of the decode.
#include "window/Unit1.h"
#include "picture/LoadImageFile.h"
#include "support/PictureWriters.h"
#include "window/TDXPaintBox.h"
#include "support/PicBuilder.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QLineEdit>

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace tp = tarvo::testpic;
namespace tt = tarvo::test;

constexpr int Size = 1024;

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

// Two pictures per kind in their own folders, so every NextFile steps to the other one.
class BenchFolders {
public:
    BenchFolders() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarvo-viewer-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        FRoot = pattern;
        for (const char* kind : {"png", "jpg"}) {
            std::filesystem::create_directory(Folder(kind));
            for (int i = 0; i < 2; ++i) {
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

// A window shown offscreen, listing the kind's folder, with its first picture displayed.
class TBenchWindow {
public:
    explicit TBenchWindow(const char* kind) : FForm(FDialogs) {
        FForm.InitForm();
        FForm.show();
        QCoreApplication::processEvents();
        FForm.edt1->setText(QString::fromStdString(Folders().Folder(kind)));
        FForm.NextFile(false);
        QCoreApplication::processEvents();
    }
    tarvo::TForm1& Form() { return FForm; }
    bool AllShown() const { return FForm.Model->PicShown() && FDialogs.Beeps == 0; }

private:
    tt::TScriptedDialogs FDialogs;
    tarvo::TForm1 FForm;
};

// NextFile returns once the new picture is drawn (LoadFile paints at once); the labels and
// text pane it changed are repainted by the event loop afterwards, outside the timing.
void BM_NextFileToDrawn(benchmark::State& state, const char* kind) {
    TBenchWindow window(kind);
    for (auto _ : state) {
        window.Form().NextFile(false);
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    if (!window.AllShown()) state.SkipWithError("the pictures were not shown");
}

// The same, until the whole window has settled: every change painted.
void BM_NextFileSettled(benchmark::State& state, const char* kind) {
    TBenchWindow window(kind);
    for (auto _ : state) {
        window.Form().NextFile(false);
        QCoreApplication::processEvents();
    }
    if (!window.AllShown()) state.SkipWithError("the pictures were not shown");
}

void BM_DecodeAlone(benchmark::State& state, const char* kind) {
    int i = 0;
    for (auto _ : state) {
        tarvo::TLoadImageFile loader;
        const bool ok = loader.LoadPicture(Folders().File(kind, i));
        benchmark::DoNotOptimize(ok);
        if (!ok) state.SkipWithError("decode failed");
        i = 1 - i;
    }
}

// The picture's own path inside the shown window: decode, display copy, immediate paint.
void BM_DecodeCopyPaint(benchmark::State& state, const char* kind) {
    tt::TScriptedDialogs dialogs;
    tarvo::TForm1 form(dialogs);
    form.InitForm();
    form.show();
    QCoreApplication::processEvents();
    int i = 0;
    for (auto _ : state) {
        tarvo::TLoadImageFile loader;
        if (!loader.LoadPicture(Folders().File(kind, i)) || !loader.Image ||
            !form.dxpntbx1->AssignDIB(*loader.Image))
            state.SkipWithError("decode failed");
        form.dxpntbx1->Paint();
        i = 1 - i;
    }
}

BENCHMARK_CAPTURE(BM_DecodeCopyPaint, png, "png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeCopyPaint, jpg, "jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeAlone, png, "png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NextFileToDrawn, png, "png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NextFileSettled, png, "png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeAlone, jpg, "jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NextFileToDrawn, jpg, "jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NextFileSettled, jpg, "jpg")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The window is drawn offscreen unless a platform was chosen.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    Folders(); // the pictures are written before anything is timed
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
