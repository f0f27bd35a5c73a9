// The cost of proving a wipe: the wipe of a file as a folder run does it (load, mark, write,
// read back, search the whole file for leftover copies; no sync), against the search for
// leftover copies alone, on typical pictures with a warm page cache: 2 MB PNG files whose
// pixel data stand in IDAT chunks of 8 KiB or 64 KiB (as common encoders write them) or in
// one chunk, 200 KB JPEG files, and 200 KB WebP files whose EXIF chunk follows the pixels.
// bench/wipe_verify_bench.sh turns the two into the cost ratio of a wipe with the proof against one
// without it.
#include "params/DatTypes.h"
#include "params/Leftovers.h"
#include "params/MyGrafObj.h"
#include "support/PicBuilder.h"
#include "util/MyStrUnit.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace tarvo::test;

constexpr int FileCount = 100;

struct TFolder {
    std::vector<std::string> Paths;
    // Each file's bytes as made up to its parameters, to undo a wipe.
    std::vector<std::string> Heads;
    std::vector<std::vector<tarvo::TNeedle>> Needles;
};

TParamSet ParamsFor(int i) {
    TParamSet params;
    params.JobId = "7f3c2a10-5b8e-4d21-9c6f-" + std::to_string(100000000000 + i);
    params.Prompt = "a red fox sitting in deep snow at dawn, soft golden light, detailed fur, "
                    "picture " +
                    std::to_string(i);
    params.NegPrompt = "blurry, low quality, watermark, text, extra limbs";
    params.Seed = std::to_string(1000000007LL * (i + 1) % 4294967291LL);
    return params;
}

// Signature, IHDR, the parameter chunks, the pixels in IDAT chunks of at most idatSize
// bytes, IEND.
std::string Png(const TParamSet& params, const TPicture& picture, std::size_t idatSize) {
    const std::string idat = IdatChunk(picture);
    const std::string packed = idat.substr(8, idat.size() - 12);
    std::string out = std::string(tarvo::PngSignature) + IhdrChunk(picture) +
                      Chunk("eXIf", FirstBlockText(params)) + Chunk("tEXt", GenInfoText(params));
    for (std::size_t at = 0; at < packed.size(); at += idatSize)
        out += Chunk("IDAT", packed.substr(at, idatSize));
    return out + IendChunk();
}

TFolder Make(const std::string& root, const std::string& kind) {
    TFolder folder;
    const std::string dir = root + "/" + kind;
    std::filesystem::create_directories(dir);
    TPicture picture;
    picture.Noisy = true;
    picture.Width = picture.Height = kind == "jpeg" ? 240 : 816; // 200 KB and 2 MB
    const std::size_t idatSize = kind == "png_8k"    ? 8192
                                 : kind == "png_64k" ? 65536
                                                     : std::size_t{1} << 30;
    for (int i = 0; i < FileCount; ++i) {
        const TParamSet params = ParamsFor(i);
        const bool webp = kind == "webp";
        const std::string bytes =
            kind == "jpeg" ? JpegFile(FirstBlockText(params), picture)
            : webp         ? WebpFile({RiffChunk("VP8L", std::string(200000, 'p')),
                                       RiffChunk("EXIF", WebpExif(FirstBlockText(params)))})
                           : Png(params, picture, idatSize);
        const std::string path = dir + "/" + std::to_string(i) +
                                 (kind == "jpeg" ? ".jpg"
                                  : webp         ? ".webp"
                                                 : ".png");
        if (bytes.empty() || !WriteFile(path, bytes)) std::abort();
        folder.Paths.push_back(path);
        folder.Heads.push_back(webp ? bytes : bytes.substr(0, tarvo::ReadLimit));
        folder.Needles.push_back({{"JobId", params.JobId},
                                  {"prompt", params.Prompt},
                                  {"negative_prompt", params.NegPrompt},
                                  {"seed", params.Seed}});
    }
    return folder;
}

// Writes the files' first bytes back as they were made: a wipe changes nothing beyond them.
void Restore(const TFolder& folder) {
    for (std::size_t i = 0; i < folder.Paths.size(); ++i) {
        const int fd = open(folder.Paths[i].c_str(), O_WRONLY | O_CLOEXEC);
        const std::string& head = folder.Heads[i];
        if (fd < 0 || pwrite(fd, head.data(), head.size(), 0) != static_cast<ssize_t>(head.size()))
            std::abort();
        close(fd);
    }
}

class TFdReader : public tarvo::TByteReader {
public:
    explicit TFdReader(int fd) : FFd(fd) {}
    std::int64_t Size() const override { return lseek(FFd, 0, SEEK_END); }
    bool ReadAt(std::int64_t offset, std::size_t length, std::string& out) override {
        out.resize(length);
        return pread(FFd, out.data(), length, offset) == static_cast<ssize_t>(length);
    }

private:
    int FFd;
};

void Wipe(benchmark::State& state, const TFolder* folder) {
    tarvo::ParJobId = tarvo::ParPrompt = tarvo::ParNegPrompt = tarvo::ParSeed = true;
    tarvo::TMyGraf graf(true);
    graf.SyncWrites = false; // as in a folder run, which syncs once at its end
    for (auto _ : state) {
        state.PauseTiming();
        Restore(*folder);
        state.ResumeTiming();
        for (const std::string& path : folder->Paths) {
            if (!graf.Load(path) || !graf.Mark() ||
                graf.WriteMarked(path).Result != tarvo::TWriteResult::Written)
                state.SkipWithError("wipe failed");
        }
    }
    state.counters["per_file"] = benchmark::Counter(static_cast<double>(folder->Paths.size()),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

void Search(benchmark::State& state, const TFolder* folder) {
    for (auto _ : state) {
        for (std::size_t i = 0; i < folder->Paths.size(); ++i) {
            const int fd = open(folder->Paths[i].c_str(), O_RDONLY | O_CLOEXEC);
            TFdReader reader(fd);
            benchmark::DoNotOptimize(tarvo::FindLeftovers(reader, folder->Needles[i]));
            close(fd);
        }
    }
    state.counters["per_file"] = benchmark::Counter(static_cast<double>(folder->Paths.size()),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

} // namespace

int main(int argc, char** argv) {
    tarvo::BuildCaseTable();
    char pattern[] = "/var/tmp/tarvo-wipe-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    const std::string root = pattern;
    static std::vector<std::pair<std::string, TFolder>> folders;
    for (const char* kind : {"png_8k", "png_64k", "png_1chunk", "jpeg", "webp"})
        folders.emplace_back(kind, Make(root, kind));
    for (const auto& [kind, folder] : folders) {
        benchmark::RegisterBenchmark(("BM_Wipe/" + kind).c_str(), Wipe, &folder)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_Search/" + kind).c_str(), Search, &folder)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(root);
    return 0;
}
