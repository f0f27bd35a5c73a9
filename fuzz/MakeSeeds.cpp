// Writes the seed corpora of the fuzz targets: make_fuzz_seeds <corpusRoot> fills
// <corpusRoot>/<target>/ for every target. The pictures are made by the project's own builders.
#include "PictureSeeds.h"
#include "params/DatTypes.h"
#include "platform/TextCodec.h"
#include "support/PicBuilder.h"

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tarvo::test;

using TSeeds = std::vector<std::pair<std::string, std::string>>; // name, bytes

bool WriteSeeds(const std::string& root, const std::string& target, const TSeeds& seeds) {
    const std::filesystem::path folder = std::filesystem::path(root) / target;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return false;
    for (const auto& [name, bytes] : seeds)
        if (!WriteFile((folder / name).string(), bytes)) return false;
    return true;
}

std::string FoldedText() {
    return "JobId: j1\nprompt: >-\n  first paragraph\n\n  second paragraph\n"
           "negative_prompt: >+\n  keep one\n  keep two\n\nseed: 42\nnote: >\n  plain\n"
           "format: png\n";
}

constexpr const char* WebUi =
    "a castle at dusk, \"golden\" light\nNegative prompt: fog,\nrain\n"
    "Steps: 20, Sampler: Euler a, Lora hashes: \"a: 1, b: 2\", Seed: 8675309, Size: 512x512\n";

TSeeds LoadSeeds() {
    const TParamSet params;
    TParamSet unicode;
    unicode.Prompt = "рыжая лиса 🦊";
    const std::string exif = Chunk("eXIf", FirstBlockText(params));
    const std::string text = Chunk("tEXt", GenInfoText(params));
    const std::string crlf = Chunk("tEXt", GenInfoData(GenInfoObject(GenInfoLines(), "\r\n")));
    const std::string whole = TarvoPng(params);
    TLines wiped = GenInfoLines();
    wiped[1].Value = " \"     \",";
    wiped[3].Value = "           ,";
    std::string exifFirst = JpegHead(FirstBlockText(), 20000);
    exifFirst[3] = static_cast<char>(0xE1);
    return {
        {"png_both", whole},
        {"png_first_only", PngFile({exif})},
        {"png_second_only", PngFile({text})},
        {"png_unicode", TarvoPng(unicode)},
        {"png_folded", PngFile({Chunk("eXIf", FirstBlockData(FoldedText())), crlf})},
        {"png_wiped_text", PngFile({Chunk("tEXt", GenInfoData(GenInfoObject(wiped)))})},
        {"png_bad_crc",
         PngFile({Chunk("eXIf", FirstBlockText(), true), Chunk("tEXt", GenInfoText(), true)})},
        {"png_case", PngFile({Chunk("EXIF", FirstBlockText()), Chunk("text", GenInfoText())})},
        {"png_two_texts", PngFile({text, Chunk("tEXt", GenInfoText(unicode))})},
        {"png_empty_chunks", PngFile({Chunk("eXIf", ""), Chunk("tEXt", ""), text})},
        {"png_big_idat", PngFile({exif}, {text}, TPicture{96, 96, true, {}})},
        {"png_bad_length", PngFile({ChunkWithLength(20001, "tEXt", GenInfoText())})},
        {"png_cut", whole.substr(0, whole.size() / 2)},
        {"png_no_format", PngFile({Chunk("eXIf", FirstBlockData("JobId: 1\nprompt: p\n"))})},
        {"jpeg_real", JpegFile(FirstBlockText(params))},
        {"jpeg_head_20000", JpegHead(FirstBlockText(params), 20000)},
        {"jpeg_head_19999", JpegHead(FirstBlockText(params), 19999)},
        {"jpeg_folded", JpegHead(FirstBlockData(FoldedText()), 20000)},
        {"jpeg_exif_first", exifFirst},
        {"webp_exif_after_pixels", WebpFile({RiffChunk("VP8L", std::string(301, 'p')),
                                             RiffChunk("EXIF", WebpExif(FirstBlockText(params)))})},
        {"webp_exif_prefixed_first",
         WebpFile({RiffChunk("VP8X", std::string(10, '\0')),
                   RiffChunk("EXIF", WebpExif(FirstBlockText(unicode), true)),
                   RiffChunk("VP8 ", std::string(40, 'v'))})},
        {"webp_riff_past_end", WebpFile({RiffChunk("EXIF", WebpExif(FirstBlockText(params)))})
                                   .replace(4, 4, std::string("\xFF\xFF\0\0", 4))},
        {"png_web_ui", PngFile({Chunk("tEXt", std::string("parameters", 11) + WebUi)})},
        {"png_web_ui_itxt",
         PngFile({Chunk("iTXt", std::string("parameters\0\0\0\0\0", 15) + WebUi)})},
        {"png_web_ui_ztxt", PngFile({ZtxtChunk("parameters", WebUi)})},
        {"png_other_text", PngFile({Chunk("tEXt", std::string("Comment\0by hand", 15))})},
        {"png_novelai",
         PngFile({Chunk("tEXt", std::string("Description\0a \"fox\"", 20)),
                  Chunk("tEXt", std::string("Comment\0", 8) +
                                    R"({"prompt": "a \"fox\"", "uc": "lowres", "seed": 12345})")})},
        {"png_invokeai",
         PngFile({Chunk(
             "iTXt", std::string("invokeai_metadata\0\0\0\0\0", 22) +
                         R"({"positive_prompt": "an owl", "negative_prompt": "", "seed": 7})")})},
        {"png_comfyui",
         PngFile(
             {Chunk("tEXt", std::string("prompt\0", 7) +
                                R"({"3": {"inputs": {"seed": 5, "positive": ["6", 0], )"
                                R"("negative": ["7", 0]}}, "6": {"inputs": {"text": "a cat"}}, )"
                                R"("7": {"inputs": {"text": "blurry"}}})"),
              Chunk("tEXt", std::string("workflow\0", 9) +
                                R"({"nodes": [{"id": 6, "widgets_values": ["a cat"]}, )"
                                R"({"id": 3, "widgets_values": [5, "fixed"]}]})")})},
        {"jpeg_web_ui_utf16be",
         JpegHead(std::string("II*\0UNICODE\0", 12) +
                      tarvo::Utf8ToWide("a cat\nNegative prompt: dog\nSteps: 20, Seed: 5", true),
                  20000)},
        {"webp_web_ui_ascii",
         WebpFile(
             {RiffChunk("EXIF", std::string("II*\0ASCII\0\0\0a cat\nSteps: 20, Seed: 5", 36))})},
        {"png_sd_metadata",
         PngFile({Chunk("tEXt", std::string("sd-metadata\0", 12) +
                                    R"({"image": {"prompt": "a ship", "seed": 9}})")})},
        {"text_file", "JobId: 1\nprompt: not a picture\n"},
        {"short", std::string(tarvo::PngSignature.substr(0, 6))},
    };
}

// Block data for FuzzParse: mode byte, then the data (see FuzzParse.cpp).
TSeeds ParseSeeds() {
    TLines wiped = GenInfoLines();
    wiped[0].Value = " \"     \",";
    wiped[1].Value = " \"\",";
    const auto wide = [](unsigned char mode, const std::string& data) {
        return std::string(1, static_cast<char>(mode)) + data;
    };
    return {
        {"wide_usual", wide(0x3E, FirstBlockText())},
        {"wide_folded", wide(0x0A, FirstBlockData(FoldedText()))},
        {"wide_apostrophes",
         wide(0x12,
              FirstBlockData("JobId: j\nprompt: p\nnegative_prompt: ''\nseed: 5\nformat: png\n"))},
        {"wide_no_final_lf",
         wide(0x3C,
              FirstBlockData("JobId: j\nprompt: p\nnegative_prompt: n\nseed: 5\nformat: png"))},
        {"narrow_usual", wide(0x3F, GenInfoText())},
        {"narrow_crlf", wide(0x3D, GenInfoData(GenInfoObject(GenInfoLines(), "\r\n")))},
        {"narrow_wiped", wide(0x3B, GenInfoData(GenInfoObject(wiped)))},
        {"narrow_seed_only", wide(0x23, GenInfoText())},
        {"head_jpeg", wide(0x3C, JpegHead(FirstBlockText(), 6000))},
    };
}

std::string Zlib(const std::string& text) {
    uLongf size = compressBound(text.size());
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(text.data()), text.size(), 9) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

// Whole files with copies of the values in every place the search looks.
TSeeds LeftoverSeeds() {
    const TParamSet params;
    std::string jpeg = JpegFile(FirstBlockText(params));
    const std::string xmp = std::string("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta>", 40) +
                            params.Prompt + "</x:xmpmeta>";
    const std::size_t length = xmp.size() + 2;
    jpeg.insert(20, std::string{'\xFF', '\xE1', static_cast<char>(length >> 8),
                                static_cast<char>(length & 0xFF)} +
                        xmp);
    return {
        {"png_wiped_blocks", TarvoPng(params)},
        {"png_text_chunks",
         PngFile({Chunk("zTXt", std::string("Comment\0\0", 9) + Zlib(params.Prompt)),
                  Chunk("iTXt", std::string("Description\0\1\0\0\0", 16) + Zlib(params.Seed)),
                  Chunk("iTXt", std::string("Title\0\0\0\0\0", 10) + params.NegPrompt)},
                 {Chunk("tarv", Utf16(params.JobId))}, TPicture{96, 96, true, {}}) +
             "trailing " + params.Prompt},
        {"jpeg_xmp_and_comment", jpeg},
        {"webp_xmp_and_trailing",
         WebpFile({RiffChunk("VP8L", params.Prompt),
                   RiffChunk("EXIF", WebpExif(FirstBlockText(params))), RiffChunk("XMP ", xmp)}) +
             params.Seed},
        {"png_zip_bomb",
         PngFile({Chunk("zTXt", std::string("Comment\0\0", 9) + Zlib(std::string(1 << 20, 'a')))})},
    };
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds <corpusRoot>\n");
        return 2;
    }
    const std::string root = argv[1];
    const TSeeds webUi = {{"usual", WebUi},
                          {"no_negative", "a cat\nSteps: 5, Seed: 1"},
                          {"tarvo_like", "JobId: 1\nprompt: p\nformat: png\n"}};
    if (!WriteSeeds(root, "FuzzLoad", LoadSeeds()) || !WriteSeeds(root, "FuzzWebUiText", webUi) ||
        !WriteSeeds(root, "FuzzParse", ParseSeeds()) ||
        !WriteSeeds(root, "FuzzLeftovers", LeftoverSeeds())) {
        std::fprintf(stderr, "make_fuzz_seeds: cannot write under %s\n", root.c_str());
        return 1;
    }
    tarvo::WritePictureSeeds(root);
    return 0;
}
