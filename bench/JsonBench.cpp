// The JSON records of "tarvo-params show --json" written by the JSON libraries Debian packages
// (RapidJSON's writer, Boost.JSON's serializer), timed and checked against the writer the tool
// had before them: nlohmann ordered_json, dump with the replace handler. That writer stays
// here as the reference, and "today" in the names below stands for it. The tool itself now
// writes its records with cli::TJsonWriter (the candidate tool_writer): straight into the
// text, each string escaped by Boost.JSON's serializer after simdjson's UTF-8 check, with
// ICU's repair of bad text.
// Writers that do not turn bad UTF-8 into U+FFFD themselves get each string checked first
// (ICU's loop as the core has it, or simdjson's check) and repaired by ICU only when it is
// bad. Before timing, every writer's output is compared with the reference's for every record
// and for short byte strings of every kind of bad UTF-8; the program stops when a writer's
// output differs in meaning other than as expected, and counts where it differs only in
// spelling.
#include "app/TarvoData.h"
#include "cli/CliTool.h"
#include "params/DatTypes.h"
#include "platform/TextCodec.h"
#include "support/PicBuilder.h"
#include "util/Base64.h"
#include "util/MyStrUnit.h"

#include <benchmark/benchmark.h>
#include <boost/json/monotonic_resource.hpp>
#include <boost/json/object.hpp>
#include <boost/json/serializer.hpp>
#include <boost/json/value.hpp>
#include <nlohmann/json.hpp>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <simdjson.h>
#include <unicode/ustring.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tarvo::test;
using TJson = nlohmann::ordered_json;

// What show --json writes for one file, as the show command has it before writing.
struct TShowRecord {
    std::string Path;
    bool Exists = false;
    std::int64_t Size = 0;
    std::uint8_t FileKind = 0;
    bool Loaded = false;
    bool HasParams = false;
    std::string Text;
    std::string Prompt;
    std::string CleanPrompt;
    std::string NegativePrompt;
    std::array<std::string, tarvo::ParamCount> Values; // in ParamNames order
    std::vector<std::string> DamagedChunks;
    std::string Reason; // written only when not Loaded
};

constexpr std::size_t NegativeIndex = 2; // ParamNames[2] is "negative_prompt"

constexpr const char* PromptPieces[] = {
    "a red fox sitting in deep snow at dawn",
    "soft golden light, detailed fur, shallow depth of field",
    "старый маяк на скале во время шторма, масляная живопись",
    "(masterpiece:1.2), best quality, ultra-detailed",
    "city at night, neon reflections on wet asphalt, (rain:1.3)",
    "портрет девушки в венке из полевых цветов, мягкий свет",
    "telephoto lens, frost on the whiskers, pine forest in the background",
    "cinematic colour grading, volumetric fog, 8k, sharp focus",
    "деревянный мост через туманную реку, осень, акварель",
    "<lora:film_grain:0.6>, kodak portra 400, 35mm",
    "\"a sign that reads 'OPEN'\", shop window, reflections",
    "highly detailed, intricate, elegant, trending on artstation",
};

constexpr const char* NegativePieces[] = {
    "blurry",          "low quality", "watermark",     "text",          "extra limbs",
    "deformed",        "размыто",     "лишние пальцы", "oversaturated", "jpeg artifacts",
    "плохая анатомия", "signature",   "cropped",       "worst quality",
};

// A prompt of about target bytes made of the pieces, different for every seed.
std::string Phrases(const char* const* pieces, std::size_t count, std::size_t target,
                    std::uint32_t seed) {
    std::mt19937 random(seed);
    std::string out;
    while (out.size() < target) {
        if (!out.empty()) out += ", ";
        out += pieces[random() % count];
    }
    return out;
}

TShowRecord FromLoaded(const std::string& path, tarvo::TTarvoData& data,
                       const tarvo::TFileCheck& check) {
    const bool loaded = static_cast<bool>(check);
    TShowRecord record;
    record.Path = path;
    record.Text = data.GetFullText();
    record.Exists = !data.FilePath.empty();
    record.Size = data.FileSize;
    record.FileKind = data.Graf.FileKind;
    record.Loaded = loaded;
    record.HasParams = data.HasParams();
    for (std::size_t i = 0; i < tarvo::ParamCount; ++i)
        record.Values[i] = data.GetValue(tarvo::ParamNames[i]);
    record.Prompt = data.GetPrompt(false);
    if (!record.Prompt.empty()) record.CleanPrompt = tarvo::TTarvoData::CleanPrompt(record.Prompt);
    record.NegativePrompt = record.Values[NegativeIndex];
    for (const tarvo::TMyGrafItem* block : {&data.Graf.FirstBlock, &data.Graf.SecondBlock})
        if (block->HasParams() && block->CrcDamaged)
            record.DamagedChunks.emplace_back(block->ChunkType.data(), block->ChunkType.size());
    if (!loaded) record.Reason = tarvo::cli::ProblemText(check, false);
    return record;
}

// Records as show --json makes them from a folder of typical pictures: PNG files with both
// blocks (one with a damaged checksum), JPEG files with the first block, prompts of 0.3 to
// 1.4 KB in English and Russian (texts of 1 to 3 KB), a file without parameters, a missing
// file, a name that is not UTF-8, and one text with bad UTF-8 and control characters.
std::vector<TShowRecord> MakeRecords() {
    const TTempDir dir;
    if (dir.Path().empty()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        std::exit(1);
    }
    TPicture picture;
    picture.Width = 64;
    picture.Height = 64;
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i) {
        TParamSet params;
        char job[40];
        std::snprintf(job, sizeof job, "%08x-5b8e-4d21-9c6f-%012x",
                      static_cast<unsigned>(i) * 2654435761u, static_cast<unsigned>(i));
        params.JobId = job;
        const std::size_t promptBytes = 300 + static_cast<std::size_t>(i * 277 % 1100);
        params.Prompt = Phrases(PromptPieces, std::size(PromptPieces), promptBytes, i);
        if (i % 5 == 3) params.Prompt = "'score_9, score_8_up, " + params.Prompt + "'";
        params.NegPrompt = i % 7 == 6 ? std::string()
                                      : Phrases(NegativePieces, std::size(NegativePieces),
                                                40 + static_cast<std::size_t>(i * 37 % 200), i);
        params.Seed = std::to_string(1000000007LL * (i + 1) % 4294967291LL);
        std::string name;
        std::string bytes;
        if (i % 2 == 0) {
            params.Format = "png";
            name = "pic_" + std::to_string(i) + ".png";
            bytes = PngFile({Chunk("eXIf", FirstBlockText(params), i == 10),
                             Chunk("tEXt", GenInfoText(params))},
                            {}, picture);
        } else {
            params.Format = "jpeg";
            name = "pic_" + std::to_string(i) + ".jpg";
            bytes = JpegFile(FirstBlockText(params), picture, 24000);
        }
        if (i == 20) name = "b\xE4r \xFF\xFEpic.png"; // a Latin-1 name, as old archives have
        paths.push_back(dir.File(name));
        if (!WriteFile(paths.back(), bytes)) {
            std::fprintf(stderr, "cannot write %s\n", paths.back().c_str());
            std::exit(1);
        }
    }
    paths.push_back(dir.File("plain.png"));
    if (!WriteFile(paths.back(), PngFile({}, {}, picture))) std::exit(1);
    paths.push_back(dir.File("missing.png"));

    std::vector<TShowRecord> records;
    tarvo::TTarvoData data(false);
    for (const std::string& path : paths) {
        const tarvo::TFileCheck check = data.Load(path);
        records.push_back(FromLoaded(path, data, check));
    }
    // The reader never hands out bad UTF-8 today; the writers must still cope with it.
    TShowRecord& odd = records[5];
    odd.Path += "\xC3(";
    odd.Text.insert(100, "\xC3\x28 \xE2\x82\x41 \xF0\x9F\x98 \xED\xA0\x80 \xE0\x80\xAF \xFF");
    odd.Text.insert(200, "bell \x07, escape \x1B[31m, delete \x7F, next line \xC2\x85");
    odd.Prompt += "\xF4\x90\x80\x80";
    return records;
}

// The show command's record today, from the strings it has made for the record; they are
// moved in, as the command moves them.
// The nlohmann writer as the tool used it: invalid UTF-8 becomes U+FFFD.
std::string NlohmannLine(const TJson& json) {
    return json.dump(-1, ' ', false, TJson::error_handler_t::replace);
}

std::string NlohmannRecord(TShowRecord&& record) {
    TJson values = TJson::object();
    for (std::size_t i = 0; i < tarvo::ParamCount; ++i)
        values[std::string(tarvo::ParamNames[i])] = std::move(record.Values[i]);
    TJson json = TJson::object();
    json["path"] = record.Path;
    if (!tarvo::IsValidUtf8(record.Path)) json["pathBytes"] = tarvo::Base64(record.Path);
    json["exists"] = record.Exists;
    json["size"] = record.Size;
    json["fileKind"] = record.FileKind;
    json["loaded"] = record.Loaded;
    json["hasParams"] = record.HasParams;
    json["text"] = std::move(record.Text);
    json["prompt"] = std::move(record.Prompt);
    json["cleanPrompt"] = std::move(record.CleanPrompt);
    json["negativePrompt"] = values["negative_prompt"];
    json["values"] = std::move(values);
    json["damagedChunks"] = std::move(record.DamagedChunks);
    if (!record.Loaded) json["reason"] = record.Reason;
    return NlohmannLine(json) + '\n';
}

// A check that text is well-formed UTF-8: ICU's decoding loop, as the core has it today, or
// simdjson's vectorised check.
using TUtf8Check = bool (*)(std::string_view text);
bool IcuCheck(std::string_view text) {
    return tarvo::IsValidUtf8(text);
}
bool SimdjsonCheck(std::string_view text) {
    return simdjson::validate_utf8(text.data(), text.size());
}

// The text itself when check finds it valid UTF-8; otherwise a copy in scratch in which ICU
// has replaced every ill-formed sequence with U+FFFD, one for each maximal subpart.
std::string_view ValidUtf8(std::string_view text, TUtf8Check check, std::string& scratch) {
    if (check(text)) return text;
    // A byte becomes at most one UTF-16 unit, a UTF-16 unit at most three bytes.
    std::u16string wide(text.size(), u'\0');
    int32_t wideLength = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(wide.data(), static_cast<int32_t>(wide.size()), &wideLength, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    scratch.resize(static_cast<std::size_t>(wideLength) * 3);
    int32_t length = 0;
    u_strToUTF8(scratch.data(), static_cast<int32_t>(scratch.size()), &length, wide.data(),
                wideLength, &status);
    if (U_FAILURE(status)) {
        std::fprintf(stderr, "ICU could not convert a text: %s\n", u_errorName(status));
        std::abort();
    }
    scratch.resize(static_cast<std::size_t>(length));
    return scratch;
}

// RapidJSON's writer into its string buffer; Flags with kWriteValidateEncodingFlag checks
// every string's UTF-8 as it is written. Repair: every string goes through ValidUtf8 first
// (a writer without its own check needs this pass on every string); with the writer's check,
// only a record that the writer refused is written again with repaired strings (then the
// writer's check is done twice, and the ICU one once).
template <unsigned Flags> class TRapidJsonWriter {
public:
    // check: the pass before every string; nullptr when the writer's own check is relied on.
    explicit TRapidJsonWriter(TUtf8Check check) : FCheck(check) {}

    void Write(const TShowRecord& record, std::string& out) {
        if (!TryWrite(record, FCheck != nullptr)) {
            const bool repaired = TryWrite(record, true);
            if (!repaired) std::abort();
        }
        out.append(FBuffer.GetString(), FBuffer.GetSize());
        out += '\n';
    }

private:
    using TWriter = rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF8<>, rapidjson::UTF8<>,
                                      rapidjson::CrtAllocator, Flags>;

    bool Key(std::string_view key) {
        return FWriter.Key(key.data(), static_cast<rapidjson::SizeType>(key.size()));
    }
    bool String(std::string_view text, bool repair) {
        if (repair) text = ValidUtf8(text, FCheck != nullptr ? FCheck : IcuCheck, FScratch);
        return FWriter.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
    }

    bool TryWrite(const TShowRecord& record, bool repair) {
        FBuffer.Clear();
        FWriter.Reset(FBuffer);
        bool ok = FWriter.StartObject() && Key("path") && String(record.Path, repair);
        if (ok && !tarvo::IsValidUtf8(record.Path)) {
            const std::string bytes = tarvo::Base64(record.Path);
            ok = Key("pathBytes") && String(bytes, false);
        }
        ok = ok && Key("exists") && FWriter.Bool(record.Exists) && Key("size") &&
             FWriter.Int64(record.Size) && Key("fileKind") && FWriter.Uint(record.FileKind) &&
             Key("loaded") && FWriter.Bool(record.Loaded) && Key("hasParams") &&
             FWriter.Bool(record.HasParams) && Key("text") && String(record.Text, repair) &&
             Key("prompt") && String(record.Prompt, repair) && Key("cleanPrompt") &&
             String(record.CleanPrompt, repair) && Key("negativePrompt") &&
             String(record.NegativePrompt, repair) && Key("values") && FWriter.StartObject();
        for (std::size_t i = 0; ok && i < tarvo::ParamCount; ++i)
            ok = Key(tarvo::ParamNames[i]) && String(record.Values[i], repair);
        ok = ok && FWriter.EndObject() && Key("damagedChunks") && FWriter.StartArray();
        for (std::size_t i = 0; ok && i < record.DamagedChunks.size(); ++i)
            ok = String(record.DamagedChunks[i], repair);
        ok = ok && FWriter.EndArray();
        if (ok && !record.Loaded) ok = Key("reason") && String(record.Reason, repair);
        return ok && FWriter.EndObject();
    }

    TUtf8Check FCheck;
    rapidjson::StringBuffer FBuffer;
    TWriter FWriter;
    std::string FScratch;
};

// Boost.JSON: the record as an object (which keeps its members in insertion order), written
// by its serializer. It does not check UTF-8 on output, so every string is repaired first.
// With a monotonic resource the object's memory comes from one buffer kept between records.
class TBoostJsonWriter {
public:
    TBoostJsonWriter(TUtf8Check check, bool monotonic) : FCheck(check), FMonotonic(monotonic) {}

    void Write(const TShowRecord& record, std::string& out) {
        boost::json::monotonic_resource resource(FArena.data(), FArena.size());
        boost::json::object json(FMonotonic ? boost::json::storage_ptr(&resource)
                                            : boost::json::storage_ptr());
        json.reserve(15);
        json.emplace("path", Valid(record.Path));
        if (!tarvo::IsValidUtf8(record.Path)) json.emplace("pathBytes", tarvo::Base64(record.Path));
        json.emplace("exists", record.Exists);
        json.emplace("size", record.Size);
        json.emplace("fileKind", record.FileKind);
        json.emplace("loaded", record.Loaded);
        json.emplace("hasParams", record.HasParams);
        json.emplace("text", Valid(record.Text));
        json.emplace("prompt", Valid(record.Prompt));
        json.emplace("cleanPrompt", Valid(record.CleanPrompt));
        json.emplace("negativePrompt", Valid(record.NegativePrompt));
        boost::json::object values(json.storage());
        values.reserve(tarvo::ParamCount);
        for (std::size_t i = 0; i < tarvo::ParamCount; ++i)
            values.emplace(tarvo::ParamNames[i], Valid(record.Values[i]));
        json.emplace("values", std::move(values));
        boost::json::array damaged(json.storage());
        for (const std::string& type : record.DamagedChunks)
            damaged.emplace_back(Valid(type));
        json.emplace("damagedChunks", std::move(damaged));
        if (!record.Loaded) json.emplace("reason", Valid(record.Reason));
        const boost::json::value value(std::move(json));
        FSerializer.reset(&value);
        while (!FSerializer.done()) {
            const boost::json::string_view part = FSerializer.read(FChunk.data(), FChunk.size());
            out.append(part.data(), part.size());
        }
        out += '\n';
    }

private:
    boost::json::string_view Valid(std::string_view text) {
        const std::string_view valid = ValidUtf8(text, FCheck, FScratch);
        return {valid.data(), valid.size()};
    }

    TUtf8Check FCheck;
    bool FMonotonic;
    std::string FScratch;
    std::array<char, 16384> FChunk{};
    std::array<unsigned char, 65536> FArena{};
    boost::json::serializer FSerializer;
};

// A reference point, not a candidate: the record written directly with a small escaping
// routine that spells escapes as nlohmann does (\b \f \n \r \t \" \\, other controls \u00xx).
class TDirectWriter {
public:
    explicit TDirectWriter(TUtf8Check check) : FCheck(check) {}

    void Write(const TShowRecord& record, std::string& out) {
        out += "{\"path\":";
        String(record.Path, out);
        if (!tarvo::IsValidUtf8(record.Path)) {
            out += ",\"pathBytes\":";
            String(tarvo::Base64(record.Path), out);
        }
        out += ",\"exists\":";
        out += record.Exists ? "true" : "false";
        out += ",\"size\":";
        out += std::to_string(record.Size);
        out += ",\"fileKind\":";
        out += std::to_string(record.FileKind);
        out += ",\"loaded\":";
        out += record.Loaded ? "true" : "false";
        out += ",\"hasParams\":";
        out += record.HasParams ? "true" : "false";
        out += ",\"text\":";
        String(record.Text, out);
        out += ",\"prompt\":";
        String(record.Prompt, out);
        out += ",\"cleanPrompt\":";
        String(record.CleanPrompt, out);
        out += ",\"negativePrompt\":";
        String(record.NegativePrompt, out);
        out += ",\"values\":{";
        for (std::size_t i = 0; i < tarvo::ParamCount; ++i) {
            if (i > 0) out += ',';
            String(tarvo::ParamNames[i], out);
            out += ':';
            String(record.Values[i], out);
        }
        out += "},\"damagedChunks\":[";
        for (std::size_t i = 0; i < record.DamagedChunks.size(); ++i) {
            if (i > 0) out += ',';
            String(record.DamagedChunks[i], out);
        }
        out += ']';
        if (!record.Loaded) {
            out += ",\"reason\":";
            String(record.Reason, out);
        }
        out += "}\n";
    }

private:
    void String(std::string_view text, std::string& out) {
        static constexpr char Hex[] = "0123456789abcdef";
        text = ValidUtf8(text, FCheck, FScratch);
        out += '"';
        std::size_t run = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c >= 0x20 && c != '"' && c != '\\') continue;
            out.append(text.substr(run, i - run));
            run = i + 1;
            out += '\\';
            switch (c) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '\b':
                out += 'b';
                break;
            case '\f':
                out += 'f';
                break;
            case '\n':
                out += 'n';
                break;
            case '\r':
                out += 'r';
                break;
            case '\t':
                out += 't';
                break;
            default:
                out += "u00";
                out += Hex[c >> 4];
                out += Hex[c & 0xF];
            }
        }
        out.append(text.substr(run));
        out += '"';
    }

    TUtf8Check FCheck;
    std::string FScratch;
};

// The tool's own writer: cli::TJsonWriter puts the record straight into the text, with
// Boost.JSON's serializer escaping each string (and simdjson's check and ICU's repair first).
class TToolWriter {
public:
    void Write(const TShowRecord& record, std::string& out) {
        tarvo::cli::TJsonWriter json(out);
        json.OpenObject();
        json.Path("path", record.Path);
        json.Key("exists").Bool(record.Exists);
        json.Key("size").Number(record.Size);
        json.Key("fileKind").Number(record.FileKind);
        json.Key("loaded").Bool(record.Loaded);
        json.Key("hasParams").Bool(record.HasParams);
        json.Key("text").String(record.Text);
        json.Key("prompt").String(record.Prompt);
        json.Key("cleanPrompt").String(record.CleanPrompt);
        json.Key("negativePrompt").String(record.NegativePrompt);
        json.Key("values").OpenObject();
        for (std::size_t i = 0; i < tarvo::ParamCount; ++i)
            json.Key(tarvo::ParamNames[i]).String(record.Values[i]);
        json.CloseObject();
        json.Key("damagedChunks").OpenArray();
        for (const std::string& type : record.DamagedChunks)
            json.String(type);
        json.CloseArray();
        if (!record.Loaded) json.Key("reason").String(record.Reason);
        json.CloseObject();
        out += '\n';
    }
};

using TWriteFunction = std::function<void(const TShowRecord&, std::string&)>;

template <typename TWriter, typename... TArgs>
std::function<TWriteFunction()> Maker(TArgs... args) {
    return [args...] {
        auto writer = std::make_shared<TWriter>(args...);
        return TWriteFunction(
            [writer](const TShowRecord& record, std::string& out) { writer->Write(record, out); });
    };
}

struct TCandidate {
    const char* Name;
    std::function<TWriteFunction()> Make; // a fresh writer with its own buffers
    // Why the writer's output is known to differ in meaning from today's; empty when it must
    // agree. The check stops the program when this does not hold either way.
    const char* KnownFault = "";
};

// RapidJSON's Writer<StringBuffer>, and only that type, scans strings with SSE2; its scan
// takes 0x1A to 0x1F for characters that need no escape. Any other flag makes the scalar
// writer; kWriteNanAndInfFlag only changes how doubles are written, and records hold none.
constexpr unsigned Sse2Flags = rapidjson::kWriteDefaultFlags;
constexpr unsigned ScalarFlags = rapidjson::kWriteNanAndInfFlag;
constexpr unsigned CheckingFlags = rapidjson::kWriteValidateEncodingFlag;

const std::vector<TCandidate>& Candidates() {
    static const std::vector<TCandidate> candidates = {
        {"rapidjson_checking_writer", Maker<TRapidJsonWriter<CheckingFlags>>(TUtf8Check())},
        {"rapidjson_icu_check", Maker<TRapidJsonWriter<ScalarFlags>>(IcuCheck)},
        {"rapidjson_simdjson_check", Maker<TRapidJsonWriter<ScalarFlags>>(SimdjsonCheck)},
        {"rapidjson_sse2_simdjson_check", Maker<TRapidJsonWriter<Sse2Flags>>(SimdjsonCheck),
         "control characters 0x1A to 0x1F are written unescaped, which is not JSON"},
        {"boostjson_icu_check", Maker<TBoostJsonWriter>(IcuCheck, false)},
        {"boostjson_simdjson_check", Maker<TBoostJsonWriter>(SimdjsonCheck, false)},
        {"boostjson_simdjson_check_monotonic", Maker<TBoostJsonWriter>(SimdjsonCheck, true)},
        {"direct_reference_simdjson_check", Maker<TDirectWriter>(SimdjsonCheck)},
        {"tool_writer", Maker<TToolWriter>()},
    };
    return candidates;
}

std::string Today(const TShowRecord& record) {
    TShowRecord copy = record;
    return NlohmannRecord(std::move(copy));
}

// Short byte strings of every kind of bad UTF-8 (lone trail bytes, overlong forms,
// surrogates, code points above U+10FFFF, cut sequences), as record texts.
std::vector<std::string> Utf8Cases() {
    static constexpr unsigned char Bytes[] = {0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                                              0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xED, 0xEE,
                                              0xEF, 0xF0, 0xF1, 0xF4, 0xF5, 0xFF, 0x1B, 0x22};
    std::vector<std::string> cases;
    for (const unsigned char a : Bytes) {
        cases.emplace_back(1, static_cast<char>(a));
        for (const unsigned char b : Bytes) {
            cases.push_back({static_cast<char>(a), static_cast<char>(b)});
            for (const unsigned char c : Bytes)
                cases.push_back({static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)});
        }
    }
    std::mt19937 random(13);
    for (int i = 0; i < 20000; ++i) {
        std::string text(1 + random() % 8, '\0');
        for (char& c : text)
            c = static_cast<char>(Bytes[random() % std::size(Bytes)]);
        cases.push_back(std::move(text));
    }
    return cases;
}

struct TAgreement {
    int Identical = 0;
    int SameMeaning = 0; // same members, order and values, spelt differently
};

// Compares one writer's output with today's; false when the two differ in meaning.
bool Agrees(const std::string& mine, const std::string& today, TAgreement& agreement) {
    if (mine == today) {
        ++agreement.Identical;
        return true;
    }
    // ordered_json compares members in order, so this also checks the members' order.
    const TJson a = TJson::parse(mine, nullptr, false);
    const TJson b = TJson::parse(today, nullptr, false);
    if (a.is_discarded() || b.is_discarded() || a != b) return false;
    ++agreement.SameMeaning;
    return true;
}

void CheckCandidates(const std::vector<TShowRecord>& records) {
    const std::vector<std::string> cases = Utf8Cases();
    std::printf("Output against today's writer: %zu records, %zu short texts of bad UTF-8\n",
                records.size(), cases.size());
    bool failed = false;
    for (const TCandidate& candidate : Candidates()) {
        const TWriteFunction write = candidate.Make();
        TAgreement onRecords;
        TAgreement onCases;
        int differing = 0;
        std::string example;
        for (const TShowRecord& record : records) {
            std::string mine;
            write(record, mine);
            if (!Agrees(mine, Today(record), onRecords) && ++differing == 1) example = "a record";
        }
        TShowRecord small = records.front();
        for (const std::string& text : cases) {
            small.Text = text;
            std::string mine;
            write(small, mine);
            if (!Agrees(mine, Today(small), onCases) && ++differing == 1) {
                example = "the text";
                for (const unsigned char c : text) {
                    char hex[4];
                    std::snprintf(hex, sizeof hex, " %02X", c);
                    example += hex;
                }
            }
        }
        std::printf("  %-32s records: %d identical, %d same meaning; bad UTF-8: %d identical, "
                    "%d same meaning; %d differ\n",
                    candidate.Name, onRecords.Identical, onRecords.SameMeaning, onCases.Identical,
                    onCases.SameMeaning, differing);
        const bool knownFault = *candidate.KnownFault != '\0';
        if (differing > 0)
            std::printf("    differs first on %s%s%s\n", example.c_str(), knownFault ? ": " : "",
                        candidate.KnownFault);
        if ((differing > 0) != knownFault) {
            std::printf("    %s\n", knownFault ? "expected to differ, but agrees: look again"
                                               : "must agree with today's writer");
            failed = true;
        }
    }
    if (failed) {
        std::printf("A writer's output is not what it should be; not timed.\n");
        std::exit(1);
    }
}

// One iteration writes one record, the records in turn, so the time column reads as the
// time per record and the byte rate counts the JSON written (or, for a check, the bytes
// checked).

std::vector<TShowRecord> gRecords;

// Today's writer. The command hands its strings over, so the copies it is given are made
// outside the timing, a batch of all the records at a time.
void NlohmannToday(benchmark::State& state) {
    std::vector<TShowRecord> fresh;
    std::size_t next = gRecords.size();
    std::int64_t bytes = 0;
    for (auto _ : state) {
        if (next == gRecords.size()) {
            state.PauseTiming();
            fresh = gRecords;
            next = 0;
            state.ResumeTiming();
        }
        const std::string line = NlohmannRecord(std::move(fresh[next++]));
        bytes += static_cast<std::int64_t>(line.size());
        benchmark::DoNotOptimize(line.data());
    }
    state.SetBytesProcessed(bytes);
}

// Today's dump alone, of objects already built: what the escaping costs.
void NlohmannDumpOnly(benchmark::State& state) {
    std::vector<TJson> objects;
    for (const TShowRecord& record : gRecords)
        objects.push_back(TJson::parse(Today(record)));
    std::size_t next = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const std::string line = NlohmannLine(objects[next]) + '\n';
        next = next + 1 == objects.size() ? 0 : next + 1;
        bytes += static_cast<std::int64_t>(line.size());
        benchmark::DoNotOptimize(line.data());
    }
    state.SetBytesProcessed(bytes);
}

// The UTF-8 check that a writer without its own needs on every string of a record.
void Utf8CheckOnly(benchmark::State& state, TUtf8Check check) {
    std::size_t next = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const TShowRecord& record = gRecords[next];
        next = next + 1 == gRecords.size() ? 0 : next + 1;
        for (const std::string* text : {&record.Path, &record.Text, &record.Prompt,
                                        &record.CleanPrompt, &record.NegativePrompt}) {
            benchmark::DoNotOptimize(check(*text));
            bytes += static_cast<std::int64_t>(text->size());
        }
        for (const std::string& value : record.Values) {
            benchmark::DoNotOptimize(check(value));
            bytes += static_cast<std::int64_t>(value.size());
        }
    }
    state.SetBytesProcessed(bytes);
}

void Candidate(benchmark::State& state, const TCandidate* candidate) {
    const TWriteFunction write = candidate->Make();
    std::string line;
    std::size_t next = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        line.clear();
        write(gRecords[next], line);
        next = next + 1 == gRecords.size() ? 0 : next + 1;
        bytes += static_cast<std::int64_t>(line.size());
        benchmark::DoNotOptimize(line.data());
    }
    state.SetBytesProcessed(bytes);
}

} // namespace

int main(int argc, char** argv) {
    tarvo::BuildCaseTable();
    gRecords = MakeRecords();
    std::size_t textBytes = 0;
    std::size_t outputBytes = 0;
    for (const TShowRecord& record : gRecords) {
        textBytes += record.Text.size();
        outputBytes += Today(record).size();
    }
    std::printf("%zu records, texts of %zu bytes and records of %zu bytes on average\n",
                gRecords.size(), textBytes / gRecords.size(), outputBytes / gRecords.size());
    CheckCandidates(gRecords);

    benchmark::RegisterBenchmark("nlohmann_today", NlohmannToday);
    benchmark::RegisterBenchmark("nlohmann_dump_only", NlohmannDumpOnly);
    benchmark::RegisterBenchmark("utf8_check_only_icu", Utf8CheckOnly, IcuCheck);
    benchmark::RegisterBenchmark("utf8_check_only_simdjson", Utf8CheckOnly, SimdjsonCheck);
    for (const TCandidate& candidate : Candidates())
        benchmark::RegisterBenchmark(candidate.Name, Candidate, &candidate);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
