// Writes the sample pictures shipped in samples/: small PNG, JPEG and WebP files with the
// parameter blocks the service writes, drawn as simple landscapes so the viewer has
// something to show. Usage: make_samples <folder>
#include "support/PicBuilder.h"
#include "support/PictureWriters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

using namespace tarvo::test;

struct TScene {
    double SkyTop[3];
    double SkyBottom[3];
    double Ground[3];
    double Sun[3];
    double SunX, SunY, SunRadius;
    double HillPhase;
};

// A sky gradient, a sun and rolling hills, 8-bit RGB rows.
std::vector<std::uint8_t> Landscape(int width, int height, const TScene& s) {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            const double v = static_cast<double>(y) / height;
            const double hill =
                0.62 + 0.08 * std::sin(u * 9.0 + s.HillPhase) + 0.04 * std::sin(u * 23.0);
            const double dx = u - s.SunX;
            const double dy = (v - s.SunY) * height / width;
            double c[3];
            for (int k = 0; k < 3; ++k) {
                c[k] = s.SkyTop[k] + (s.SkyBottom[k] - s.SkyTop[k]) * v;
                if (std::sqrt(dx * dx + dy * dy) < s.SunRadius) c[k] = s.Sun[k];
                if (v > hill) c[k] = s.Ground[k] * (1.1 - 0.5 * (v - hill));
                rgb.push_back(static_cast<std::uint8_t>(std::clamp(c[k], 0.0, 255.0)));
            }
        }
    }
    return rgb;
}

// A lossy WebP of the scene with the first block in an EXIF chunk after the pixels.
std::string TarvoWebp(const TParamSet& params, int width, int height, const TScene& scene) {
    const std::vector<std::uint8_t> rgb = Landscape(width, height, scene);
    std::vector<tarvo::testpic::TRgba> pixels;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        pixels.push_back({rgb[i], rgb[i + 1], rgb[i + 2], 255});
    const tarvo::testpic::TBytes simple = tarvo::testpic::WriteWebpLossy(width, height, pixels, 85);
    return ExtendedWebp(std::string(simple.begin(), simple.end()), width, height,
                        {RiffChunk("EXIF", WebpExif(FirstBlockText(params)))});
}

TPicture Picture(int width, int height, const TScene& scene) {
    TPicture picture;
    picture.Width = width;
    picture.Height = height;
    picture.Pixels = Landscape(width, height, scene);
    return picture;
}

bool Write(const std::string& folder, const std::string& name, const std::string& bytes) {
    if (WriteFile(folder + "/" + name, bytes)) return true;
    std::fprintf(stderr, "make_samples: cannot write %s/%s\n", folder.c_str(), name.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const TScene dusk{{40, 30, 90}, {250, 140, 90}, {40, 60, 45}, {255, 220, 120},
                      0.7,          0.45,           0.08,         0.0};
    const TScene noon{
        {70, 140, 230}, {190, 220, 250}, {70, 150, 60}, {255, 250, 210}, 0.2, 0.2, 0.06, 2.0};
    const TScene snow{
        {150, 170, 200}, {230, 235, 245}, {245, 248, 252}, {255, 255, 240}, 0.5, 0.3, 0.05, 4.0};
    const TScene night{{5, 10, 30}, {30, 40, 80}, {15, 25, 20}, {235, 235, 210},
                       0.8,         0.2,          0.04,         1.0};

    TParamSet fox;
    fox.JobId = "3e8a41c2-90f1-4b5e-8d2a-6c7b1f0e9a34";
    fox.Prompt =
        "Score_9, score_8_up, a red fox sitting in fresh snow, soft morning light, detailed fur";
    fox.NegPrompt = "blurry, low quality, extra legs";
    fox.Seed = "2873461190";

    TParamSet cat;
    cat.JobId = "b51d07e9-2c4a-4f83-a6e0-93d5c8f1720b";
    cat.Prompt = "рыжий кот на крыше на закате, тёплый свет, акварель";
    cat.NegPrompt = "размыто, лишние лапы";
    cat.Seed = "118054732";
    cat.Format = "jpeg";

    TParamSet hills;
    hills.JobId = "0c9f6e21-7d3b-48a5-b1e4-5a2f8c6d9e07";
    hills.Prompt = "'green hills under a wide summer sky, a single oak tree, oil painting'";
    hills.NegPrompt = "''";
    hills.Seed = "42";

    TParamSet harbour;
    harbour.JobId = "f2a7c5e8-1b9d-4e60-8a3c-7d4e2b1f6c95";
    harbour.Prompt = "a quiet harbour at night, lanterns reflected in still water, cinematic";
    harbour.NegPrompt = "text, watermark";
    harbour.Seed = "905112384";
    harbour.Format = "jpeg";

    TParamSet lighthouse;
    lighthouse.JobId = "6d1e9b47-a3c8-4f25-9e0b-2c7d5a8f1e36";
    lighthouse.Prompt = "an old lighthouse on a cliff at dawn, sea mist, soft pastel colours";
    lighthouse.NegPrompt = "people, boats";
    lighthouse.Seed = "3141592653";
    lighthouse.Format = "webp";

    bool ok = true;
    ok &= Write(folder, "fox-in-snow.png", TarvoPng(fox, Picture(320, 240, snow)));
    ok &= Write(folder, "кот-на-крыше.jpg", JpegFile(FirstBlockText(cat), Picture(320, 240, dusk)));
    ok &= Write(folder, "summer-hills.png", TarvoPng(hills, Picture(256, 256, noon)));
    ok &= Write(folder, "harbour-at-night.jpeg",
                JpegFile(FirstBlockText(harbour), Picture(240, 320, night)));
    ok &= Write(folder, "no-parameters.png", PngFile({}, {}, Picture(200, 150, noon)));
    ok &= Write(folder, "lighthouse-at-dawn.webp", TarvoWebp(lighthouse, 320, 240, dusk));
    return ok ? 0 : 1;
}
