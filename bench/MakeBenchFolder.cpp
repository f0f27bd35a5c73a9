// Makes a folder of typical Tarvo pictures for the command-line benchmark: half PNG files
// with both parameter blocks before a 160x160 picture, half JPEG files with the UTF-16 block
// and a comment that pads them to about 64 KB, each with its own job, prompt and seed.
// Usage: MakeBenchFolder FOLDER [COUNT]   (COUNT defaults to 10000; FOLDER must be empty or new)
#include "support/PicBuilder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace tarvo::test;

constexpr const char* Prompts[] = {
    "a red fox in the snow, golden hour, 35mm",
    "старый маяк на скале, шторм, масляная живопись",
    "portrait of an astronaut cat, studio lighting, highly detailed",
    "'score_9, score_8_up, misty forest with a wooden bridge'",
    "city at night, neon reflections on wet asphalt, (rain:1.2)",
};

constexpr const char* Negatives[] = {
    "blurry, low quality, watermark",
    "размыто, лишние пальцы",
    "",
};

TParamSet ParamsFor(int i) {
    TParamSet params;
    char job[40];
    std::snprintf(job, sizeof job, "%08x-5b8e-4d21-9c6f-%012x",
                  static_cast<unsigned>(i) * 2654435761u, static_cast<unsigned>(i));
    params.JobId = job;
    params.Prompt = Prompts[i % std::size(Prompts)];
    params.NegPrompt = Negatives[i % std::size(Negatives)];
    params.Seed = std::to_string(1000000007LL * (i + 1) % 4294967291LL);
    params.Format = i % 2 == 0 ? "png" : "jpeg";
    return params;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s FOLDER [COUNT]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const int count = argc == 3 ? std::atoi(argv[2]) : 10000;
    if (count <= 0) {
        std::fprintf(stderr, "COUNT must be a positive number\n");
        return 2;
    }
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        std::perror(folder.c_str());
        return 1;
    }
    TPicture picture;
    picture.Width = 160;
    picture.Height = 160;
    picture.Noisy = true;
    // The pixels are the same in every file; only the parameter blocks differ.
    const std::string ihdr = IhdrChunk(picture);
    const std::string idat = IdatChunk(picture);
    const std::string iend = IendChunk();
    const std::string signature("\x89PNG\r\n\x1A\n", 8);
    for (int i = 0; i < count; ++i) {
        const TParamSet params = ParamsFor(i);
        char name[32];
        std::string bytes;
        if (i % 2 == 0) {
            std::snprintf(name, sizeof name, "/pic_%05d.png", i);
            bytes = signature + ihdr + Chunk("eXIf", FirstBlockText(params)) +
                    Chunk("tEXt", GenInfoText(params)) + idat + iend;
        } else {
            std::snprintf(name, sizeof name, "/pic_%05d.jpg", i);
            bytes = JpegFile(FirstBlockText(params), picture, 64000);
        }
        if (bytes.empty() || !WriteFile(folder + name, bytes)) {
            std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), name);
            return 1;
        }
    }
    return 0;
}
