// Makes a folder of typical Tarvo pictures for the command-line benchmarks, each with its own
// job, prompt and seed. By default half PNG files with both parameter blocks before a 160x160
// picture, half JPEG files with the UTF-16 block and a comment that pads them to about 64 KB.
// --kind keeps to one format; --size sets each file's size through its picture's size (no
// padding): a PNG's pixels stand in IDAT chunks of 8 KiB, as libpng writes them, a JPEG's in
// its scan. A range spreads the sizes evenly over it. --kind bomb makes hostile PNG files of
// about 4.7 MB: their parameter blocks, then 280 zTXt chunks that each inflate to 16 MiB of
// zeros. --kind webui makes the PNG files with a web UI's "parameters" text chunk in place
// of the Tarvo blocks, padded to the Tarvo blocks' size, to compare their cost.
// Usage: MakeBenchFolder [--kind mixed|png|jpeg|bomb|webui] [--size BYTES[-BYTES]] FOLDER [COUNT]
//   COUNT defaults to 10000; FOLDER must be empty or new.
#include "params/DatTypes.h"
#include "support/PicBuilder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

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

constexpr std::size_t IdatBytes = 8192;

enum class TKind { Mixed, Png, Jpeg, Bomb, WebUi };

constexpr int BombChunks = 280;
constexpr std::size_t BombInflated = std::size_t{16} << 20;

struct TOptions {
    std::string Folder;
    int Count = 10000;
    TKind Kind = TKind::Mixed;
    // Bytes per file, 0 for the default pictures; files spread evenly from SizeMin to SizeMax.
    std::size_t SizeMin = 0;
    std::size_t SizeMax = 0;
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

bool ParseSize(const char* text, std::size_t& low, std::size_t& high) {
    char* end = nullptr;
    low = std::strtoull(text, &end, 10);
    high = low;
    if (*end == '-') high = std::strtoull(end + 1, &end, 10);
    return *end == '\0' && low > 0 && high >= low;
}

bool ParseOptions(int argc, char** argv, TOptions& options) {
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        if (i + 1 >= argc) return false;
        const std::string name = argv[i];
        const char* value = argv[++i];
        if (name == "--kind" && std::strcmp(value, "mixed") == 0)
            options.Kind = TKind::Mixed;
        else if (name == "--kind" && std::strcmp(value, "png") == 0)
            options.Kind = TKind::Png;
        else if (name == "--kind" && std::strcmp(value, "jpeg") == 0)
            options.Kind = TKind::Jpeg;
        else if (name == "--kind" && std::strcmp(value, "bomb") == 0)
            options.Kind = TKind::Bomb;
        else if (name == "--kind" && std::strcmp(value, "webui") == 0)
            options.Kind = TKind::WebUi;
        else if (name != "--size" || !ParseSize(value, options.SizeMin, options.SizeMax))
            return false;
    }
    if (i == argc || argc - i > 2) return false;
    options.Folder = argv[i];
    if (argc - i == 2) options.Count = std::atoi(argv[i + 1]);
    return options.Count > 0;
}

// The noisy square picture whose side makes a file of about bytes, given the bytes that one
// pixel takes in the format and the bytes the file needs besides its pixels.
TPicture PictureFor(std::size_t bytes, double bytesPerPixel, std::size_t overhead) {
    const double pixels = static_cast<double>(std::max(bytes, overhead + 16) - overhead);
    TPicture picture;
    picture.Width = std::max(1, static_cast<int>(std::lround(std::sqrt(pixels / bytesPerPixel))));
    picture.Height = picture.Width;
    picture.Noisy = true;
    return picture;
}

// A web UI's "parameters" chunk of params, padded with settings to chunkSize bytes.
std::string WebUiChunk(const TParamSet& params, std::size_t chunkSize) {
    std::string text = params.Prompt + "\nNegative prompt: " + params.NegPrompt +
                       "\nSteps: 30, Sampler: DPM++ 2M Karras, CFG scale: 7, Seed: " + params.Seed +
                       ", Size: 512x768, Model: base";
    const std::size_t head = 12 + 11; // length, type, CRC; keyword and NUL
    if (text.size() + head < chunkSize)
        text += ", Notes: " + std::string(chunkSize - head - text.size() - 9, 'n');
    return Chunk("tEXt", std::string("parameters", 11) + text);
}

// Makes the files; the pixels of each picture size are made once, only the parameter blocks
// differ from file to file.
class TMaker {
public:
    explicit TMaker(const TOptions& options) : FOptions(options) {
        FDefaultPicture.Width = 160;
        FDefaultPicture.Height = 160;
        FDefaultPicture.Noisy = true;
        // JPEG bytes per pixel of these noisy pictures, from one trial picture.
        TPicture trial = FDefaultPicture;
        FJpegBytesPerPixel =
            static_cast<double>(JpegFile(FirstBlockText(), trial, 0).size()) / (160.0 * 160.0);
    }

    // The file's name (with a leading '/') and bytes; empty bytes when the encoder failed.
    void Make(int i, std::string& name, std::string& bytes) {
        const TParamSet params = ParamsFor(i);
        if (FOptions.Kind == TKind::Bomb) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "/bomb_%05d.png", i);
            name = buffer;
            if (FBomb.empty()) FBomb = ZtxtChunk("Comment", std::string(BombInflated, '\0'));
            std::vector<std::string> chunks = {Chunk("eXIf", FirstBlockText(params)),
                                               Chunk("tEXt", GenInfoText(params))};
            chunks.resize(2 + BombChunks, FBomb);
            bytes = PngFile(chunks, {}, FDefaultPicture);
            return;
        }
        const bool png = FOptions.Kind == TKind::Png || FOptions.Kind == TKind::WebUi ||
                         (FOptions.Kind == TKind::Mixed && i % 2 == 0);
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, png ? "/pic_%05d.png" : "/pic_%05d.jpg", i);
        name = buffer;
        const std::size_t size = SizeOf(i);
        if (png) {
            const std::string& pixels =
                size == 0 ? Pixels(FDefaultPicture) : Pixels(PngPicture(size));
            const std::string tarvo =
                Chunk("eXIf", FirstBlockText(params)) + Chunk("tEXt", GenInfoText(params));
            bytes = std::string(tarvo::PngSignature) + Ihdr(size) +
                    (FOptions.Kind == TKind::WebUi ? WebUiChunk(params, tarvo.size()) : tarvo);
            if (size == 0) {
                bytes += Chunk("IDAT", pixels);
            } else {
                for (std::size_t at = 0; at < pixels.size(); at += IdatBytes)
                    bytes += Chunk("IDAT", std::string_view(pixels).substr(at, IdatBytes));
            }
            bytes += IendChunk();
        } else if (size == 0) {
            bytes = JpegFile(FirstBlockText(params), FDefaultPicture, 64000);
        } else {
            bytes = JpegFile(FirstBlockText(params), PictureFor(size, FJpegBytesPerPixel, 1000), 0);
        }
    }

private:
    // 0 for the default pictures.
    std::size_t SizeOf(int i) const {
        if (FOptions.SizeMin == 0 || FOptions.Count == 1) return FOptions.SizeMin;
        const std::size_t span = FOptions.SizeMax - FOptions.SizeMin;
        return FOptions.SizeMin +
               span * static_cast<std::size_t>(i) / static_cast<std::size_t>(FOptions.Count - 1);
    }

    static TPicture PngPicture(std::size_t size) { return PictureFor(size, 3.0, 1200); }

    std::string Ihdr(std::size_t size) const {
        return IhdrChunk(size == 0 ? FDefaultPicture : PngPicture(size));
    }

    // The compressed pixels of picture (the IDAT data), made once per picture side.
    const std::string& Pixels(const TPicture& picture) {
        std::string& pixels = FPixels[picture.Width];
        if (pixels.empty()) {
            const std::string idat = IdatChunk(picture);
            pixels = idat.substr(8, idat.size() - 12);
        }
        return pixels;
    }

    const TOptions& FOptions;
    TPicture FDefaultPicture;
    double FJpegBytesPerPixel = 2.5;
    std::map<int, std::string> FPixels;
    std::string FBomb; // a zTXt chunk of 16 MiB of zeros, made once
};

} // namespace

int main(int argc, char** argv) {
    TOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--kind mixed|png|jpeg|bomb|webui] [--size BYTES[-BYTES]] FOLDER "
                     "[COUNT]\n",
                     argv[0]);
        return 2;
    }
    if (mkdir(options.Folder.c_str(), 0755) != 0 && errno != EEXIST) {
        std::perror(options.Folder.c_str());
        return 1;
    }
    TMaker maker(options);
    std::string name;
    std::string bytes;
    for (int i = 0; i < options.Count; ++i) {
        maker.Make(i, name, bytes);
        if (bytes.empty() || !WriteFile(options.Folder + name, bytes)) {
            std::fprintf(stderr, "cannot write %s%s\n", options.Folder.c_str(), name.c_str());
            return 1;
        }
    }
    return 0;
}
