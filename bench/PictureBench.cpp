// Decoding a picture for display (LoadPicture plus the display copy) against the bare
// library decode of the same file, for 1024 and 2048-pixel square PNG, JPEG and lossy WebP
// pictures that the benchmark writes at start. The display path should stay within 1.3x of the bare
// decode.
#include "picture/DIB.h"
#include "picture/LoadImageFile.h"
#include "support/PictureWriters.h"

#include <benchmark/benchmark.h>
#include <png.h>
#include <turbojpeg.h>
#include <webp/decode.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace tp = tarvo::testpic;

// The pictures live in a fresh temporary folder, removed at exit.
class BenchFiles {
public:
    BenchFiles() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarvo-picture-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        FDir = pattern;
        for (const int size : {1024, 2048}) {
            const auto pixels = tp::NaturalPicture(size, size, static_cast<std::uint32_t>(size));
            Write(Path("png", size), tp::WritePngRgb(size, size, pixels));
            Write(Path("jpg", size), tp::WriteJpeg(size, size, pixels, 90, TJSAMP_420));
            Write(Path("webp", size), tp::WriteWebpLossy(size, size, pixels, 85));
        }
    }
    ~BenchFiles() {
        std::error_code ec;
        std::filesystem::remove_all(FDir, ec);
    }
    std::string Path(const std::string& ext, int size) const {
        return FDir + "/picture" + std::to_string(size) + "." + ext;
    }

private:
    static void Write(const std::string& path, const tp::TBytes& bytes) {
        if (bytes.empty() || !tp::WriteFileBytes(path, bytes)) std::abort();
    }
    std::string FDir;
};

const BenchFiles& Files() {
    static const BenchFiles files;
    return files;
}

void BM_DisplayPath(benchmark::State& state, const char* ext) {
    const std::string path = Files().Path(ext, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        tarvo::TLoadImageFile loader;
        if (!loader.LoadPicture(path)) state.SkipWithError("LoadPicture failed");
        tarvo::TDIB dib;
        if (!dib.Assign(*loader.Image)) state.SkipWithError("copy failed");
        benchmark::DoNotOptimize(dib.Bitmap().Bits());
    }
}

void BM_BarePng(benchmark::State& state) {
    const std::string path = Files().Path("png", static_cast<int>(state.range(0)));
    for (auto _ : state) {
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, path.c_str())) state.SkipWithError("png");
        image.format = PNG_FORMAT_BGR;
        auto pixels = std::make_unique_for_overwrite<std::uint8_t[]>(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, pixels.get(), 0, nullptr))
            state.SkipWithError("png");
        benchmark::DoNotOptimize(pixels.get());
    }
}

void BM_BareJpeg(benchmark::State& state) {
    const std::string path = Files().Path("jpg", static_cast<int>(state.range(0)));
    tjhandle handle = tjInitDecompress();
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in),
                                               std::istreambuf_iterator<char>()};
        int w = 0;
        int h = 0;
        int subsampling = 0;
        int colorspace = 0;
        if (tjDecompressHeader3(handle, bytes.data(), bytes.size(), &w, &h, &subsampling,
                                &colorspace) != 0)
            state.SkipWithError("jpeg");
        auto pixels = std::make_unique_for_overwrite<std::uint8_t[]>(
            static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
        if (tjDecompress2(handle, bytes.data(), bytes.size(), pixels.get(), w, 0, h, TJPF_BGR, 0) !=
            0)
            state.SkipWithError("jpeg");
        benchmark::DoNotOptimize(pixels.get());
    }
    tjDestroy(handle);
}

void BM_BareWebp(benchmark::State& state) {
    const std::string path = Files().Path("webp", static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
        int w = 0;
        int h = 0;
        std::uint8_t* pixels = WebPDecodeBGR(bytes.data(), bytes.size(), &w, &h);
        if (pixels == nullptr) state.SkipWithError("webp");
        benchmark::DoNotOptimize(pixels);
        WebPFree(pixels);
    }
}

BENCHMARK_CAPTURE(BM_DisplayPath, png, "png")->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BarePng)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DisplayPath, jpeg, "jpg")->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareJpeg)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DisplayPath, webp, "webp")
    ->Arg(1024)
    ->Arg(2048)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareWebp)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
