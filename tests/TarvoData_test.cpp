#include "app/TarvoData.h"
#include "params/DatTypes.h"
#include "platform/FileSys.h"
#include "platform/LockedFile.h"
#include "platform/TextCodec.h"
#include "support/PicBuilder.h"
#include "support/ScriptedDialogs.h"
#include "util/MyStrUnit.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarvo {
namespace {

using test::TParamSet;
using test::TScriptedDialogs;
using test::TTempDir;

// A file's bytes and modification time, to prove that a wipe left it alone.
struct TFileState {
    std::string Bytes;
    timespec Mtime{};

    static TFileState Of(const std::string& path) {
        TFileState state;
        state.Bytes = test::ReadWholeFile(path);
        struct stat st {};
        EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
        state.Mtime = st.st_mtim;
        return state;
    }
    bool SameTime(const TFileState& other) const {
        return Mtime.tv_sec == other.Mtime.tv_sec && Mtime.tv_nsec == other.Mtime.tv_nsec;
    }
};

// Writes bytes to path with a modification time far in the past, so any write shows.
std::string MakeFile(const std::string& path, std::string_view bytes) {
    EXPECT_TRUE(test::WriteFile(path, bytes)) << path;
    const timespec old[2] = {{1577836800, 0}, {1577836800, 0}}; // 2020-01-01
    EXPECT_EQ(utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
    return path;
}

// A file of exactly size bytes: the Tarvo PNG followed by zero padding (readers stop at
// IEND, so the padding does not disturb the parameters).
std::string PaddedPng(std::size_t size) {
    std::string bytes = test::TarvoPng();
    if (bytes.size() < size) bytes.resize(size, '\0');
    return bytes;
}

// The smallest kind of Tarvo PNG: the signature and one tEXt chunk, exactly size bytes
// (size from 49 to 60) through the length of the seed.
std::string TinyPng(std::size_t size) {
    const std::string head = "{\n  \"seed\":";
    const std::string tail = "\n}";
    const std::size_t fixed = 8 + 12 + test::GenInfoData(head + tail).size();
    const std::string object = head + std::string(size - fixed, '7') + tail;
    return std::string(PngSignature) + test::Chunk("tEXt", test::GenInfoData(object));
}

void SetChoices(bool jobId, bool prompt, bool negPrompt, bool seed) {
    ParJobId = jobId;
    ParPrompt = prompt;
    ParNegPrompt = negPrompt;
    ParSeed = seed;
}

class TarvoDataTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { BuildCaseTable(); }
    void SetUp() override {
        SetChoices(true, true, true, true);
        SetWriteFaults({});
    }
    void TearDown() override {
        SetChoices(false, false, false, false);
        SetWriteFaults({});
    }

    TTempDir Dir;
};

TEST_F(TarvoDataTest, CreateStartsEmptyInTheWorkingDirectory) {
    const TTarvoData data(false);
    EXPECT_EQ(data.FilePath, "");
    EXPECT_EQ(data.FileSize, 0);
    EXPECT_FALSE(data.HasText);
    EXPECT_FALSE(data.HasParams());
    EXPECT_EQ(data.Folder, CurrentDir());
    EXPECT_FALSE(data.Graf.WipeMode);
    EXPECT_TRUE(TTarvoData(true).Graf.WipeMode);
    EXPECT_TRUE(data.SyncEachWrite());
}

TEST_F(TarvoDataTest, LoadOfSomethingThatIsNoFileLeavesTheRecordEmpty) {
    ASSERT_EQ(mkfifo(Dir.File("pipe.png").c_str(), 0644), 0);
    const std::pair<std::string, TFileProblem> cases[] = {
        {Dir.Path(), TFileProblem::Folder},
        {Dir.File("missing.png"), TFileProblem::Missing},
        {Dir.File("pipe.png"), TFileProblem::Fifo},
        {std::string(), TFileProblem::Missing}};
    for (const auto& [path, problem] : cases) {
        TTarvoData data(false);
        EXPECT_EQ(data.Load(path).Problem, problem) << path;
        EXPECT_EQ(data.FilePath, "") << path;
        EXPECT_EQ(data.FileSize, 0) << path;
        EXPECT_FALSE(data.HasParams()) << path;
    }
}

struct TSizeCase {
    std::size_t Size;
    TFileProblem Problem;
};

TEST_F(TarvoDataTest, LoadReadsOnlyFilesWithinTheSizeLimitsInclusive) {
    const TSizeCase cases[] = {
        {49, TFileProblem::TooSmall},  {50, TFileProblem::None},
        {60, TFileProblem::None},      {5242879, TFileProblem::None},
        {5242880, TFileProblem::None}, {5242881, TFileProblem::TooLarge},
    };
    for (const TSizeCase& c : cases) {
        const std::string bytes = c.Size < 100 ? TinyPng(c.Size) : PaddedPng(c.Size);
        ASSERT_EQ(bytes.size(), c.Size);
        const std::string path = MakeFile(Dir.File("size.png"), bytes);
        TTarvoData data(false);
        const TFileCheck check = data.Load(path);
        EXPECT_EQ(check.Problem, c.Problem) << c.Size;
        EXPECT_EQ(check.Size, static_cast<std::int64_t>(c.Size));
        EXPECT_EQ(data.FilePath, path);
        EXPECT_EQ(data.FileSize, static_cast<std::int64_t>(c.Size));
        EXPECT_EQ(data.HasParams(), c.Problem == TFileProblem::None) << c.Size;
    }
}

TEST_F(TarvoDataTest, LoadOfAnEmptyOrParameterlessFileKeepsPathAndSize) {
    struct TCase {
        const char* Name;
        std::string Bytes;
        TFileProblem Problem;
    };
    const TCase cases[] = {
        {"empty.png", "", TFileProblem::Empty},
        {"text.png", std::string(300, 'x'), TFileProblem::NoParams},
        {"plain.png", test::PngFile({}), TFileProblem::NoParams},
    };
    for (const TCase& c : cases) {
        const std::string path = MakeFile(Dir.File(c.Name), c.Bytes);
        TTarvoData data(false);
        EXPECT_EQ(data.Load(path).Problem, c.Problem) << c.Name;
        EXPECT_EQ(data.FilePath, path);
        EXPECT_EQ(data.FileSize, static_cast<std::int64_t>(c.Bytes.size()));
        EXPECT_FALSE(data.HasParams());
        EXPECT_EQ(data.GetFullText(), "");
        EXPECT_FALSE(data.HasText);
    }
}

TEST_F(TarvoDataTest, ALoadOfAFileThatVanishedForgetsItsSize) {
    TTarvoData data(false);
    const std::string path = MakeFile(Dir.File("a.png"), test::TarvoPng());
    ASSERT_TRUE(data.Load(path));
    ASSERT_GT(data.FileSize, 0);
    ASSERT_EQ(unlink(path.c_str()), 0);
    EXPECT_EQ(data.Load(path).Problem, TFileProblem::Missing);
    EXPECT_EQ(data.FileSize, 0);
    EXPECT_EQ(data.FilePath, "");
}

TEST_F(TarvoDataTest, ClearForgetsTheFileButKeepsTheFolder) {
    TTarvoData data(false);
    data.Folder = "/pics";
    ASSERT_TRUE(data.Load(MakeFile(Dir.File("a.png"), test::TarvoPng())));
    ASSERT_FALSE(data.GetFullText().empty());
    ASSERT_TRUE(data.HasText);
    data.Clear();
    EXPECT_EQ(data.FilePath, "");
    EXPECT_EQ(data.FileSize, 0);
    EXPECT_FALSE(data.HasParams());
    EXPECT_FALSE(data.HasText);
    EXPECT_EQ(data.Folder, "/pics");
}

TEST_F(TarvoDataTest, FullTextOfBothBlocksHasAnEmptyLineBetweenThem) {
    TTarvoData data(false);
    ASSERT_TRUE(data.Load(MakeFile(Dir.File("both.png"), test::TarvoPng())));
    ASSERT_FALSE(data.Graf.FirstBlock.Text.empty());
    ASSERT_FALSE(data.Graf.SecondBlock.Text.empty());
    EXPECT_EQ(data.GetFullText(),
              data.Graf.FirstBlock.Text + "\r\n\r\n" + data.Graf.SecondBlock.Text);
    EXPECT_TRUE(data.HasText);
    EXPECT_NE(data.GetFullText().find("a red fox in the snow"), std::string::npos);
}

TEST_F(TarvoDataTest, FullTextOfOnlyTheSecondBlockBeginsWithAnEmptyLine) {
    TTarvoData data(false);
    const std::string png = test::PngFile({test::Chunk("tEXt", test::GenInfoText())});
    ASSERT_TRUE(data.Load(MakeFile(Dir.File("second.png"), png)));
    ASSERT_FALSE(data.Graf.FirstBlock.HasParams());
    ASSERT_FALSE(data.Graf.SecondBlock.Text.empty());
    EXPECT_EQ(data.GetFullText(), "\r\n\r\n" + data.Graf.SecondBlock.Text);
    EXPECT_TRUE(data.HasText);
    EXPECT_EQ(data.GetPrompt(false), "");
    EXPECT_EQ(data.GetPrompt(true), "");
    EXPECT_EQ(data.GetValue("negative_prompt"), "");
}

TEST_F(TarvoDataTest, FullTextOfOnlyTheFirstBlockIsItsTextAlone) {
    TTarvoData data(false);
    const std::string jpeg = test::JpegFile(test::FirstBlockText());
    ASSERT_TRUE(data.Load(MakeFile(Dir.File("first.jpg"), jpeg)));
    EXPECT_EQ(data.Graf.FileKind, 2);
    EXPECT_FALSE(data.Graf.SecondBlock.HasParams());
    EXPECT_EQ(data.GetFullText(), data.Graf.FirstBlock.Text);
    EXPECT_TRUE(data.HasText);
    EXPECT_EQ(data.GetValue("negative_prompt"), "blurry, low quality");
}

TEST_F(TarvoDataTest, HasTextFollowsTheLastComposedText) {
    TTarvoData data(false);
    ASSERT_TRUE(data.Load(MakeFile(Dir.File("a.png"), test::TarvoPng())));
    EXPECT_FALSE(data.HasText) << "only GetFullText sets it";
    (void)data.GetFullText();
    EXPECT_TRUE(data.HasText);
    EXPECT_FALSE(
        data.Load(MakeFile(Dir.File("b.png"), "not a picture, but long enough to be read")));
    EXPECT_FALSE(data.HasText);
    EXPECT_EQ(data.GetFullText(), "");
    EXPECT_FALSE(data.HasText);
}

TEST_F(TarvoDataTest, GetPromptCleansOnlyWhenAsked) {
    TParamSet params;
    params.Prompt = "'score_9, score_8_up, a red fox'";
    TTarvoData data(false);
    ASSERT_TRUE(data.Load(MakeFile(Dir.File("a.png"), test::TarvoPng(params))));
    EXPECT_EQ(data.GetPrompt(false), "'score_9, score_8_up, a red fox'");
    EXPECT_EQ(data.GetPrompt(true), "a red fox");
    EXPECT_EQ(data.GetValue("negative_prompt"), "blurry, low quality");
    EXPECT_EQ(data.GetValue("seed"), "1234567890");
    EXPECT_EQ(data.GetValue("no_such_key"), "");
}

TEST_F(TarvoDataTest, ReloadReadsTheSameFileAgain) {
    TTarvoData data(false);
    const std::string path = MakeFile(Dir.File("a.png"), test::TarvoPng());
    ASSERT_TRUE(data.Load(path));
    TParamSet changed;
    changed.Prompt = "a grey wolf";
    MakeFile(path, test::TarvoPng(changed));
    data.Reload();
    EXPECT_EQ(data.FilePath, path);
    EXPECT_EQ(data.GetPrompt(false), "a grey wolf");
}

// Wiping, with the same roles as in the window: a wipe-mode record for the wipe and a
// viewing record to show the file afterwards.
class TarvoDataWipe : public TarvoDataTest {
protected:
    TScriptedDialogs Dialogs;
    TTarvoData DelData{true, &Dialogs};

    // Points DelData at path as the single-file wipe does, and wipes.
    TWipeCode WipeFile(const std::string& path, bool ask) {
        DelData.Clear();
        DelData.FilePath = path;
        return DelData.Wipe(ask);
    }
};

TEST_F(TarvoDataWipe, WithoutAnyChoiceAnswers1EvenWithoutAFile) {
    SetChoices(false, false, false, false);
    EXPECT_EQ(WipeFile(Dir.File("missing.png"), true), TWipeCode::NoChoice);
    EXPECT_EQ(WipeFile("", false), TWipeCode::NoChoice);
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(TarvoDataWipe, WithoutAFileAnswers2) {
    ASSERT_EQ(mkfifo(Dir.File("pipe.png").c_str(), 0644), 0);
    for (const std::string& path : {Dir.File("missing.png"), Dir.Path(), Dir.File("pipe.png")})
        EXPECT_EQ(WipeFile(path, true), TWipeCode::NoFile) << path;
    EXPECT_TRUE(Dialogs.Messages.empty());
}

struct TUntouchedCase {
    const char* Why;
    std::string Bytes;
    std::function<void()> Choose; // wipe choices; all four when empty
    TWipeCode Expected;
};

TEST_F(TarvoDataWipe, EveryRefusalLeavesBytesAndTimeUnchanged) {
    TParamSet blank;
    blank.JobId = blank.Prompt = blank.NegPrompt = blank.Seed = "";
    test::TLines noSeedFirst = test::FirstBlockLines();
    noSeedFirst.erase(noSeedFirst.begin() + 3);
    test::TLines noSeedSecond = test::GenInfoLines();
    noSeedSecond.erase(noSeedSecond.begin() + 3);
    const std::string noSeed =
        test::PngFile({test::Chunk("eXIf", test::FirstBlockData(test::JoinFirstLines(noSeedFirst))),
                       test::Chunk("tEXt", test::GenInfoData(test::GenInfoObject(noSeedSecond)))});
    const TUntouchedCase cases[] = {
        {"no choice on", test::TarvoPng(), [] { SetChoices(false, false, false, false); },
         TWipeCode::NoChoice},
        {"too small", TinyPng(49), {}, TWipeCode::NotReadable},
        {"too large", PaddedPng(5242881), {}, TWipeCode::NotReadable},
        {"empty", "", {}, TWipeCode::NotReadable},
        {"not a picture", std::string(4000, 'x'), {}, TWipeCode::NotReadable},
        {"a picture without blocks", test::PngFile({}), {}, TWipeCode::NotReadable},
        {"values already blank", test::TarvoPng(blank), {}, TWipeCode::NothingToWipe},
        {"the chosen key is absent", noSeed, [] { SetChoices(false, false, false, true); },
         TWipeCode::NothingToWipe},
    };
    for (const TUntouchedCase& c : cases) {
        SetChoices(true, true, true, true);
        if (c.Choose) c.Choose();
        const std::string path = MakeFile(Dir.File("x.png"), c.Bytes);
        const TFileState before = TFileState::Of(path);
        EXPECT_EQ(WipeFile(path, true), c.Expected) << c.Why;
        const TFileState after = TFileState::Of(path);
        EXPECT_EQ(after.Bytes, before.Bytes) << c.Why;
        EXPECT_TRUE(after.SameTime(before)) << c.Why;
    }
    EXPECT_TRUE(Dialogs.Messages.empty()) << "nothing to confirm, so nothing is asked";
}

TEST_F(TarvoDataWipe, WithoutConfirmationWritesThenASecondWipeFindsNothing) {
    const std::string path = MakeFile(Dir.File("pic.png"), test::TarvoPng());
    const TFileState before = TFileState::Of(path);
    EXPECT_EQ(WipeFile(path, false), TWipeCode::Done);
    EXPECT_TRUE(Dialogs.Messages.empty());

    const TFileState wiped = TFileState::Of(path);
    ASSERT_EQ(wiped.Bytes.size(), before.Bytes.size());
    EXPECT_NE(wiped.Bytes, before.Bytes);
    EXPECT_FALSE(wiped.SameTime(before));
    EXPECT_TRUE(test::AllCrcsOk(wiped.Bytes));
    EXPECT_TRUE(test::DecodePng(wiped.Bytes).has_value());
    EXPECT_EQ(wiped.Bytes.find("a red fox"), std::string::npos);
    EXPECT_EQ(wiped.Bytes.find("1234567890"), std::string::npos);
    // Only the two parameter chunks' data and CRCs changed.
    std::vector<test::TSpan> allowed;
    for (const test::TChunkInfo& chunk : test::PngChunks(before.Bytes))
        if (chunk.Type == "eXIf" || chunk.Type == "tEXt")
            allowed.push_back({chunk.Offset + 8, std::size_t{chunk.Length} + 4});
    EXPECT_TRUE(test::ChangesWithin(before.Bytes, wiped.Bytes, allowed));

    TTarvoData shown(false);
    ASSERT_TRUE(shown.Load(path));
    EXPECT_EQ(shown.GetPrompt(false), "");
    EXPECT_EQ(shown.GetValue("negative_prompt"), "");

    EXPECT_EQ(WipeFile(path, false), TWipeCode::NothingToWipe);
    const TFileState again = TFileState::Of(path);
    EXPECT_EQ(again.Bytes, wiped.Bytes);
    EXPECT_TRUE(again.SameTime(wiped));
}

TEST_F(TarvoDataWipe, WipesOnlyTheChosenValuesOfAJpegFile) {
    SetChoices(false, false, true, false);
    const std::string path = MakeFile(Dir.File("pic.jpg"), test::JpegFile(test::FirstBlockText()));
    EXPECT_EQ(WipeFile(path, false), TWipeCode::Done);
    TTarvoData shown(false);
    ASSERT_TRUE(shown.Load(path));
    EXPECT_EQ(shown.GetValue("negative_prompt"), "");
    EXPECT_EQ(shown.GetPrompt(false), "a red fox in the snow");
    EXPECT_TRUE(test::DecodeJpeg(test::ReadWholeFile(path)).has_value());
}

// Another generator's text: a web-UI "parameters" chunk is read and wiped value by value in
// place; compressed text is shown but never rewritten; other text is shown as it is.
const std::string WebUiText = "a castle, \"golden\" light\nNegative prompt: fog, rain\n"
                              "Steps: 20, Sampler: Euler a, Seed: 8675309, Size: 512x512";

std::string WebUiChunk(const std::string& type) {
    const std::string head =
        type == "iTXt" ? std::string("parameters\0\0\0\0\0", 15) : std::string("parameters\0", 11);
    return type == "zTXt" ? test::ZtxtChunk("parameters", WebUiText)
                          : test::Chunk(type, head + WebUiText);
}

TEST_F(TarvoDataWipe, ReadsAndWipesWebUiTextValueByValue) {
    for (const char* type : {"tEXt", "iTXt"}) {
        SCOPED_TRACE(type);
        const std::string before = test::PngFile({WebUiChunk(type)});
        const std::string path = MakeFile(Dir.File(std::string(type) + ".png"), before);
        TTarvoData shown(false);
        ASSERT_TRUE(shown.Load(path));
        EXPECT_EQ(shown.Graf.Format, "a1111");
        EXPECT_EQ(shown.GetPrompt(false), "a castle, \"golden\" light");
        EXPECT_EQ(shown.GetPrompt(true), shown.GetPrompt(false)); // no cleaning of others' prompts
        EXPECT_EQ(shown.GetValue("negative_prompt"), "fog, rain");
        EXPECT_EQ(shown.GetValue("seed"), "8675309");
        EXPECT_EQ(shown.GetValue("JobId"), "");
        EXPECT_NE(shown.GetFullText().find("Steps: 20"), std::string::npos);

        SetChoices(true, false, false, false); // JobId alone: nothing of it here
        EXPECT_EQ(WipeFile(path, false), TWipeCode::NothingToWipe);
        SetChoices(false, true, false, false);
        EXPECT_EQ(WipeFile(path, false), TWipeCode::Done);
        const std::string after = test::ReadWholeFile(path);
        EXPECT_EQ(after.size(), before.size());
        EXPECT_TRUE(test::AllCrcsOk(after));
        ASSERT_TRUE(shown.Load(path));
        EXPECT_EQ(shown.GetPrompt(false), "");
        EXPECT_EQ(shown.GetValue("negative_prompt"), "fog, rain");
        EXPECT_EQ(shown.GetValue("seed"), "8675309");
        SetChoices(true, true, true, true);
        EXPECT_EQ(WipeFile(path, false), TWipeCode::Done);
        ASSERT_TRUE(shown.Load(path));
        EXPECT_EQ(shown.GetValue("negative_prompt"), "");
        EXPECT_EQ(shown.GetValue("seed"), "");
        EXPECT_NE(shown.GetFullText().find("Sampler: Euler a"), std::string::npos);
        EXPECT_EQ(WipeFile(path, false), TWipeCode::NothingToWipe);
    }
}

// Web-UI text in an EXIF UserComment: UTF-16 of either byte order, or ASCII.
TEST_F(TarvoDataWipe, ReadsAndWipesWebUiTextInExifUserComments) {
    const std::string text = "a lighthouse, été\nNegative prompt: fog\nSteps: 20, Seed: 31337";
    const auto comment = [&](const char* code, std::string body) {
        // A TIFF header and an IFD entry stand before the UserComment, as in any EXIF block.
        return std::string("II*\0\x08\0\0\0\x01\0\x86\x92\x07\0", 14) + std::string(code, 8) +
               body + std::string(2, '\0');
    };
    const struct {
        const char* Note;
        std::string Bytes;
        const char* Name;
    } cases[] = {
        {"JPEG, UTF-16BE", test::JpegFile(comment("UNICODE\0", Utf8ToWide(text, true))), "be.jpg"},
        {"JPEG, UTF-16LE", test::JpegFile(comment("UNICODE\0", Utf8ToWide(text, false))), "le.jpg"},
        {"WebP, ASCII",
         test::WebpFile({test::RiffChunk("VP8L", std::string(100, 'p')),
                         test::RiffChunk("EXIF", comment("ASCII\0\0\0", "a lighthouse\nNegative "
                                                                        "prompt: fog\nSteps: 20, "
                                                                        "Seed: 31337"))}),
         "a.webp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Note);
        const std::string path = MakeFile(Dir.File(c.Name), c.Bytes);
        TTarvoData shown(false);
        ASSERT_TRUE(shown.Load(path));
        EXPECT_EQ(shown.Graf.Format, "a1111");
        EXPECT_EQ(shown.GetPrompt(false).substr(0, 12), "a lighthouse");
        EXPECT_EQ(shown.GetValue("negative_prompt"), "fog");
        EXPECT_EQ(shown.GetValue("seed"), "31337");
        SetChoices(false, true, false, true);
        EXPECT_EQ(WipeFile(path, false), TWipeCode::Done);
        const std::string after = test::ReadWholeFile(path);
        EXPECT_EQ(after.size(), c.Bytes.size());
        ASSERT_TRUE(shown.Load(path));
        EXPECT_EQ(shown.GetPrompt(false), "");
        EXPECT_EQ(shown.GetValue("seed"), "");
        EXPECT_EQ(shown.GetValue("negative_prompt"), "fog");
        EXPECT_EQ(WipeFile(path, false), TWipeCode::NothingToWipe);
    }
}

// JSON formats: strings become spaces between their quotes, numbers 0 and spaces, and every
// copy of the prompt is blanked (NovelAI repeats it in "Description").
TEST_F(TarvoDataWipe, ReadsAndWipesJsonFormatsKeepingTheJsonValid) {
    const auto text = [](const std::string& keyword, const std::string& body) {
        return test::Chunk("tEXt", keyword + std::string(1, '\0') + body);
    };
    const struct {
        const char* Format;
        std::string Bytes;
        const char* Prompt;
        const char* Negative;
        const char* Seed;
        const char* WipedSeed;
    } cases[] = {
        {"novelai",
         test::PngFile({text("Description", "a \"fox\""),
                        text("Comment", R"({"prompt": "a \"fox\"", "steps": 28, "uc": "lowres", )"
                                        R"("seed": 12345})")}),
         "a \"fox\"", "lowres", "12345", "0"},
        {"comfyui",
         test::PngFile(
             {text("prompt",
                   R"({"3": {"class_type": "KSampler", "inputs": {"seed": 156680208700286, )"
                   R"("positive": ["8", 0], "negative": ["7", 0], "model": ["4", 0]}}, )"
                   R"("8": {"class_type": "ConditioningSetTimestepRange", )"
                   R"("inputs": {"conditioning": ["6", 0], "start": 0}}, )"
                   R"("6": {"class_type": "CLIPTextEncode", "inputs": {"text": "a cat, \"soft\"", )"
                   R"("clip": ["4", 1]}}, "7": {"class_type": "CLIPTextEncode", )"
                   R"("inputs": {"text": "blurry", "clip": ["4", 1]}}})"),
              text("workflow",
                   R"({"nodes": [{"id": 6, "type": "CLIPTextEncode", )"
                   R"("widgets_values": ["a cat, \"soft\""]}, {"id": 3, )"
                   R"("type": "KSampler", "widgets_values": [156680208700286, )"
                   R"("randomize", 20, 8]}, {"id": 7, "widgets_values": ["blurry"]}]})")}),
         "a cat, \"soft\"", "blurry", "156680208700286", "0"},
        {"invokeai",
         test::PngFile({text("invokeai_metadata", R"({"positive_prompt": "an owl \u00e9", )"
                                                  R"("negative_prompt": "", "seed": "77"})")}),
         "an owl é", "", "77", ""},
        {"invokeai",
         test::PngFile({text("sd-metadata", R"({"model": "x", "image": {"prompt": "a ship", )"
                                            R"("seed": 9}})")}),
         "a ship", "", "9", "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Prompt);
        const std::string path = MakeFile(Dir.File("json.png"), c.Bytes);
        TTarvoData shown(false);
        ASSERT_TRUE(shown.Load(path));
        EXPECT_EQ(shown.Graf.Format, c.Format);
        EXPECT_EQ(shown.GetPrompt(false), c.Prompt);
        EXPECT_EQ(shown.GetValue("negative_prompt"), c.Negative);
        EXPECT_EQ(shown.GetValue("seed"), c.Seed);
        SetChoices(true, true, true, true);
        EXPECT_EQ(WipeFile(path, false), TWipeCode::Done);
        const std::string after = test::ReadWholeFile(path);
        EXPECT_EQ(after.size(), c.Bytes.size());
        EXPECT_TRUE(test::AllCrcsOk(after));
        EXPECT_EQ(after.find(c.Prompt), std::string::npos);
        if (std::string_view(c.Seed).size() >= 5) { // shorter ones stand in any file by chance
            EXPECT_EQ(after.find(c.Seed), std::string::npos);
        }
        ASSERT_TRUE(shown.Load(path)); // the JSON still parses
        EXPECT_EQ(shown.GetPrompt(false), "");
        EXPECT_EQ(shown.GetValue("seed"), c.WipedSeed);
        EXPECT_EQ(WipeFile(path, false), TWipeCode::NothingToWipe);
    }
}

// A saved workflow is often longer than the Tarvo reader reads; its copies are blanked all
// the same, a text repeated in another node too, and none is left.
TEST_F(TarvoDataWipe, ALongWorkflowBeyondTheHeadIsReadAndWiped) {
    const auto text = [](const std::string& keyword, const std::string& body) {
        return test::Chunk("tEXt", keyword + std::string(1, '\0') + body);
    };
    const std::string graph =
        R"({"3": {"inputs": {"seed": 987654321, "positive": ["6", 0], "negative": ["7", 0]}},)"
        R"( "6": {"inputs": {"text": "a red lighthouse"}}, "7": {"inputs": {"text": "fog"}},)"
        R"( "12": {"inputs": {"text": "a red lighthouse"}}})";
    const std::string workflow =
        R"({"extra": ")" + std::string(45000, 'x') +
        R"(", "nodes": [{"id": 6, "widgets_values": ["a red lighthouse"]},)"
        R"( {"id": 3, "widgets_values": [987654321, "fixed"]},)"
        R"( {"id": 12, "widgets_values": ["a red lighthouse"]}]})";
    const std::string path = MakeFile(
        Dir.File("comfy.png"), test::PngFile({text("prompt", graph), text("workflow", workflow)}));
    ASSERT_GT(test::ReadWholeFile(path).size(), std::size_t{40012});
    TWipeFindings findings;
    DelData.Clear();
    DelData.FilePath = path;
    EXPECT_EQ(DelData.Wipe(false, &findings), TWipeCode::Done);
    EXPECT_TRUE(findings.Leftovers.empty());
    const std::string after = test::ReadWholeFile(path);
    EXPECT_EQ(after.find("a red lighthouse"), std::string::npos);
    EXPECT_EQ(after.find("987654321"), std::string::npos);
    EXPECT_TRUE(test::AllCrcsOk(after));
}

TEST_F(TarvoDataWipe, CompressedWebUiTextIsShownButNeverRewritten) {
    const std::string path = MakeFile(Dir.File("z.png"), test::PngFile({WebUiChunk("zTXt")}));
    const TFileState before = TFileState::Of(path);
    TTarvoData shown(false);
    ASSERT_TRUE(shown.Load(path));
    EXPECT_EQ(shown.GetValue("seed"), "8675309");
    TWipeFindings findings;
    DelData.Clear();
    DelData.FilePath = path;
    EXPECT_EQ(DelData.Wipe(false, &findings), TWipeCode::CannotOpen);
    EXPECT_EQ(findings.Problem.Problem, TFileProblem::Compressed);
    SetChoices(true, false, false, false);
    EXPECT_EQ(WipeFile(path, false), TWipeCode::NothingToWipe);
    const TFileState after = TFileState::Of(path);
    EXPECT_EQ(after.Bytes, before.Bytes);
    EXPECT_TRUE(after.SameTime(before));
    // Its damaged CRC is still repaired in place (the repair once wrote the damaged CRC back
    // and then failed its own proof).
    std::string damaged = test::PngFile({WebUiChunk("zTXt")});
    damaged[damaged.find("IDAT") - 5] ^= 0x55;
    const std::string broken = MakeFile(Dir.File("zbad.png"), damaged);
    EXPECT_EQ(WipeFile(broken, false), TWipeCode::Done);
    EXPECT_TRUE(test::AllCrcsOk(test::ReadWholeFile(broken)));
}

TEST_F(TarvoDataWipe, TextOfNoKnownFormatIsShownAndHoldsNoParameters) {
    const std::string path = MakeFile(
        Dir.File("other.png"),
        test::PngFile({test::Chunk("tEXt", std::string("Comment\0made by hand\nline two", 29)),
                       test::Chunk("tEXt", std::string("parameters\0JobId: 1\nformat: png", 31))}));
    TTarvoData shown(false);
    EXPECT_EQ(shown.Load(path).Problem, TFileProblem::NoParams);
    EXPECT_EQ(shown.Graf.Format, "text");
    EXPECT_FALSE(shown.HasParams());
    EXPECT_EQ(shown.GetFullText(),
              "Comment: made by hand\r\nline two\r\n\r\nparameters: JobId: 1\r\nformat: png");
    EXPECT_TRUE(shown.HasText);
    EXPECT_EQ(shown.GetPrompt(false), "");
    EXPECT_EQ(WipeFile(path, false), TWipeCode::NotReadable);
}

TEST_F(TarvoDataWipe, AsksWithTheFileNameAndWritesOnlyAfterYes) {
    const std::string path = MakeFile(Dir.File("Кот и лиса.png"), test::TarvoPng());
    const TFileState before = TFileState::Of(path);

    Dialogs.Answers = {TMsgAnswer::Cancel};
    EXPECT_EQ(WipeFile(path, true), TWipeCode::Declined);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text,
              "Внимание! Будут внесены изменения в файл \"Кот и лиса.png\". Продолжить?");
    EXPECT_EQ(Dialogs.Messages[0].Tone, TMsgTone::Warning);
    EXPECT_EQ(Dialogs.Messages[0].Buttons, TMsgButtons::YesCancel);
    const TFileState declined = TFileState::Of(path);
    EXPECT_EQ(declined.Bytes, before.Bytes);
    EXPECT_TRUE(declined.SameTime(before));

    Dialogs.Answers = {TMsgAnswer::Yes};
    EXPECT_EQ(WipeFile(path, true), TWipeCode::Done);
    EXPECT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_NE(TFileState::Of(path).Bytes, before.Bytes);
}

TEST_F(TarvoDataWipe, AConfirmationThatCannotBeAskedIsDeclined) {
    const std::string path = MakeFile(Dir.File("pic.png"), test::TarvoPng());
    const TFileState before = TFileState::Of(path);
    TTarvoData mute(true);
    mute.FilePath = path;
    EXPECT_EQ(mute.Wipe(true), TWipeCode::Declined);
    EXPECT_EQ(TFileState::Of(path).Bytes, before.Bytes);
    mute.FilePath = path;
    EXPECT_EQ(mute.Wipe(false), TWipeCode::Done);
}

// A dialog whose question gives another program time to act on the file.
class TActingDialogs : public TScriptedDialogs {
public:
    std::function<void()> WhileAsking;
    TMsgAnswer MessageBox(const std::string& text, TMsgTone tone, TMsgButtons buttons) override {
        if (WhileAsking) WhileAsking();
        return TScriptedDialogs::MessageBox(text, tone, buttons);
    }
};

// Another process that holds a lock on a file until it is released: a flock lock of the
// given operation, or (Record) an exclusive lockf record lock.
class TLockingProcess {
public:
    static constexpr int Record = -1;
    TLockingProcess(const std::string& path, int operation) {
        int ready[2];
        if (pipe(ready) != 0 || pipe(FRelease) != 0) {
            ADD_FAILURE() << "pipe";
            return;
        }
        FPid = fork();
        if (FPid == 0) {
            // Only the parent may hold the release pipe's write end, or the wait never ends.
            close(FRelease[1]);
            close(ready[0]);
            const int fd = open(path.c_str(), operation == Record ? O_RDWR : O_RDONLY);
            const int taken = operation == Record ? lockf(fd, F_LOCK, 0) : flock(fd, operation);
            const char ok = fd >= 0 && taken == 0 ? '1' : '0';
            (void)!write(ready[1], &ok, 1);
            // Released by the parent; a minute at most, so a failing test cannot hang.
            pollfd release{FRelease[0], POLLIN, 0};
            (void)poll(&release, 1, 60000);
            _exit(0);
        }
        if (FPid < 0) {
            ADD_FAILURE() << "fork";
            return;
        }
        close(ready[1]);
        close(FRelease[0]);
        char ok = '0';
        EXPECT_EQ(read(ready[0], &ok, 1), 1);
        EXPECT_EQ(ok, '1') << "the other process could not lock " << path;
        close(ready[0]);
    }
    ~TLockingProcess() {
        close(FRelease[1]);
        if (FPid > 0) waitpid(FPid, nullptr, 0);
    }
    TLockingProcess(const TLockingProcess&) = delete;
    TLockingProcess& operator=(const TLockingProcess&) = delete;

private:
    pid_t FPid = -1;
    int FRelease[2] = {-1, -1};
};

TEST_F(TarvoDataWipe, AFileThatCannotBeOpenedForWritingAnswers6AndStaysUnchanged) {
    TParamSet rewritten;
    rewritten.Prompt = "a fox painted by someone else";
    struct TCase {
        const char* Why;
        std::function<void(const std::string& path, TActingDialogs& dialogs,
                           std::unique_ptr<TLockingProcess>& other)>
            Arrange;
        bool Rewrites = false;
    };
    const TCase cases[] = {
        {"read-only file (also for root)",
         [](const std::string& path, TActingDialogs&, std::unique_ptr<TLockingProcess>&) {
             ASSERT_EQ(chmod(path.c_str(), 0444), 0);
         }},
        {"another process reads it under a shared lock",
         [](const std::string& path, TActingDialogs&, std::unique_ptr<TLockingProcess>& other) {
             other = std::make_unique<TLockingProcess>(path, LOCK_SH);
         }},
        {"another process locks it exclusively while the user is asked",
         [](const std::string& path, TActingDialogs& dialogs,
            std::unique_ptr<TLockingProcess>& other) {
             dialogs.WhileAsking = [path, &other] {
                 other = std::make_unique<TLockingProcess>(path, LOCK_EX);
             };
         }},
        {"another program rewrote it while the user was asked",
         [&rewritten](const std::string& path, TActingDialogs& dialogs,
                      std::unique_ptr<TLockingProcess>&) {
             dialogs.WhileAsking = [path, &rewritten] {
                 MakeFile(path, test::TarvoPng(rewritten));
             };
         },
         true},
    };
    for (const TCase& c : cases) {
        const std::string path = MakeFile(Dir.File("pic.png"), test::TarvoPng());
        TActingDialogs dialogs;
        dialogs.Answers = {TMsgAnswer::Yes};
        std::unique_ptr<TLockingProcess> other;
        c.Arrange(path, dialogs, other);
        TTarvoData data(true, &dialogs);
        data.FilePath = path;
        const TFileState before = TFileState::Of(path);
        EXPECT_EQ(data.Wipe(true), TWipeCode::CannotOpen) << c.Why;
        other.reset();
        EXPECT_EQ(dialogs.Messages.size(), 1u) << c.Why;
        const TFileState after = TFileState::Of(path);
        // The rewritten file keeps what the other program wrote, time included.
        EXPECT_EQ(after.Bytes, c.Rewrites ? test::TarvoPng(rewritten) : before.Bytes) << c.Why;
        EXPECT_TRUE(after.SameTime(before)) << c.Why;
        chmod(path.c_str(), 0644);
    }
}

TEST_F(TarvoDataWipe, AFileLockedExclusivelyBeforeTheWipeCannotBeReadAndAnswers3) {
    const std::string path = MakeFile(Dir.File("pic.png"), test::TarvoPng());
    const TFileState before = TFileState::Of(path);
    {
        TLockingProcess other(path, TLockingProcess::Record);
        EXPECT_EQ(WipeFile(path, false), TWipeCode::NotReadable);
    }
    const TFileState after = TFileState::Of(path);
    EXPECT_EQ(after.Bytes, before.Bytes);
    EXPECT_TRUE(after.SameTime(before));
}

// The entry's kind and size explain a failed open before the open's own problem does.
TEST_F(TarvoDataWipe, ALockedFileOfAnImplausibleSizeIsReportedByItsSize) {
    const struct {
        const char* Why;
        std::string Bytes;
        TFileProblem Expected;
    } cases[] = {
        {"too small", std::string(MinFileSize - 1, 'x'), TFileProblem::TooSmall},
        {"plausible", test::TarvoPng(), TFileProblem::Locked},
    };
    for (const auto& c : cases) {
        const std::string path = MakeFile(Dir.File("held.png"), c.Bytes);
        TLockingProcess other(path, TLockingProcess::Record);
        TTarvoData data(false);
        const TFileCheck check = data.Load(path);
        EXPECT_EQ(check.Problem, c.Expected) << c.Why;
        EXPECT_EQ(check.Size, static_cast<std::int64_t>(c.Bytes.size())) << c.Why;
        EXPECT_EQ(data.FilePath, path) << c.Why;
    }
}

// A folder run wipes what it has just loaded without reading it again; a file rewritten in
// between is still left as the other program wrote it.
TEST_F(TarvoDataWipe, AWipeOfWhatWasLoadedLeavesAFileChangedSinceAlone) {
    const std::string path = MakeFile(Dir.File("pic.png"), test::TarvoPng());
    ASSERT_TRUE(DelData.Load(path));
    TParamSet rewritten;
    rewritten.Prompt = "a fox painted by someone else";
    MakeFile(path, test::TarvoPng(rewritten));
    TWipeFindings findings;
    EXPECT_EQ(DelData.Wipe(false, &findings, true), TWipeCode::CannotOpen);
    EXPECT_EQ(findings.Problem.Problem, TFileProblem::Changed);
    EXPECT_EQ(test::ReadWholeFile(path), test::TarvoPng(rewritten));

    ASSERT_TRUE(DelData.Load(path));
    EXPECT_EQ(DelData.Wipe(false, &findings, true), TWipeCode::Done);
    const std::string wiped = test::ReadWholeFile(path);
    EXPECT_EQ(wiped.find("a fox painted"), std::string::npos);
    EXPECT_TRUE(test::AllCrcsOk(wiped));
}

TEST_F(TarvoDataWipe, AFailureBeforeAnythingIsWrittenAnswers7AndLeavesTheFileUnchanged) {
    for (const char* name : {"pic.png", "pic.jpg"}) {
        const std::string bytes = std::string(name) == "pic.png"
                                      ? test::TarvoPng()
                                      : test::JpegFile(test::FirstBlockText());
        const std::string path = MakeFile(Dir.File(name), bytes);
        const TFileState before = TFileState::Of(path);
        SetWriteFaults({.FailWriteAt = 0});
        EXPECT_EQ(WipeFile(path, false), TWipeCode::SeekFailed) << name;
        SetWriteFaults({});
        const TFileState after = TFileState::Of(path);
        EXPECT_EQ(after.Bytes, before.Bytes) << name;
        EXPECT_TRUE(after.SameTime(before)) << name;
    }
}

TEST_F(TarvoDataWipe, AWriteFailureAfterWritingBeganAnswers8) {
    struct TCase {
        const char* Why;
        TWriteFaults Faults;
    };
    const TCase cases[] = {
        {"short write of the first chunk", {.ShortWriteAt = 0}},
        {"failed write of the second chunk", {.FailWriteAt = 1}},
        {"short write of the second chunk", {.ShortWriteAt = 1}},
        {"failed sync", {.FailSync = true}},
    };
    for (const TCase& c : cases) {
        const std::string path = MakeFile(Dir.File("pic.png"), test::TarvoPng());
        const std::string before = test::ReadWholeFile(path);
        SetWriteFaults(c.Faults);
        EXPECT_EQ(WipeFile(path, false), TWipeCode::WriteFailed) << c.Why;
        SetWriteFaults({});
        // Possibly partly changed, but never resized and never outside the parameter chunks.
        const std::string after = test::ReadWholeFile(path);
        ASSERT_EQ(after.size(), before.size()) << c.Why;
        std::vector<test::TSpan> allowed;
        for (const test::TChunkInfo& chunk : test::PngChunks(before))
            if (chunk.Type == "eXIf" || chunk.Type == "tEXt")
                allowed.push_back({chunk.Offset + 8, std::size_t{chunk.Length} + 4});
        EXPECT_TRUE(test::ChangesWithin(before, after, allowed)) << c.Why;
    }
}

TEST_F(TarvoDataWipe, WithSyncPerWriteOffAFailingSyncIsNotAsked) {
    const std::string path = MakeFile(Dir.File("pic.png"), test::TarvoPng());
    DelData.SetSyncEachWrite(false);
    EXPECT_FALSE(DelData.SyncEachWrite());
    SetWriteFaults({.FailSync = true});
    EXPECT_EQ(WipeFile(path, false), TWipeCode::Done);
    SetWriteFaults({});
    EXPECT_TRUE(test::AllCrcsOk(test::ReadWholeFile(path)));
    DelData.SetSyncEachWrite(true);
    EXPECT_TRUE(DelData.Graf.SyncWrites);
}

TEST_F(TarvoDataWipe, AFolderRunLoadsEachFileThenWipesIt) {
    const std::string a = MakeFile(Dir.File("a.png"), test::TarvoPng());
    const std::string b = MakeFile(Dir.File("b.jpg"), test::JpegFile(test::FirstBlockText()));
    for (const std::string& path : {a, b}) {
        ASSERT_TRUE(DelData.Load(path)) << path;
        EXPECT_EQ(DelData.Wipe(false), TWipeCode::Done) << path;
    }
    for (const std::string& path : {a, b}) {
        ASSERT_TRUE(DelData.Load(path)) << path;
        EXPECT_EQ(DelData.Wipe(false), TWipeCode::NothingToWipe) << path;
    }
}

} // namespace
} // namespace tarvo
