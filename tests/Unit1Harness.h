// Shared pieces of the main window's Qt tests: a started window whose dialogs answer from
// a script, picture files with and without parameter blocks, and text conversion.
#pragma once

#include "support/PicBuilder.h"
#include "support/PictureWriters.h"
#include "support/ScriptedDialogs.h"
#include "window/TDXPaintBox.h"
#include "window/Unit1.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace tarvo::test {

// The window as the program's entry leaves it before the event loop (not shown).
struct TStartedForm {
    TScriptedDialogs Dialogs;
    TForm1 Form{Dialogs};
    TStartedForm() { Form.InitForm(); }
};

inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string S(const QString& text) {
    return text.toUtf8().toStdString();
}

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

} // namespace tarvo::test
