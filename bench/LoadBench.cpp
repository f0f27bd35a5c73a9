// Loading the parameters of a typical Tarvo PNG and JPEG (warm cache) against the I/O floor:
// open the file, one pread of its first 40012 bytes, close.
#include "params/DatTypes.h"
#include "params/MyGrafObj.h"
#include "platform/LockedFile.h"
#include "support/PicBuilder.h"
#include "util/MyStrUnit.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string gPng;
std::string gJpeg;

tarvo::test::TParamSet TypicalParams() {
    tarvo::test::TParamSet params;
    params.Prompt = "a red fox sitting in deep snow at dawn, soft golden light, detailed fur, "
                    "shallow depth of field, telephoto lens, frost on the whiskers, pine forest "
                    "in the background, cinematic colour grading, highly detailed, 8k";
    params.NegPrompt = "blurry, low quality, watermark, text, extra limbs, deformed, oversaturated";
    return params;
}

void Floor(benchmark::State& state, const std::string* path) {
    std::vector<char> buffer(tarvo::ReadLimit);
    for (auto _ : state) {
        const int fd = open(path->c_str(), O_RDONLY | O_CLOEXEC);
        const ssize_t got = pread(fd, buffer.data(), buffer.size(), 0);
        close(fd);
        benchmark::DoNotOptimize(got);
    }
}

// The locked read that Load makes, alone: the floor plus the shared lock and the checks.
void ReadHead(benchmark::State& state, const std::string* path) {
    std::string buffer;
    for (auto _ : state)
        benchmark::DoNotOptimize(tarvo::ReadFileHead(*path, tarvo::ReadLimit, buffer));
}

void Load(benchmark::State& state, const std::string* path) {
    tarvo::TMyGraf graf(false);
    for (auto _ : state) {
        const bool ok = graf.Load(*path);
        if (!ok) state.SkipWithError("no parameters found");
        benchmark::DoNotOptimize(ok);
    }
}

void LoadWipeMode(benchmark::State& state, const std::string* path) {
    tarvo::TMyGraf graf(true);
    for (auto _ : state)
        benchmark::DoNotOptimize(graf.Load(*path));
}

// Parsing alone, from the bytes already in memory.
void LoadBytes(benchmark::State& state, const std::string* path) {
    const std::string bytes = tarvo::test::ReadWholeFile(*path).substr(0, tarvo::ReadLimit);
    tarvo::TMyGraf graf(false);
    for (auto _ : state)
        benchmark::DoNotOptimize(graf.LoadBytes(bytes));
}

BENCHMARK_CAPTURE(Floor, png, &gPng);
BENCHMARK_CAPTURE(ReadHead, png, &gPng);
BENCHMARK_CAPTURE(Load, png, &gPng);
BENCHMARK_CAPTURE(LoadWipeMode, png, &gPng);
BENCHMARK_CAPTURE(LoadBytes, png, &gPng);
BENCHMARK_CAPTURE(Floor, jpeg, &gJpeg);
BENCHMARK_CAPTURE(ReadHead, jpeg, &gJpeg);
BENCHMARK_CAPTURE(Load, jpeg, &gJpeg);
BENCHMARK_CAPTURE(LoadWipeMode, jpeg, &gJpeg);
BENCHMARK_CAPTURE(LoadBytes, jpeg, &gJpeg);

} // namespace

int main(int argc, char** argv) {
    tarvo::BuildCaseTable();
    char folder[] = "/tmp/tarvo-load-benchXXXXXX";
    if (mkdtemp(folder) == nullptr) return 1;
    gPng = std::string(folder) + "/typical.png";
    gJpeg = std::string(folder) + "/typical.jpg";
    const tarvo::test::TParamSet params = TypicalParams();
    // 256x256 noise: about 200 KB, as a generated picture is far larger than the 40012 bytes read.
    const tarvo::test::TPicture picture{256, 256, true, {}};
    if (!tarvo::test::WriteFile(gPng, tarvo::test::TarvoPng(params, picture)) ||
        !tarvo::test::WriteFile(
            gJpeg, tarvo::test::JpegFile(tarvo::test::FirstBlockText(params), picture))) {
        std::fprintf(stderr, "cannot write the benchmark pictures under %s\n", folder);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(gPng.c_str());
    std::remove(gJpeg.c_str());
    rmdir(folder);
    return 0;
}
