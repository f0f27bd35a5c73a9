// Shared pieces of the viewer model's tests and the window's: a started model whose dialogs
// answer from a script, the size of the picture its state hands the pane, folders of Tarvo
// pictures, and the independent check of a wiped file. No Qt.
#pragma once

#include "app/ViewerModel.h"
#include "picture/DIB.h"
#include "picture/Picture.h"
#include "support/PicBuilder.h"
#include "support/PictureWriters.h"
#include "support/ScriptedDialogs.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvo::test {

// The width and height of the picture the state hands the paint box; 0 x 0 for none.
inline std::pair<int, int> PictureSizeOf(const TViewState& state) {
    if (!state.Picture) return {0, 0};
    return {state.Picture->Width(), state.Picture->Height()};
}

// The model as the window starts it, with the designed pane proportion.
struct TStartedModel {
    TScriptedDialogs Dialogs;
    TViewerModel Model{Dialogs};
    TStartedModel() { Model.Start(764.0 / 273.0); }
    const TViewState& State() const { return Model.State(); }
    const std::string& Shown() const { return Model.Current().FilePath; }
    // The user types text into the path field and presses Enter.
    void EnterPath(const std::string& text) {
        Model.PathEdited(text);
        Model.PathEntered();
    }
};

// A PNG of one colour; with params, the two parameter blocks stand right after IHDR.
inline std::string SolidPng(int width, int height, testpic::TRgba colour,
                            const TParamSet* params = nullptr) {
    const std::vector<testpic::TRgba> pixels(static_cast<std::size_t>(width * height), colour);
    const testpic::TBytes png = testpic::WritePngRgb(width, height, pixels);
    std::string bytes(png.begin(), png.end());
    // Signature (8) and IHDR (25) come first.
    if (params != nullptr && bytes.size() > 33)
        bytes.insert(33,
                     Chunk("eXIf", FirstBlockText(*params)) + Chunk("tEXt", GenInfoText(*params)));
    return bytes;
}

// Writes bytes to name in dir; answers the full path.
inline std::string Put(const TTempDir& dir, std::string_view name, std::string_view bytes) {
    const std::string path = dir.File(name);
    WriteFile(path, bytes);
    return path;
}

// A folder of Tarvo pictures named as given, each with its own JobId ("job-" and its name).
struct TPictureFolder {
    TTempDir Dir;
    explicit TPictureFolder(std::initializer_list<const char*> names) {
        for (const char* name : names)
            Add(name);
    }
    std::string Add(const std::string& name) {
        TParamSet params;
        params.JobId = "job-" + name;
        return Put(Dir, name, TarvoPng(params));
    }
    std::string File(std::string_view name) const { return Dir.File(name); }
    const std::string& Path() const { return Dir.Path(); }
};

// The file's bytes differ at most inside its parameter chunks (data and CRC).
inline bool WithinParameterChunks(const std::string& before, const std::string& after) {
    if (before.size() != after.size()) return false;
    std::vector<TSpan> allowed;
    for (const TChunkInfo& chunk : PngChunks(before))
        if (chunk.Type == "eXIf" || chunk.Type == "tEXt")
            allowed.push_back({chunk.Offset + 8, std::size_t{chunk.Length} + 4});
    return ChangesWithin(before, after, allowed);
}

// A completed wipe: changes only inside the parameter chunks, every chunk checksum right,
// and the picture still decodes.
inline bool ChangedOnlyInParameterChunks(const std::string& before, const std::string& after) {
    return before != after && WithinParameterChunks(before, after) && AllCrcsOk(after) &&
           DecodePng(after).has_value();
}

} // namespace tarvo::test
