// Wiping values in place: what marking blanks in memory, and what writing changes in the
// file, checked independently afterwards (byte comparison, CRCs, decoded pixels).
#include "params/DatTypes.h"
#include "params/MyGrafObj.h"
#include "platform/LockedFile.h"
#include "support/PicBuilder.h"
#include "util/MyStrUnit.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tarvo {
namespace {

using test::Chunk;
using test::FirstBlockData;
using test::FirstBlockText;
using test::GenInfoData;
using test::GenInfoLines;
using test::GenInfoObject;
using test::GenInfoText;
using test::PngFile;
using test::TLines;
using test::TParamSet;
using test::TSpan;
using test::Utf16;

void SetFlags(bool jobId, bool prompt, bool negPrompt, bool seed) {
    ParJobId = jobId;
    ParPrompt = prompt;
    ParNegPrompt = negPrompt;
    ParSeed = seed;
}

class MyGrafWipe : public testing::Test {
protected:
    void SetUp() override {
        BuildCaseTable();
        SetFlags(true, true, true, true);
        SetWriteFaults({});
    }
    void TearDown() override {
        SetWriteFaults({});
        SetFlags(false, false, false, false);
    }

    std::string Put(const std::string& name, const std::string& bytes) {
        const std::string path = Dir.File(name);
        EXPECT_TRUE(test::WriteFile(path, bytes));
        return path;
    }

    test::TTempDir Dir;
};

struct TRun {
    bool Loaded = false;
    bool Marked = false;
    bool Written = false;
    TWriteResult Result = TWriteResult::NotOpened;
};

// Load in wipe mode, mark, write: the image record's sequence without the dialog.
TRun WipeFile(const std::string& path, bool syncWrites = true) {
    TRun run;
    TMyGraf graf(true);
    graf.SyncWrites = syncWrites;
    run.Loaded = graf.Load(path);
    if (!run.Loaded) return run;
    run.Marked = graf.Mark();
    if (!run.Marked) return run;
    run.Result = graf.WriteMarked(path).Result;
    run.Written = run.Result == TWriteResult::Written;
    return run;
}

// The bytes of value right after the first occurrence of prefix in file.
TSpan SpanAfter(const std::string& file, const std::string& prefix, const std::string& value) {
    const std::size_t at = file.find(prefix);
    EXPECT_NE(at, std::string::npos) << prefix;
    return TSpan{at + prefix.size(), value.size()};
}

TSpan WideSpan(const std::string& file, const std::string& key, const std::string& value) {
    return SpanAfter(file, Utf16(key + ": "), Utf16(value));
}

TSpan NarrowSpan(const std::string& file, const std::string& key, const std::string& value) {
    return SpanAfter(file, "\"" + key + "\": \"", value);
}

// The CRC fields of the file's chunks of the given types.
std::vector<TSpan> CrcSpans(const std::string& file, std::vector<std::string> types) {
    std::vector<TSpan> spans;
    for (const test::TChunkInfo& chunk : test::PngChunks(file))
        for (const std::string& type : types)
            if (chunk.Type == type) spans.push_back({chunk.Offset + 8 + chunk.Length, 4});
    return spans;
}

bool AllSpaces(const std::string& file, const TSpan& span, bool wide) {
    for (std::size_t i = 0; i < span.Length; ++i) {
        const char expected = wide && (i % 2 == 1) ? '\0' : ' ';
        if (file[span.Offset + i] != expected) return false;
    }
    return true;
}

// The independent check of a wiped PNG: same size, every changed byte inside a blanked value
// or a CRC field, the values now spaces, every CRC right, the same pixels without warnings.
void ExpectPngWiped(const std::string& before, const std::string& after,
                    const std::vector<TSpan>& wide, const std::vector<TSpan>& narrow,
                    const std::vector<TSpan>& crcs) {
    ASSERT_EQ(after.size(), before.size());
    std::vector<TSpan> allowed = wide;
    allowed.insert(allowed.end(), narrow.begin(), narrow.end());
    allowed.insert(allowed.end(), crcs.begin(), crcs.end());
    EXPECT_TRUE(test::ChangesWithin(before, after, allowed));
    for (const TSpan& span : wide) {
        EXPECT_TRUE(AllSpaces(after, span, true));
    }
    for (const TSpan& span : narrow) {
        EXPECT_TRUE(AllSpaces(after, span, false));
    }
    EXPECT_TRUE(test::AllCrcsOk(after));
    const auto original = test::DecodePng(before);
    const auto wiped = test::DecodePng(after);
    ASSERT_TRUE(original.has_value());
    ASSERT_TRUE(wiped.has_value());
    EXPECT_FALSE(wiped->Warned);
    EXPECT_EQ(wiped->Width, original->Width);
    EXPECT_EQ(wiped->Rgb, original->Rgb);
}

TEST_F(MyGrafWipe, AllFourValuesOfBothBlocksAreBlankedAndBothCrcsRecomputed) {
    const TParamSet p;
    const std::string before = test::TarvoPng(p);
    const std::string path = Put("a.png", before);
    const TRun run = WipeFile(path);
    EXPECT_TRUE(run.Written);
    EXPECT_EQ(run.Result, TWriteResult::Written);
    const std::string after = test::ReadWholeFile(path);
    ExpectPngWiped(before, after,
                   {WideSpan(before, "JobId", p.JobId), WideSpan(before, "prompt", p.Prompt),
                    WideSpan(before, "negative_prompt", p.NegPrompt),
                    WideSpan(before, "seed", p.Seed)},
                   {NarrowSpan(before, "JobId", p.JobId), NarrowSpan(before, "prompt", p.Prompt),
                    NarrowSpan(before, "negative_prompt", p.NegPrompt),
                    SpanAfter(before, "\"seed\": ", p.Seed)},
                   CrcSpans(before, {"eXIf", "tEXt"}));

    TMyGraf shown(false);
    ASSERT_TRUE(shown.Load(path));
    EXPECT_EQ(shown.FirstBlock.GetPrompt(), "");
    EXPECT_EQ(shown.FirstBlock.GetValue("seed"), "");
    EXPECT_EQ(shown.FirstBlock.GetValue("width"), "512");
    EXPECT_NE(shown.SecondBlock.Text.find("\"prompt\":" + std::string(25, ' ') + "\r\n"),
              std::string::npos);
}

TEST_F(MyGrafWipe, MarkBlanksInMemoryAndRecordsTheChangedSpans) {
    const std::string before = test::TarvoPng();
    const std::string path = Put("a.png", before);
    TMyGraf graf(true);
    ASSERT_TRUE(graf.Load(path));
    const TMyGrafItem loaded = graf.FirstBlock;
    ASSERT_TRUE(graf.Mark());
    EXPECT_EQ(test::ReadWholeFile(path), before); // marking touches memory only

    const TMyGrafItem& first = graf.FirstBlock;
    EXPECT_TRUE(first.Marked);
    // From the first blanked byte of JobId (after its leading space) to the end of seed.
    EXPECT_EQ(first.ChangeStart, loaded.Values[0].Offset + 2);
    EXPECT_EQ(first.ChangeStart + first.ChangeLength,
              loaded.Values[3].Offset + loaded.Values[3].Length);
    EXPECT_EQ(first.Values[0],
              (TValuePos{loaded.Values[0].Offset + 2, loaded.Values[0].Length - 2}));
    EXPECT_EQ(first.Crc, ChunkCrc("eXIf", first.Data));
    EXPECT_EQ(first.LoadedData, loaded.Data);
    EXPECT_EQ(first.LoadedCrc, loaded.Crc);
    EXPECT_EQ(first.Data.size(), loaded.Data.size());

    const TMyGrafItem& second = graf.SecondBlock;
    EXPECT_TRUE(second.Marked);
    EXPECT_EQ(second.Crc, ChunkCrc("tEXt", second.Data));
    const std::size_t jobAt = second.Data.find("\"JobId\": \"") + 10;
    EXPECT_EQ(second.ChangeStart, static_cast<int>(jobAt) + 1);
    const std::size_t seedEnd = second.Data.find("\"seed\": ") + 8 + 10;
    EXPECT_EQ(second.ChangeStart + second.ChangeLength, static_cast<int>(seedEnd) + 1);
}

TEST_F(MyGrafWipe, MarkingAgainWidensTheSpanAndKeepsTheLoadedBytes) {
    const TParamSet p;
    const std::string before = test::TarvoPng(p);
    const std::string path = Put("twice.png", before);
    TMyGraf graf(true);
    ASSERT_TRUE(graf.Load(path));
    SetFlags(false, false, false, true);
    ASSERT_TRUE(graf.Mark());
    SetFlags(true, false, false, false);
    ASSERT_TRUE(graf.Mark());
    ASSERT_EQ(graf.WriteMarked(path).Result, TWriteResult::Written);
    const std::string after = test::ReadWholeFile(path);
    ExpectPngWiped(before, after,
                   {WideSpan(before, "JobId", p.JobId), WideSpan(before, "seed", p.Seed)},
                   {NarrowSpan(before, "JobId", p.JobId), SpanAfter(before, "\"seed\": ", p.Seed)},
                   CrcSpans(before, {"eXIf", "tEXt"}));
}

TEST_F(MyGrafWipe, SecondWipeOfTheSameFileFindsNothingToBlank) {
    const std::string path = Put("a.png", test::TarvoPng());
    ASSERT_TRUE(WipeFile(path).Written);
    const std::string once = test::ReadWholeFile(path);
    TMyGraf graf(true);
    ASSERT_TRUE(graf.Load(path));
    EXPECT_FALSE(graf.Mark());
    EXPECT_EQ(graf.FileKind, 0); // cleared
    EXPECT_FALSE(graf.FirstBlock.HasParams());
    EXPECT_EQ(test::ReadWholeFile(path), once);
}

TEST_F(MyGrafWipe, NothingChosenMarksNothingAndClearsTheContainer) {
    SetFlags(false, false, false, false);
    TMyGraf graf(true);
    ASSERT_TRUE(graf.LoadBytes(test::TarvoPng()));
    EXPECT_FALSE(graf.Mark());
    EXPECT_EQ(graf.FileKind, 0);
    EXPECT_FALSE(graf.SecondBlock.HasParams());
}

TEST_F(MyGrafWipe, SecondBlockSearchStopsAtTheFirstMissingChosenName) {
    TLines lines = GenInfoLines();
    lines.erase(lines.begin() + 1, lines.begin() + 3); // JobId, seed, width, height
    const std::string data = GenInfoData(GenInfoObject(lines));
    const std::string before = PngFile({Chunk("tEXt", data)});
    const std::string path = Put("b.png", before);
    const TRun run = WipeFile(path);
    ASSERT_TRUE(run.Written);
    const std::string after = test::ReadWholeFile(path);
    const TParamSet p;
    ExpectPngWiped(before, after, {}, {NarrowSpan(before, "JobId", p.JobId)},
                   CrcSpans(before, {"tEXt"}));
    EXPECT_NE(after.find("\"seed\": 1234567890,"), std::string::npos);
}

TEST_F(MyGrafWipe, NamesAreFoundOnlyInTheOrderOfTheTable) {
    struct Case {
        const char* Note;
        std::array<bool, 4> Flags;
        std::vector<int> Order; // indexes of GenInfoLines in file order
        std::vector<std::string> Blanked;
        std::vector<std::string> Kept;
    };
    const TParamSet p;
    const Case cases[] = {
        {"only seed chosen: earlier names do not move the search",
         {false, false, false, true},
         {0, 1, 2, 3, 4, 5},
         {"seed"},
         {"JobId", "prompt", "negative_prompt"}},
        {"prompt before JobId: prompt is looked for after JobId",
         {true, true, false, false},
         {1, 0, 2, 3, 4, 5},
         {"JobId"},
         {"prompt", "negative_prompt", "seed"}},
        {"a chosen name missing stops the later ones",
         {false, true, true, true},
         {0, 2, 3, 4, 5},
         {},
         {"JobId", "negative_prompt", "seed"}},
        {"a missing name not chosen does not matter",
         {true, false, true, true},
         {0, 2, 3, 4, 5},
         {"JobId", "negative_prompt", "seed"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Note);
        SetFlags(c.Flags[0], c.Flags[1], c.Flags[2], c.Flags[3]);
        const TLines all = GenInfoLines(p);
        TLines lines;
        for (const int i : c.Order)
            lines.push_back(all[static_cast<std::size_t>(i)]);
        const std::string data = GenInfoData(GenInfoObject(lines));
        TMyGraf graf(true);
        ASSERT_TRUE(graf.LoadBytes(PngFile({Chunk("tEXt", data)})));
        const bool marked = graf.Mark();
        EXPECT_EQ(marked, !c.Blanked.empty());
        // Marking nothing leaves the data as they were (and clears the container).
        const std::string now = marked ? graf.SecondBlock.Data : data;
        const std::vector<std::pair<std::string, std::string>> line = {
            {"JobId", "\"" + p.JobId + "\""},
            {"prompt", "\"" + p.Prompt + "\""},
            {"negative_prompt", "\"" + p.NegPrompt + "\""},
            {"seed", p.Seed}};
        for (const auto& [key, value] : line) {
            const std::string original = "\"" + key + "\": " + value;
            const bool blanked =
                std::find(c.Blanked.begin(), c.Blanked.end(), key) != c.Blanked.end();
            const bool kept = std::find(c.Kept.begin(), c.Kept.end(), key) != c.Kept.end();
            if (blanked) {
                EXPECT_EQ(now.find(original), std::string::npos) << key;
            }
            if (kept) {
                EXPECT_NE(now.find(original), std::string::npos) << key;
            }
        }
    }
}

TEST_F(MyGrafWipe, BlankNarrowKeepsQuotesAndComma) {
    struct Case {
        const char* Note;
        std::string Value;
        bool Ok;
        std::string After;
    };
    const Case cases[] = {
        {"a string", " \"a cat\",", true, " \"     \","},
        {"a number", " 1234,", true, "     ,"},
        {"a string without comma", " \"x\"", true, " \" \""},
        {"a bare word", " abc", true, "    "},
        {"spaces inside quotes are kept", " \"  ab \",", true, " \"     \","},
        {"CR ends the value: no comma or quote rule", " \"a cat\",\r", true, "          "},
        {"two quotes", " \"\",", false, " \"\","},
        {"already wiped string", " \"   \",", false, " \"   \","},
        {"already wiped number", "    ,", false, "    ,"},
        {"only spaces", "    ", false, "    "},
        {"a lone quote", " \"", false, " \""},
        {"empty", "", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Note);
        TMyGrafItem block;
        block.Kind = 1;
        block.Data = "<" + c.Value + ">";
        TValuePos value{2, static_cast<int>(c.Value.size())};
        EXPECT_EQ(block.BlankNarrow(value), c.Ok);
        EXPECT_EQ(block.Data, "<" + c.After + ">");
        if (c.Ok) {
            // The record holds the blanked range: only spaces, nothing around it changed.
            EXPECT_EQ(block.Data.substr(static_cast<std::size_t>(value.Offset - 1),
                                        static_cast<std::size_t>(value.Length)),
                      std::string(static_cast<std::size_t>(value.Length), ' '));
        }
    }
}

TEST_F(MyGrafWipe, BlankWideFillsEverythingAfterTheLeadingSpaces) {
    struct Case {
        const char* Note;
        std::string Value; // UTF-8; stored as UTF-16
        bool Ok;
        std::string After;
    };
    const Case cases[] = {
        {"a value", " abc", true, "    "},
        {"quotes are overwritten too", " \"a b\"", true, "      "},
        {"two apostrophes are the empty value", " ''", false, " ''"},
        {"two apostrophes without space", "''", false, "''"},
        {"three apostrophes are a value", " '''", true, "    "},
        {"only spaces", "   ", false, "   "},
        {"a folded value becomes spaces", " >-\n  one\n\n  two", true, std::string(16, ' ')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Note);
        TMyGrafItem block;
        block.Kind = 0;
        block.Data = Utf16("<" + c.Value + ">");
        TValuePos value{3, 2 * static_cast<int>(c.Value.size())};
        EXPECT_EQ(block.BlankWide(value), c.Ok);
        EXPECT_EQ(block.Data, Utf16("<" + c.After + ">"));
    }
}

TEST_F(MyGrafWipe, BlankingIsClippedToTheData) {
    TMyGrafItem wide;
    wide.Kind = 0;
    wide.Data = Utf16(" abc");
    TValuePos beyond{7, 40};
    EXPECT_TRUE(wide.BlankWide(beyond)); // only "c" is inside
    EXPECT_EQ(wide.Data, Utf16(" ab "));
    EXPECT_EQ(beyond, (TValuePos{7, 2}));
    for (TValuePos bad : {TValuePos{9, 2}, TValuePos{0, 4}, TValuePos{-5, 20}, TValuePos{8, 2}}) {
        EXPECT_FALSE(wide.BlankWide(bad));
    }
    TMyGrafItem narrow;
    narrow.Kind = 1;
    narrow.Data = " \"ab\",";
    TValuePos tail{2, 100};
    EXPECT_TRUE(narrow.BlankNarrow(tail));
    EXPECT_EQ(narrow.Data, " \"  \",");
    for (TValuePos bad : {TValuePos{7, 1}, TValuePos{0, 3}, TValuePos{-1, 9}}) {
        EXPECT_FALSE(narrow.BlankNarrow(bad));
    }
}

TEST_F(MyGrafWipe, EmptyNegativePromptOfTheFirstBlockIsNotCounted) {
    SetFlags(false, false, true, false);
    const std::string exif =
        FirstBlockData("JobId: j\nprompt: p\nnegative_prompt: ''\nseed: 5\nformat: png\n");
    TMyGraf graf(true);
    ASSERT_TRUE(graf.LoadBytes(PngFile({Chunk("eXIf", exif)})));
    EXPECT_FALSE(graf.Mark());
}

TEST_F(MyGrafWipe, CrLfLinesLoseTheirCrToo) {
    const std::string data = GenInfoData(GenInfoObject(GenInfoLines(), "\r\n"));
    const std::string before = PngFile({Chunk("tEXt", data)});
    const std::string path = Put("crlf.png", before);
    SetFlags(false, true, false, false);
    ASSERT_TRUE(WipeFile(path).Written);
    const std::string after = test::ReadWholeFile(path);
    const std::string line = "\"prompt\": \"a red fox in the snow\",\r";
    const TSpan span = SpanAfter(before, "\"prompt\": ", line.substr(10));
    ExpectPngWiped(before, after, {}, {span}, CrcSpans(before, {"tEXt"}));
    // The leading space, then the quotes, the text, the comma and the CR as spaces.
    EXPECT_NE(after.find("\"prompt\":" + std::string(26, ' ') + "\n"), std::string::npos);
}

TEST_F(MyGrafWipe, FoldedPromptBecomesOneLineOfSpaces) {
    const std::string text = "JobId: j\nprompt: >-\n  first paragraph\n\n  second paragraph\n"
                             "negative_prompt: n\nseed: 5\nformat: png\n";
    const std::string before = PngFile({Chunk("eXIf", FirstBlockData(text))});
    const std::string path = Put("fold.png", before);
    SetFlags(false, true, false, false);
    ASSERT_TRUE(WipeFile(path).Written);
    const std::string after = test::ReadWholeFile(path);
    const std::string folded = ">-\n  first paragraph\n\n  second paragraph";
    ExpectPngWiped(before, after, {WideSpan(before, "prompt", folded)}, {},
                   CrcSpans(before, {"eXIf"}));
    TMyGraf shown(false);
    ASSERT_TRUE(shown.Load(path));
    EXPECT_EQ(shown.FirstBlock.GetPrompt(), "");
    EXPECT_EQ(shown.FirstBlock.GetValue("negative_prompt"), "n");
    EXPECT_NE(shown.FirstBlock.Text.find("prompt:" + std::string(1 + folded.size(), ' ') +
                                         "\r\nnegative_prompt: n"),
              std::string::npos);
}

TEST_F(MyGrafWipe, JpegIsWrittenAtFileOffsetsWithoutCrc) {
    const TParamSet p;
    const std::string before = test::JpegFile(FirstBlockText(p));
    const std::string path = Put("a.jpg", before);
    TMyGraf graf(true);
    ASSERT_TRUE(graf.Load(path));
    ASSERT_TRUE(graf.Mark());
    EXPECT_EQ(graf.FirstBlock.Crc, (std::array<std::uint8_t, 4>{}));
    ASSERT_EQ(graf.WriteMarked(path).Result, TWriteResult::Written);
    const std::string after = test::ReadWholeFile(path);
    ASSERT_EQ(after.size(), before.size());
    const std::vector<TSpan> spans = {
        WideSpan(before, "JobId", p.JobId), WideSpan(before, "prompt", p.Prompt),
        WideSpan(before, "negative_prompt", p.NegPrompt), WideSpan(before, "seed", p.Seed)};
    EXPECT_TRUE(test::ChangesWithin(before, after, spans));
    for (const TSpan& span : spans) {
        EXPECT_TRUE(AllSpaces(after, span, true));
    }
    const auto original = test::DecodeJpeg(before);
    const auto wiped = test::DecodeJpeg(after);
    ASSERT_TRUE(original && wiped);
    EXPECT_EQ(wiped->Rgb, original->Rgb);
    TMyGraf shown(false);
    ASSERT_TRUE(shown.Load(path));
    EXPECT_EQ(shown.FirstBlock.GetPrompt(), "");
    EXPECT_EQ(shown.FirstBlock.GetValue("format"), "png");
}

TEST_F(MyGrafWipe, FileThatCannotBeOpenedForWritingKeepsTheCode) {
    const std::string before = test::TarvoPng();
    struct Case {
        const char* Note;
        int Lock; // flock held by another open file description, 0 for none
        bool ReadOnly;
        bool Remove;
    };
    for (const Case c :
         {Case{"read-only", 0, true, false}, Case{"held by a writer", LOCK_EX, false, false},
          Case{"held by a reader", LOCK_SH, false, false}, Case{"removed", 0, false, true}}) {
        SCOPED_TRACE(c.Note);
        const std::string path = Put("held.png", before);
        TMyGraf graf(true);
        ASSERT_TRUE(graf.Load(path));
        ASSERT_TRUE(graf.Mark());
        int fd = -1;
        if (c.Lock != 0) {
            fd = open(path.c_str(), O_RDONLY);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(flock(fd, c.Lock | LOCK_NB), 0);
        }
        if (c.ReadOnly) {
            ASSERT_EQ(chmod(path.c_str(), 0444), 0);
        }
        if (c.Remove) {
            ASSERT_EQ(unlink(path.c_str()), 0);
        }
        EXPECT_EQ(graf.WriteMarked(path).Result, TWriteResult::NotOpened);
        if (fd >= 0) close(fd);
        if (!c.Remove) {
            EXPECT_EQ(test::ReadWholeFile(path), before);
            chmod(path.c_str(), 0644);
            unlink(path.c_str());
        }
    }
}

TEST_F(MyGrafWipe, FileLockedByAnotherProcessKeepsTheCode) {
    const std::string before = test::TarvoPng();
    const std::string path = Put("proc.png", before);
    TMyGraf graf(true);
    ASSERT_TRUE(graf.Load(path));
    ASSERT_TRUE(graf.Mark());
    int ready[2];
    int done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = open(path.c_str(), O_RDWR);
        const char ok = fd >= 0 && flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
        (void)!write(ready[1], &ok, 1);
        char wait = 0;
        (void)!read(done[0], &wait, 1);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    EXPECT_EQ(graf.WriteMarked(path).Result, TWriteResult::NotOpened);
    (void)!write(done[1], "x", 1);
    int status = 0;
    waitpid(child, &status, 0);
    for (int fd : {ready[0], ready[1], done[0], done[1]})
        close(fd);
    EXPECT_EQ(test::ReadWholeFile(path), before);
}

TEST_F(MyGrafWipe, FileChangedSinceLoadingIsNotWritten) {
    const TParamSet p;
    const std::string original = test::TarvoPng(p);
    TParamSet other = p;
    other.Prompt = "a grey wolf in the snow";
    struct Case {
        const char* Note;
        std::string Changed; // the file as another program left it
    };
    std::string inValue = original;
    inValue[WideSpan(original, "prompt", p.Prompt).Offset] = 'X';
    std::string inChunk = original;
    inChunk[original.find("\"width\": 512") + 10] = '9'; // same chunk, outside every value
    std::string crcOnly = original;
    crcOnly[CrcSpans(original, {"tEXt"})[0].Offset] ^= 1;
    const Case cases[] = {
        {"a byte of a value", inValue},
        {"a byte of the same chunk outside the values", inChunk},
        {"the stored CRC", crcOnly},
        {"cut short", original.substr(0, original.size() / 2)},
        {"cut inside the text chunk", original.substr(0, original.find("\"seed\""))},
        {"another picture", test::TarvoPng(other)},
        {"not a picture any more", std::string(original.size(), 'z')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Note);
        const std::string path = Put("stale.png", original);
        TMyGraf graf(true);
        ASSERT_TRUE(graf.Load(path));
        ASSERT_TRUE(graf.Mark());
        // The user is still looking at the confirmation while the file is rewritten.
        ASSERT_TRUE(test::WriteFile(path, c.Changed));
        EXPECT_EQ(graf.WriteMarked(path).Result, TWriteResult::NotOpened);
        EXPECT_EQ(test::ReadWholeFile(path), c.Changed);
    }
}

TEST_F(MyGrafWipe, ChangeOutsideTheBlocksDoesNotStopTheWrite) {
    const std::string original = test::TarvoPng();
    const std::string path = Put("pix.png", original);
    TMyGraf graf(true);
    ASSERT_TRUE(graf.Load(path));
    ASSERT_TRUE(graf.Mark());
    std::string changed = original;
    changed[original.size() - 13] ^= 0x01; // inside IEND's neighbour, the IDAT CRC
    ASSERT_TRUE(test::WriteFile(path, changed));
    EXPECT_EQ(graf.WriteMarked(path).Result, TWriteResult::Written);
}

TEST_F(MyGrafWipe, WriterStatusNamesTheStageThatFailed) {
    const TParamSet p;
    const std::string before = test::TarvoPng(p);
    struct Case {
        const char* Note;
        TWriteFaults Faults;
        bool SyncWrites;
        TWriteResult Result;
        bool Untouched; // the file is exactly as before
    };
    const Case cases[] = {
        {"the first write fails", {0, -1, false}, true, TWriteResult::NothingWritten, true},
        {"the second chunk's write fails",
         {1, -1, false},
         true,
         TWriteResult::PartlyWritten,
         false},
        {"short write of the first chunk",
         {-1, 0, false},
         true,
         TWriteResult::PartlyWritten,
         false},
        {"short write of the second chunk",
         {-1, 1, false},
         true,
         TWriteResult::PartlyWritten,
         false},
        {"sync fails", {-1, -1, true}, true, TWriteResult::PartlyWritten, false},
        {"sync off for a folder run", {-1, -1, true}, false, TWriteResult::Written, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Note);
        const std::string path = Put("fault.png", before);
        TMyGraf graf(true);
        graf.SyncWrites = c.SyncWrites;
        ASSERT_TRUE(graf.Load(path));
        ASSERT_TRUE(graf.Mark());
        SetWriteFaults(c.Faults);
        EXPECT_EQ(graf.WriteMarked(path).Result, c.Result);
        SetWriteFaults({});
        const std::string after = test::ReadWholeFile(path);
        ASSERT_EQ(after.size(), before.size());
        if (c.Untouched) {
            EXPECT_EQ(after, before);
        }
    }
}

// A failed write leaves every chunk it did not reach as it was, and every chunk it wrote
// whole with its new CRC; only a write cut short inside a chunk leaves a wrong CRC.
TEST_F(MyGrafWipe, EachChunkGoesOutWholeInOneWriteFirstBlockFirst) {
    const TParamSet p;
    const std::string before = test::TarvoPng(p);
    const std::string path = Put("order.png", before);
    TMyGraf graf(true);
    ASSERT_TRUE(graf.Load(path));
    ASSERT_TRUE(graf.Mark());
    SetWriteFaults({.FailWriteAt = 1});
    EXPECT_EQ(graf.WriteMarked(path).Result, TWriteResult::PartlyWritten);
    const std::string after = test::ReadWholeFile(path);
    EXPECT_TRUE(test::AllCrcsOk(after));
    EXPECT_TRUE(AllSpaces(after, WideSpan(before, "prompt", p.Prompt), true));
    EXPECT_EQ(test::PngChunks(after).size(), test::PngChunks(before).size());
    const TSpan text = NarrowSpan(before, "prompt", p.Prompt);
    EXPECT_EQ(after.substr(text.Offset, text.Length), p.Prompt);
}

// A file left with a wrong CRC by an interrupted writer heals on the next wipe: the CRC is
// rewritten even where no value is left to blank, and the result is the file a clean wipe
// makes.
TEST_F(MyGrafWipe, AnInterruptedWriteHealsOnTheNextWipe) {
    const std::string original = test::TarvoPng();
    const std::string reference = Put("reference.png", original);
    ASSERT_TRUE(WipeFile(reference).Written);
    const std::string clean = test::ReadWholeFile(reference);
    const struct {
        const char* Note;
        TWriteFaults Faults;
    } cases[] = {
        {"the first chunk cut short", {.ShortWriteAt = 0}},
        {"the second chunk cut short", {.ShortWriteAt = 1}},
        {"the second chunk never written", {.FailWriteAt = 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Note);
        const std::string path = Put("torn.png", original);
        SetWriteFaults(c.Faults);
        EXPECT_FALSE(WipeFile(path).Written);
        SetWriteFaults({});
        TMyGraf graf(true);
        ASSERT_TRUE(graf.Load(path));
        const bool damaged = graf.FirstBlock.CrcDamaged || graf.SecondBlock.CrcDamaged;
        EXPECT_EQ(damaged, c.Faults.ShortWriteAt >= 0);
        ASSERT_TRUE(graf.Mark());
        EXPECT_EQ(graf.WriteMarked(path).Result, TWriteResult::Written);
        EXPECT_EQ(test::ReadWholeFile(path), clean);
    }
    // Values already blank and nothing but the CRC wrong: only the CRC field is written.
    std::string damaged = clean;
    const test::TChunkInfo exif = test::PngChunks(clean)[1];
    ASSERT_EQ(exif.Type, "eXIf");
    damaged[exif.Offset + 8 + exif.Length] ^= 0x5A;
    const std::string path = Put("crc.png", damaged);
    EXPECT_TRUE(WipeFile(path).Written);
    EXPECT_EQ(test::ReadWholeFile(path), clean);
}

TEST_F(MyGrafWipe, FieldsThatPointOutsideTheDataWriteNothing) {
    const std::string before = test::TarvoPng();
    struct Case {
        const char* Note;
        void (*Spoil)(TMyGrafItem&);
    };
    const Case cases[] = {
        {"change beyond the data",
         [](TMyGrafItem& b) { b.ChangeLength = static_cast<int>(b.Data.size()) + 5; }},
        {"change before the data", [](TMyGrafItem& b) { b.ChangeStart = 0; }},
        {"negative length", [](TMyGrafItem& b) { b.ChangeLength = -3; }},
        {"negative offset", [](TMyGrafItem& b) { b.BlockOffset = -40; }},
        {"CRC field not after the data", [](TMyGrafItem& b) { b.CrcPos += 2; }},
        {"data resized", [](TMyGrafItem& b) { b.Data.push_back(' '); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Note);
        const std::string path = Put("spoilt.png", before);
        TMyGraf graf(true);
        ASSERT_TRUE(graf.Load(path));
        ASSERT_TRUE(graf.Mark());
        c.Spoil(graf.SecondBlock);
        EXPECT_EQ(graf.WriteMarked(path).Result, TWriteResult::NotOpened);
        EXPECT_EQ(test::ReadWholeFile(path), before);
    }
}

TEST_F(MyGrafWipe, WriteWithoutMarksWritesNothing) {
    const std::string before = test::TarvoPng();
    const std::string path = Put("none.png", before);
    TMyGraf graf(true);
    ASSERT_TRUE(graf.Load(path));
    EXPECT_EQ(graf.WriteMarked(path).Result, TWriteResult::NotOpened);
    EXPECT_EQ(test::ReadWholeFile(path), before);
}

} // namespace
} // namespace tarvo
