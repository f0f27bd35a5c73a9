// Cost of listing and leafing through a large folder: TFilesObj::Fill against the floor of
// one directory read plus one stat per listed file, and StepExisting against one stat.
#include "app/FilesObj.h"
#include "params/DatTypes.h"
#include "platform/FileSys.h"

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;

constexpr int kCandidates = 10000;
constexpr int kOthers = 10000;

// 10,000 pictures (png, jpg, jpeg, some outside the size limits or WebP) and 10,000 other
// files in one folder, made once per run and removed at exit.
class BenchFolder {
public:
    BenchFolder() {
        std::string pattern = (fs::temp_directory_path() / "tarvo-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        FPath = pattern;
        static const char* const exts[] = {"png", "jpg", "jpeg", "PNG"};
        char name[64];
        for (int i = 0; i < kCandidates; ++i) {
            std::snprintf(name, sizeof name, "Tarvo_%05d_%d.%s", (i * 7919) % kCandidates, i % 3,
                          exts[i % 4]);
            Make(name, 1000 + i);
        }
        for (int i = 0; i < kOthers; ++i) {
            std::snprintf(name, sizeof name, "other_%05d.%s", i, i % 2 ? "txt" : "gif");
            Make(name, 1000);
        }
    }
    ~BenchFolder() {
        std::error_code ec;
        fs::remove_all(FPath, ec);
    }
    const std::string& Path() const { return FPath; }

private:
    void Make(const char* name, off_t size) {
        const int fd = open((FPath + "/" + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ftruncate(fd, size) != 0) std::abort();
        close(fd);
    }
    std::string FPath;
};

const BenchFolder& Folder() {
    static const BenchFolder folder;
    return folder;
}

bool IsCandidate(std::string_view name) {
    for (int i = 0; i < tarvo::TarvoExtCount; ++i) {
        const std::string_view ext = tarvo::PicExts[i];
        if (name.size() <= ext.size() || name[name.size() - ext.size() - 1] != '.') continue;
        bool same = true;
        for (std::size_t k = 0; k < ext.size() && same; ++k) {
            const char a = name[name.size() - ext.size() + k];
            same = (a | 0x20) == (ext[k] | 0x20);
        }
        if (same) return true;
    }
    return false;
}

// The floor: one pass over the directory and one stat of every picture in it.
void BM_OneReaddirPlusStatPerPicture(benchmark::State& state) {
    const std::string& path = Folder().Path();
    for (auto _ : state) {
        DIR* dir = opendir(path.c_str());
        const int fd = dirfd(dir);
        std::size_t listed = 0;
        while (const dirent* entry = readdir(dir)) {
            if (!IsCandidate(entry->d_name)) continue;
            struct stat st {};
            if (fstatat(fd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) ++listed;
        }
        closedir(dir);
        benchmark::DoNotOptimize(listed);
    }
}
BENCHMARK(BM_OneReaddirPlusStatPerPicture)->Unit(benchmark::kMillisecond);

void BM_FillFiltered(benchmark::State& state) {
    tarvo::TFilesObj list;
    list.TarvoFilter = true;
    for (auto _ : state) {
        list.Fill(Folder().Path());
        benchmark::DoNotOptimize(list.Names.data());
    }
    state.counters["names"] = static_cast<double>(list.Names.size());
}
BENCHMARK(BM_FillFiltered)->Unit(benchmark::kMillisecond);

void BM_FillUnfiltered(benchmark::State& state) {
    tarvo::TFilesObj list;
    for (auto _ : state) {
        list.Fill(Folder().Path());
        benchmark::DoNotOptimize(list.Names.data());
    }
    state.counters["names"] = static_cast<double>(list.Names.size());
}
BENCHMARK(BM_FillUnfiltered)->Unit(benchmark::kMillisecond);

// One existence test, the cost a step must stay near however large the folder is.
void BM_OneFileExists(benchmark::State& state) {
    const std::string path = Folder().Path() + "/other_00001.txt";
    for (auto _ : state)
        benchmark::DoNotOptimize(tarvo::FileExists(path));
}
BENCHMARK(BM_OneFileExists);

void BM_StepExistingInTheLargeFolder(benchmark::State& state) {
    tarvo::TFilesObj list;
    list.TarvoFilter = true;
    list.Fill(Folder().Path());
    for (auto _ : state)
        benchmark::DoNotOptimize(list.StepExisting(false));
    state.counters["names"] = static_cast<double>(list.Names.size());
}
BENCHMARK(BM_StepExistingInTheLargeFolder);

} // namespace

BENCHMARK_MAIN();
