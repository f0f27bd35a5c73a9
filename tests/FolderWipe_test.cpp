#include "app/FilesObj.h"
#include "app/FolderWipe.h"
#include "app/TarvoData.h"
#include "params/DatTypes.h"
#include "platform/LockedFile.h"
#include "support/PicBuilder.h"
#include "util/MyStrUnit.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tarvo {
namespace {

// A folder file's outcome as the command-line tool prints it: the code, -1 for a failed Load.
int Number(std::optional<TWipeCode> code) {
    return code ? static_cast<int>(*code) : -1;
}

using test::TParamSet;

struct TCodeMessageCase {
    int Code;
    const char* Text; // empty: no message
    TMsgTone Tone;
};

TEST(FolderWipe, EveryCodeHasItsMessageTextAndTone) {
    const TCodeMessageCase cases[] = {
        {1, "Ошибка! Параметры не заданы. Операция отменена.", TMsgTone::Warning},
        {2, "Ошибка! Файл не найден. Операция отменена.", TMsgTone::Warning},
        {3, "Внимание! В файле нет данных Tarvo или не удалось прочитать. Операция отменена.",
         TMsgTone::Information},
        {4,
         "Внимание! Указанные для стирания данные отсутствуют в файле или уже стёрты. Операция "
         "отменена.",
         TMsgTone::Information},
        {6, "Ошибка! Не удалось открыть файл для записи. Операция отменена.", TMsgTone::Warning},
        // "поизицю" is the product's own wording and stays as it is.
        {7, "Ошибка! Не удалось установить поизицю записи в файле. Операция отменена.",
         TMsgTone::Warning},
        {8, "Внимание! Сбой при попытке записи в файл. Операция прервана.", TMsgTone::Error},
        {9, "Внимание! Неизвестная ошибка. Операция прервана.", TMsgTone::Error},
        {0, "", TMsgTone::Information},
        {5, "", TMsgTone::Information},
        {10, "", TMsgTone::Information},
        {-1, "", TMsgTone::Information},
    };
    for (const TCodeMessageCase& c : cases) {
        SCOPED_TRACE(c.Code);
        const TWipeMessage message = WipeCodeMessage(static_cast<TWipeCode>(c.Code));
        EXPECT_EQ(message.Text, c.Text);
        if (!message.Text.empty()) {
            EXPECT_EQ(message.Tone, c.Tone);
        }
    }
}

TEST(FolderWipe, CodeTextIsTheMessageWithoutItsFrame) {
    EXPECT_EQ(WipeCodeText(TWipeCode::NoFile), "Файл не найден");
    EXPECT_EQ(WipeCodeText(TWipeCode::SeekFailed), "Не удалось установить поизицю записи в файле");
    EXPECT_EQ(WipeCodeText(TWipeCode::Done), "");
    EXPECT_EQ(WipeCodeText(TWipeCode::Declined), "");
    for (int value = 1; value <= 9; ++value) {
        SCOPED_TRACE(value);
        const auto code = static_cast<TWipeCode>(value);
        const std::string text = WipeCodeText(code);
        if (text.empty()) continue;
        EXPECT_NE(WipeCodeMessage(code).Text.find(" " + text + ". "), std::string::npos);
    }
}

TEST(FolderWipe, ReportOfSevenFixedTwoWithoutDataOneNothingToWipe) {
    TWipeCounters counters;
    counters.total = 10;
    counters.fixed = 7;
    counters.noData = 2;
    counters.byCode[4] = 1;
    const TWipeMessage report = ComposeReport(counters);
    EXPECT_EQ(report.Text, "Отчёт об операции:\r\n"
                           "7 из 10 файлов успешно исправлено.\r\n"
                           "2 файлов не содержат данных Tarvo Data.\r\n"
                           "1 файлов не нуждаются в правке (указанны данные в их Tarvo Data не "
                           "заданы или уже стёрты.");
    EXPECT_EQ(report.Tone, TMsgTone::Information);
    EXPECT_EQ(counters.severity, 0);
}

struct TReportLineCase {
    const char* Name;
    void (*Set)(TWipeCounters&);
    const char* Line;
    int Severity;
    TMsgTone Tone;
};

TEST(FolderWipe, EachCounterAddsItsLineWithItsWeight) {
    const TReportLineCase cases[] = {
        {"noData", [](TWipeCounters& c) { c.noData = 3; },
         "3 файлов не содержат данных Tarvo Data.", 0, TMsgTone::Information},
        {"code 4", [](TWipeCounters& c) { c.byCode[4] = 3; },
         "3 файлов не нуждаются в правке (указанны данные в их Tarvo Data не заданы или уже "
         "стёрты.",
         0, TMsgTone::Information},
        {"code 2", [](TWipeCounters& c) { c.byCode[2] = 3; }, "3 ошибок типа \"файл не найден\".",
         1, TMsgTone::Information},
        {"code 3", [](TWipeCounters& c) { c.byCode[3] = 3; },
         "3 ошибок типа \"файл не удалось прочитать\".", 2, TMsgTone::Warning},
        {"code 6", [](TWipeCounters& c) { c.byCode[6] = 3; },
         "3 ошибок типа \"файл не удалось открыть для записи\".", 2, TMsgTone::Warning},
        {"code 7", [](TWipeCounters& c) { c.byCode[7] = 3; },
         "3 ошибок типа \"не удалось установить поизицю записи в файле\".", 2, TMsgTone::Warning},
        {"code 8", [](TWipeCounters& c) { c.byCode[8] = 3; },
         "3 критических ошибок типа \"сбой при записи\".", 3, TMsgTone::Error},
        {"unknown", [](TWipeCounters& c) { c.unknown = 3; },
         "3 ошибок типа \"неизвестная ошибка\".", 0, TMsgTone::Information},
        {"copies left", [](TWipeCounters& c) { c.withLeftovers = 3; },
         "3 файлов всё ещё содержат копии стёртых данных в других метаданных.", 2,
         TMsgTone::Warning},
    };
    for (const TReportLineCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TWipeCounters counters;
        counters.total = 5;
        counters.fixed = 2;
        c.Set(counters);
        const TWipeMessage report = ComposeReport(counters);
        EXPECT_EQ(report.Text,
                  std::string("Отчёт об операции:\r\n2 из 5 файлов успешно исправлено.\r\n") +
                      c.Line);
        EXPECT_EQ(counters.severity, c.Severity);
        EXPECT_EQ(report.Tone, c.Tone);
    }
}

TEST(FolderWipe, CodesOneFiveAndNineHaveNoReportLine) {
    TWipeCounters counters;
    counters.total = 3;
    counters.byCode[1] = 1;
    counters.byCode[5] = 1;
    counters.byCode[9] = 1;
    const TWipeMessage report = ComposeReport(counters);
    EXPECT_EQ(report.Text, "Отчёт об операции:\r\n0 из 3 файлов успешно исправлено.");
    EXPECT_EQ(report.Tone, TMsgTone::Information);
}

TEST(FolderWipe, ReportLinesKeepTheirOrder) {
    TWipeCounters counters;
    counters.total = 36;
    counters.fixed = 1;
    counters.unknown = 8;
    counters.byCode[8] = 7;
    counters.byCode[7] = 6;
    counters.byCode[6] = 5;
    counters.byCode[3] = 4;
    counters.byCode[2] = 3;
    counters.byCode[4] = 2;
    counters.noData = 1;
    const TWipeMessage report = ComposeReport(counters);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = report.Text.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        lines.push_back(report.Text.substr(start, end - start));
    lines.push_back(report.Text.substr(start));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "Отчёт об операции:");
    EXPECT_EQ(lines[1], "1 из 36 файлов успешно исправлено.");
    for (std::size_t i = 2; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].substr(0, 2), std::to_string(i - 1) + " ") << lines[i];
    EXPECT_EQ(report.Tone, TMsgTone::Error);
    EXPECT_EQ(counters.severity, 3);
}

TEST(FolderWipe, BrokenOffRunOpensWithTheFailureLineAndIsAnError) {
    TWipeCounters counters;
    counters.total = 4;
    counters.fixed = 1;
    counters.noData = 1;
    counters.completed = false;
    counters.severity = 3;
    const TWipeMessage report = ComposeReport(counters);
    EXPECT_EQ(report.Text, "Внимание! Сбой в процессе обработки файлов! Оперция не завершена "
                           "корректно. \r\n\r\n"
                           "Отчёт об операции:\r\n1 из 4 файлов успешно исправлено.\r\n"
                           "1 файлов не содержат данных Tarvo Data.");
    EXPECT_EQ(report.Tone, TMsgTone::Error);
    EXPECT_EQ(counters.severity, 3);
}

// A changed byte of a UTF-16 block whose data start at dataStart: it belongs to a code unit
// that is now U+0020.
void ExpectWideSpace(const std::string& after, std::size_t dataStart, std::size_t i) {
    const std::size_t unit = i - (i - dataStart) % 2;
    ASSERT_LT(unit + 1, after.size());
    EXPECT_EQ(after[unit], ' ') << "byte " << i;
    EXPECT_EQ(after[unit + 1], '\0') << "byte " << i;
}

// Every byte a wipe may change in a PNG file: the data of the two parameter chunks (only
// ever to spaces, UTF-16 ones in the eXIf chunk) and their CRC fields, which must then be
// right; every other chunk keeps its CRC as it was.
void ExpectOnlyPngValuesBlanked(const std::string& before, const std::string& after) {
    ASSERT_EQ(before.size(), after.size());
    std::vector<test::TSpan> data;
    std::vector<bool> wide;
    std::vector<test::TSpan> allowed;
    const std::vector<test::TChunkInfo> chunksBefore = test::PngChunks(before);
    const std::vector<test::TChunkInfo> chunksAfter = test::PngChunks(after);
    ASSERT_EQ(chunksBefore.size(), chunksAfter.size());
    for (std::size_t i = 0; i < chunksBefore.size(); ++i) {
        const test::TChunkInfo& chunk = chunksBefore[i];
        if (chunk.Type != "eXIf" && chunk.Type != "tEXt") {
            EXPECT_EQ(chunksAfter[i].CrcOk, chunk.CrcOk) << chunk.Type;
            continue;
        }
        EXPECT_TRUE(chunksAfter[i].CrcOk) << chunk.Type;
        data.push_back({chunk.Offset + 8, chunk.Length});
        wide.push_back(chunk.Type == "eXIf");
        allowed.push_back({chunk.Offset + 8, chunk.Length + 4});
    }
    EXPECT_TRUE(test::ChangesWithin(before, after, allowed));
    if (test::AllCrcsOk(before)) {
        EXPECT_TRUE(test::AllCrcsOk(after));
    }
    for (const test::TSpan& span : test::ChangedSpans(before, after))
        for (std::size_t i = span.Offset; i < span.Offset + span.Length; ++i)
            for (std::size_t k = 0; k < data.size(); ++k) {
                if (i < data[k].Offset || i >= data[k].Offset + data[k].Length) continue;
                if (wide[k])
                    ExpectWideSpace(after, data[k].Offset, i);
                else
                    EXPECT_EQ(after[i], ' ') << "byte " << i;
            }
    const auto pixelsBefore = test::DecodePng(before);
    const auto pixelsAfter = test::DecodePng(after);
    ASSERT_TRUE(pixelsBefore && pixelsAfter);
    EXPECT_EQ(pixelsBefore->Rgb, pixelsAfter->Rgb);
}

void ExpectOnlyJpegValuesBlanked(const std::string& before, const std::string& after,
                                 std::size_t blockLength) {
    ASSERT_EQ(before.size(), after.size());
    EXPECT_TRUE(test::ChangesWithin(before, after, {{test::JpegBlockDataOffset, blockLength}}));
    for (const test::TSpan& span : test::ChangedSpans(before, after))
        for (std::size_t i = span.Offset; i < span.Offset + span.Length; ++i)
            ExpectWideSpace(after, test::JpegBlockDataOffset, i);
    const auto pixelsBefore = test::DecodeJpeg(before);
    const auto pixelsAfter = test::DecodeJpeg(after);
    ASSERT_TRUE(pixelsBefore && pixelsAfter);
    EXPECT_EQ(pixelsBefore->Rgb, pixelsAfter->Rgb);
}

struct timespec ModifiedAt(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mtim;
}

// Moves the file's modification time a day back, so that any write shows.
void Age(const std::string& path) {
    struct timespec times[2];
    times[0].tv_sec = 1'600'000'000;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class FolderRun : public testing::Test {
protected:
    void SetUp() override {
        BuildCaseTable();
        ParJobId = ParPrompt = ParNegPrompt = ParSeed = true;
        ASSERT_FALSE(FDir.Path().empty());
    }
    void TearDown() override {
        ParJobId = ParPrompt = ParNegPrompt = ParSeed = false;
        SetWriteFaults({});
        for (const std::string& path : FReadOnly)
            chmod(path.c_str(), 0644);
    }

    std::string Put(const std::string& name, const std::string& bytes) {
        const std::string path = FDir.File(name);
        EXPECT_TRUE(test::WriteFile(path, bytes)) << path;
        Age(path);
        FBefore[path] = bytes;
        return path;
    }
    std::string PutReadOnly(const std::string& name, const std::string& bytes) {
        const std::string path = Put(name, bytes);
        EXPECT_EQ(chmod(path.c_str(), 0444), 0);
        FReadOnly.push_back(path);
        return path;
    }
    // The folder's list as the folder processing builds it.
    TFilesObj List() {
        TFilesObj list;
        list.TarvoFilter = true;
        list.Fill(FDir.Path());
        return list;
    }
    void ExpectUntouched(const std::string& path) {
        EXPECT_EQ(test::ReadWholeFile(path), FBefore[path]) << path;
        const struct timespec mtime = ModifiedAt(path);
        EXPECT_EQ(mtime.tv_sec, 1'600'000'000) << path;
        EXPECT_EQ(mtime.tv_nsec, 0) << path;
    }

    test::TTempDir FDir;
    std::map<std::string, std::string> FBefore;
    std::vector<std::string> FReadOnly;
};

TEST_F(FolderRun, WipesEveryFileAndCountsEachOutcome) {
    TParamSet fox;
    TParamSet owl;
    owl.JobId = "0b9a8c7d-1111-2222-3333-444455556666";
    owl.Prompt = "сова на ветке, акварель";
    owl.NegPrompt = "размыто";
    owl.Seed = "42";
    owl.Format = "jpeg";
    const std::string owlBlock = test::FirstBlockText(owl);

    const std::string png = Put("a fox.png", test::TarvoPng(fox));
    const std::string jpeg = Put("b owl.jpg", test::JpegFile(owlBlock));
    const std::string bare = Put("c bare.png", test::PngFile({}));
    const std::string notPicture = Put("d text.jpeg", std::string(300, 'x'));
    const std::string wiped = FDir.File("e wiped.png");
    ASSERT_TRUE(test::WriteFile(wiped, test::TarvoPng(fox)));
    {
        TTarvoData once(true);
        once.FilePath = wiped;
        ASSERT_EQ(once.Wipe(false), TWipeCode::Done);
    }
    Age(wiped);
    FBefore[wiped] = test::ReadWholeFile(wiped);
    const std::string readOnly = PutReadOnly("f locked.png", test::TarvoPng(fox));
    Put("g tiny.png", "tiny");

    TFilesObj list = List();
    ASSERT_EQ(list.Names.size(), 6u); // the 4-byte file is not listed
    TTarvoData delData(true);
    TWipeCounters counters;
    counters.fixed = 99; // a run counts afresh
    std::vector<std::pair<std::string, int>> seen;
    RunFolderWipe(list, delData, counters,
                  [&](const std::string& path, std::optional<TWipeCode> code,
                      const TWipeFindings&) { seen.emplace_back(path, Number(code)); });

    const std::vector<std::pair<std::string, int>> expected = {
        {png, 0}, {jpeg, 0}, {bare, -1}, {notPicture, -1}, {wiped, 4}, {readOnly, 6}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(counters.total, 6);
    EXPECT_EQ(counters.fixed, 2);
    EXPECT_EQ(counters.noData, 2);
    EXPECT_EQ(counters.byCode[4], 1);
    EXPECT_EQ(counters.byCode[6], 1);
    EXPECT_EQ(counters.unknown, 0);
    EXPECT_TRUE(counters.completed);
    EXPECT_EQ(delData.FilePath, "");
    EXPECT_FALSE(delData.HasParams());
    EXPECT_TRUE(delData.SyncEachWrite());

    const TWipeMessage report = ComposeReport(counters);
    EXPECT_EQ(report.Text, "Отчёт об операции:\r\n"
                           "2 из 6 файлов успешно исправлено.\r\n"
                           "2 файлов не содержат данных Tarvo Data.\r\n"
                           "1 файлов не нуждаются в правке (указанны данные в их Tarvo Data не "
                           "заданы или уже стёрты.\r\n"
                           "1 ошибок типа \"файл не удалось открыть для записи\".");
    EXPECT_EQ(report.Tone, TMsgTone::Warning);

    ExpectOnlyPngValuesBlanked(FBefore[png], test::ReadWholeFile(png));
    ExpectOnlyJpegValuesBlanked(FBefore[jpeg], test::ReadWholeFile(jpeg), owlBlock.size());
    for (const std::string& path : {bare, notPicture, wiped, readOnly})
        ExpectUntouched(path);

    // The wiped files read back without any of the four values.
    TTarvoData viewer(false);
    for (const std::string& path : {png, jpeg}) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(viewer.Load(path));
        for (std::string_view key : ParamNames)
            EXPECT_EQ(viewer.GetValue(key), "") << key;
        const std::string text = viewer.GetFullText();
        for (const std::string& value : {fox.Prompt, fox.JobId, owl.Prompt, owl.NegPrompt})
            EXPECT_EQ(text.find(value), std::string::npos) << value;
        EXPECT_NE(text.find("512"), std::string::npos); // width is not a wiped key
    }
}

TEST_F(FolderRun, WipesOnlyTheChosenKeys) {
    ParJobId = ParNegPrompt = false;
    TParamSet fox;
    const std::string png = Put("fox.png", test::TarvoPng(fox));
    TFilesObj list = List();
    TTarvoData delData(true);
    TWipeCounters counters;
    RunFolderWipe(list, delData, counters);
    EXPECT_EQ(counters.fixed, 1);
    ExpectOnlyPngValuesBlanked(FBefore[png], test::ReadWholeFile(png));
    TTarvoData viewer(false);
    ASSERT_TRUE(viewer.Load(png));
    EXPECT_EQ(viewer.GetValue("JobId"), fox.JobId);
    EXPECT_EQ(viewer.GetValue("negative_prompt"), fox.NegPrompt);
    EXPECT_EQ(viewer.GetValue("prompt"), "");
    EXPECT_EQ(viewer.GetValue("seed"), "");
}

TEST_F(FolderRun, FilesAreNotSyncedOneByOne) {
    // A failing per-file sync turns a single wipe into a write failure; inside a folder run
    // no file is synced on its own, so every file is wiped.
    const std::string single = Put("single.png", test::TarvoPng());
    Put("x1.png", test::TarvoPng());
    Put("x2.jpg", test::JpegFile(test::FirstBlockText()));
    TWriteFaults faults;
    faults.FailSync = true;
    SetWriteFaults(faults);
    {
        TTarvoData one(true);
        one.FilePath = single;
        EXPECT_EQ(one.Wipe(false), TWipeCode::WriteFailed);
    }
    ASSERT_EQ(rename(single.c_str(), (FDir.Path() + "/single.txt").c_str()), 0);

    TFilesObj list = List();
    TTarvoData delData(true);
    TWipeCounters counters;
    RunFolderWipe(list, delData, counters);
    EXPECT_EQ(counters.total, 2);
    EXPECT_EQ(counters.fixed, 2);
    EXPECT_TRUE(counters.completed);
    EXPECT_TRUE(delData.SyncEachWrite()); // restored after the run
}

TEST_F(FolderRun, KeepsAnOffPerFileSyncOff) {
    Put("x1.png", test::TarvoPng());
    TFilesObj list = List();
    TTarvoData delData(true);
    delData.SetSyncEachWrite(false);
    TWipeCounters counters;
    RunFolderWipe(list, delData, counters);
    EXPECT_EQ(counters.fixed, 1);
    EXPECT_FALSE(delData.SyncEachWrite());
}

TEST_F(FolderRun, AFailureThatEscapesAFileBreaksTheRunOff) {
    const std::string first = Put("1.png", test::TarvoPng());
    const std::string second = Put("2.png", test::TarvoPng());
    const std::string third = Put("3.png", test::TarvoPng());
    TFilesObj list = List();
    TTarvoData delData(true);
    TWipeCounters counters;
    int calls = 0;
    RunFolderWipe(list, delData, counters,
                  [&](const std::string&, std::optional<TWipeCode>, const TWipeFindings&) {
                      if (++calls == 2) throw std::runtime_error("disk gone");
                  });
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(counters.completed);
    EXPECT_EQ(counters.severity, 3);
    EXPECT_EQ(counters.total, 3);
    EXPECT_EQ(counters.fixed, 2);
    EXPECT_EQ(delData.FilePath, "");
    EXPECT_TRUE(delData.SyncEachWrite());
    ExpectUntouched(third);
    ExpectOnlyPngValuesBlanked(FBefore[second], test::ReadWholeFile(second));

    const TWipeMessage report = ComposeReport(counters);
    EXPECT_EQ(report.Text.rfind("Внимание! Сбой в процессе обработки файлов!", 0), 0u);
    EXPECT_NE(report.Text.find("2 из 3 файлов успешно исправлено."), std::string::npos);
    EXPECT_EQ(report.Tone, TMsgTone::Error);
    (void)first;
}

TEST_F(FolderRun, AFailingFinalSyncBreaksTheRunOff) {
    Put("1.png", test::TarvoPng());
    TFilesObj list = List();
    const std::string moved = FDir.Path() + "-moved";
    TTarvoData delData(true);
    TWipeCounters counters;
    // The folder disappears from its path after the last file, so it cannot be synced.
    RunFolderWipe(list, delData, counters,
                  [&](const std::string&, std::optional<TWipeCode>, const TWipeFindings&) {
                      ASSERT_EQ(rename(FDir.Path().c_str(), moved.c_str()), 0);
                  });
    ASSERT_EQ(rename(moved.c_str(), FDir.Path().c_str()), 0);
    EXPECT_EQ(counters.fixed, 1);
    EXPECT_FALSE(counters.completed);
    EXPECT_EQ(counters.severity, 3);
    EXPECT_EQ(ComposeReport(counters).Tone, TMsgTone::Error);
}

TEST_F(FolderRun, NamesMissingFromTheFolderCountAsWithoutData) {
    const std::string present = Put("b.png", test::TarvoPng());
    TFilesObj list = List();
    // The window's own list may name files that the processed folder does not hold.
    list.Names = {"a.png", "b.png", "c.jpg"};
    TTarvoData delData(true);
    TWipeCounters counters;
    RunFolderWipe(list, delData, counters);
    EXPECT_EQ(counters.total, 3);
    EXPECT_EQ(counters.fixed, 1);
    EXPECT_EQ(counters.noData, 2);
    EXPECT_TRUE(counters.completed);
    ExpectOnlyPngValuesBlanked(FBefore[present], test::ReadWholeFile(present));
}

TEST_F(FolderRun, DryRunGivesTheCodesOfAWipeAndWritesNothing) {
    const std::string folder = FDir.File("dry");
    const std::string copy = FDir.File("real");
    for (const std::string& dir : {folder, copy}) {
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        Put(dir.substr(FDir.Path().size() + 1) + "/a.png", test::TarvoPng());
        Put(dir.substr(FDir.Path().size() + 1) + "/b.jpg", test::JpegFile(test::FirstBlockText()));
        Put(dir.substr(FDir.Path().size() + 1) + "/c.png", test::PngFile({}));
        PutReadOnly(dir.substr(FDir.Path().size() + 1) + "/d.png", test::TarvoPng());
    }
    std::vector<std::pair<std::string, int>> dryCodes;
    std::vector<std::pair<std::string, int>> realCodes;
    TWipeCounters dry;
    TWipeCounters real;
    {
        TFilesObj list;
        list.TarvoFilter = true;
        list.Fill(folder);
        TTarvoData delData(true);
        delData.DryRun = true;
        RunFolderWipe(
            list, delData, dry,
            [&](const std::string& path, std::optional<TWipeCode> code, const TWipeFindings&) {
                dryCodes.emplace_back(path.substr(folder.size()), Number(code));
            });
        EXPECT_TRUE(delData.DryRun);
    }
    for (const auto& [path, bytes] : FBefore)
        if (path.rfind(folder + "/", 0) == 0) ExpectUntouched(path);
    {
        TFilesObj list;
        list.TarvoFilter = true;
        list.Fill(copy);
        TTarvoData delData(true);
        RunFolderWipe(
            list, delData, real,
            [&](const std::string& path, std::optional<TWipeCode> code, const TWipeFindings&) {
                realCodes.emplace_back(path.substr(copy.size()), Number(code));
            });
    }
    const std::vector<std::pair<std::string, int>> expected = {
        {"/a.png", 0}, {"/b.jpg", 0}, {"/c.png", -1}, {"/d.png", 6}};
    EXPECT_EQ(dryCodes, expected);
    EXPECT_EQ(realCodes, expected);
    // The dry run's report says what would change; its other lines are the real run's.
    std::string expectedDry = ComposeReport(real).Text;
    const std::string realHeadline = "2 из 4 файлов успешно исправлено.";
    const std::size_t at = expectedDry.find(realHeadline);
    ASSERT_NE(at, std::string::npos) << expectedDry;
    expectedDry.replace(at, realHeadline.size(),
                        "2 из 4 файлов будет исправлено (пробный прогон: файлы не изменены).");
    EXPECT_EQ(ComposeReport(dry).Text, expectedDry);
    EXPECT_TRUE(dry.completed);
}

TEST_F(FolderRun, DryRunOfOneFileLeavesItForTheRealWipe) {
    const std::string png = Put("fox.png", test::TarvoPng());
    const std::string readOnly = PutReadOnly("locked.png", test::TarvoPng());
    TTarvoData delData(true);
    delData.DryRun = true;
    delData.FilePath = png;
    EXPECT_EQ(delData.Wipe(false), TWipeCode::Done);
    delData.FilePath = readOnly;
    EXPECT_EQ(delData.Wipe(false), TWipeCode::CannotOpen);
    ParJobId = ParPrompt = ParNegPrompt = ParSeed = false;
    EXPECT_EQ(delData.Wipe(false), TWipeCode::NoChoice);
    ParSeed = true;
    ExpectUntouched(png);
    ExpectUntouched(readOnly);

    delData.DryRun = false;
    delData.Clear();
    delData.FilePath = png;
    EXPECT_EQ(delData.Wipe(false), TWipeCode::Done); // the dry run left the seed in place
    delData.DryRun = true;
    EXPECT_EQ(delData.Wipe(false), TWipeCode::NothingToWipe);
}

// Several threads give the run of one thread: the same outcomes in the same order, the same
// counts, the same bytes in every file.
TEST_F(FolderRun, AParallelRunCountsReportsAndWritesAsOneThreadDoes) {
    TParamSet owl;
    owl.Prompt = "сова на ветке";
    std::map<std::string, std::string> made;
    for (int i = 0; i < 40; ++i) {
        const std::string n = std::to_string(100 + i);
        made[n + ".png"] =
            i % 5 == 0 ? test::PngFile({}) : test::TarvoPng(i % 2 ? owl : TParamSet{});
        made[n + ".jpg"] = test::JpegFile(test::FirstBlockText(owl));
    }
    struct TRun {
        std::vector<std::pair<std::string, int>> Seen;
        TWipeCounters Counters;
        std::map<std::string, std::string> Bytes;
    };
    const auto run = [&](int jobs) {
        test::TTempDir dir;
        for (const auto& [name, bytes] : made)
            test::WriteFile(dir.File(name), bytes);
        TFilesObj list;
        list.TarvoFilter = true;
        list.Fill(dir.Path());
        TTarvoData delData(true);
        TRun result;
        RunFolderWipe(
            list, delData, result.Counters,
            [&](const std::string& path, std::optional<TWipeCode> code, const TWipeFindings&) {
                result.Seen.emplace_back(path.substr(dir.Path().size()), Number(code));
            },
            {}, jobs);
        for (const auto& [name, bytes] : made)
            result.Bytes[name] = test::ReadWholeFile(dir.File(name));
        return result;
    };
    const TRun one = run(1);
    const TRun four = run(4);
    EXPECT_EQ(four.Seen, one.Seen);
    EXPECT_EQ(four.Counters.fixed, one.Counters.fixed);
    EXPECT_EQ(four.Counters.noData, one.Counters.noData);
    EXPECT_EQ(four.Counters.byCode, one.Counters.byCode);
    EXPECT_TRUE(four.Counters.completed);
    EXPECT_EQ(four.Bytes, one.Bytes);
    EXPECT_EQ(one.Counters.fixed, 72);
}

// Anyone who may write a folder could link a file of the user's into it; a run must never
// write through the link, whichever way it points, on one thread or several, dry or not.
TEST_F(FolderRun, NeverWritesThroughASymbolicLink) {
    ASSERT_EQ(mkdir(FDir.File("private").c_str(), 0700), 0);
    const std::string secret = Put("private/secret.png", test::TarvoPng());
    for (const int jobs : {1, 4}) {
        for (const bool dry : {false, true}) {
            SCOPED_TRACE(testing::Message() << jobs << " jobs, dry run " << dry);
            const std::string sub = "run" + std::to_string(jobs) + (dry ? "d" : "");
            const std::string folder = FDir.File(sub);
            ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
            Put(sub + "/z.png", test::TarvoPng());
            ASSERT_EQ(symlink(secret.c_str(), (folder + "/b.png").c_str()), 0);
            ASSERT_EQ(symlink("z.png", (folder + "/a.png").c_str()), 0); // a sibling, wiped last
            TFilesObj list;
            list.TarvoFilter = true;
            list.Fill(folder);
            TTarvoData delData(true);
            delData.DryRun = dry;
            std::vector<std::pair<std::string, int>> seen;
            TWipeCounters counters;
            RunFolderWipe(
                list, delData, counters,
                [&](const std::string& path, std::optional<TWipeCode> code,
                    const TWipeFindings& findings) {
                    seen.emplace_back(path.substr(folder.size()), Number(code));
                    if (code == TWipeCode::CannotOpen) {
                        EXPECT_EQ(findings.Problem.Problem, TFileProblem::Link);
                    }
                },
                {}, jobs);
            const std::vector<std::pair<std::string, int>> expected = {
                {"/a.png", 6}, {"/b.png", 6}, {"/z.png", 0}};
            EXPECT_EQ(seen, expected);
            EXPECT_EQ(counters.byCode[6], 2);
            ExpectUntouched(secret);
            EXPECT_EQ(test::ReadWholeFile(folder + "/z.png") == FBefore[folder + "/z.png"], dry);
            // The record is itself again after the run: a path named alone is followed.
            EXPECT_TRUE(delData.FollowLinks());
        }
    }
}

TEST_F(FolderRun, AnEmptyListCountsNothingAndStaysComplete) {
    TFilesObj list = List();
    TTarvoData delData(true);
    TWipeCounters counters;
    RunFolderWipe(list, delData, counters);
    EXPECT_EQ(counters.total, 0);
    EXPECT_EQ(counters.fixed, 0);
    EXPECT_TRUE(counters.completed);
    EXPECT_EQ(ComposeReport(counters).Text,
              "Отчёт об операции:\r\n0 из 0 файлов успешно исправлено.");
}

} // namespace
} // namespace tarvo
