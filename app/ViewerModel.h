// The main window's decisions without any toolkit: the displayed record, the record used for
// wiping, the folder list and the options; what every command does, with its dialogs and
// beeps. The window forwards each event here and renders the view state it keeps.
#pragma once

#include "app/FilesObj.h"
#include "app/PictureLoader.h"
#include "app/TarvoData.h"
#include "app/Texts.h"
#include "app/ViewState.h"
#include "platform/Dialogs.h"

#include <array>
#include <string>
#include <vector>

namespace tarvo {

// The keys the window turns into commands.
enum class TKey { Left, Right, PageUp, PageDown, AltLeft, AltRight, CtrlO, F5 };

class TViewerModel {
public:
    // dialogs (not owned) must outlive the model. Every text the model composes (the state's,
    // the messages', the help text) is in translate's language; Russian as written without
    // it. With pictureReady, pictures are decoded on a thread of their own, the files next to
    // the shown one ahead of time, and pictureReady is told (on that thread) when one is
    // done: the caller then calls PicturesReady on its own thread. Without it, a picture is
    // decoded when it is shown. decode stands in for the decoding of pictures (tests hold it
    // to order results).
    explicit TViewerModel(IDialogs& dialogs, TTranslate translate = nullptr,
                          TPictureLoader::TNotify pictureReady = {},
                          TPictureLoader::TDecode decode = {});

    const TViewState& State() const { return FState; }
    const TTarvoData& Current() const { return FCurData; }
    const TFilesObj& Files() const { return FFiles; }
    // The record the wipe commands use; empty before and after each of them.
    const TTarvoData& Wiping() const { return FDelData; }
    // The proportion [В] returns to.
    double SavedRatio() const { return FSavedRatio; }
    bool Option(TOption option) const;
    // The paint box holds a picture of the current file; while false the size label is empty.
    bool PicShown() const { return FState.Picture != nullptr; }
    // The current file's picture is still being decoded (the pane waits empty, no caption).
    bool PicturePending() const { return FPicturePending; }

    // Start-up: the empty record with the help text in the text pane, the enabling rules and
    // the initial pane proportion (text pane width / picture pane width as laid out).
    void Start(double winsRatio);

    // A check box changed (by the user or by code): its rule runs.
    void SetOption(TOption option, bool on);
    // The user edited a field: the model reads what it holds now.
    void PathEdited(const std::string& text);
    void PromptEdited(const std::string& text);
    void NegativeEdited(const std::string& text);

    // Navigation: [Очистить], [<] and [>], [O], Enter in the path field, [Задать],
    // [Открыть файл], and files dropped on the window (full paths in the order given).
    void ClearFile();
    void NextFile(bool backward);
    void RefreshList();
    void PathEntered();
    void ChooseFolder();
    void OpenFile();
    void Drop(const std::vector<std::string>& paths);
    // Opens folder as the path field's folder and shows its first picture.
    void SetDirSp(const std::string& folder);
    // Shows the file at path; its folder becomes the current one.
    void SetFileSp(const std::string& path);
    // Reads the file's parameters and shows them at once, with its picture when that is
    // decoded already (otherwise as soon as it is).
    void LoadFile(const std::string& path);
    // A decoded picture is ready: the current file's is shown, an older step's never.
    void PicturesReady();
    // A key the window passed on (a text field keeps its own plain arrow and page keys):
    // Left, Page Up and Alt+Left act as [<], Right, Page Down and Alt+Right as [>], Ctrl+O as
    // [Открыть файл], F5 as [O].
    void KeyPressed(TKey key);
    // The program's arguments (start-up or "Open With"): the paths among them, relative ones
    // taken from workingDir, as if dropped on the window; options are ignored.
    void OpenArguments(const std::vector<std::string>& arguments, const std::string& workingDir);
    // Fills the state from the current record; keepPrompts leaves the prompt fields alone.
    void ShowFileData(bool keepPrompts);
    // A picture file by its extension (jpg, jpeg, png; WebP too with "Tarvo Data" off).
    bool IsPicFile(const std::string& path) const;

    // The two Copy buttons.
    void CopyPrompt();
    void CopyNegative();

    // The wipe commands: in the current file, and in every suitable file of the folder in
    // the path field.
    void WipeFile();
    void WipeFolder();
    // The four key options become the wipe selection.
    void setParVars();

    // Panes: [1/5], [В], a finished splitter drag, [^] and [V].
    void SwitchRatio();
    void RestoreRatio();
    void SplitterMoved(int textWidth, int pictureWidth);
    void HideOptions();
    void ShowOptions();

private:
    void SetWipeButtons();
    // A source text of the model in the user's language.
    std::string Text(const char* source) const;
    // Shows the current file's picture when it is decoded; the pane waits empty otherwise.
    void ShowReadyPicture();
    void ClearPicture();
    // The pane's caption: the file's name when no picture covers it and none is coming.
    void UpdateCaption();
    // The current file and the ones [<] and [>] would show next, for the loader.
    std::vector<std::string> WantedPictures() const;
    // Tells the loader the wanted pictures again after the list changed around the file.
    void PrefetchNeighbours();
    void SetPath(const std::string& text);
    void SetMemo(const std::string& text);
    void SetRatio(double ratio);
    // The folder run's list and questions; true when the user chose to go on.
    bool PrepareFolderRun(const std::string& folder, TFilesObj& list);
    // The folder run after its questions, with its report.
    void RunFolder(TFilesObj& list);

    IDialogs& FDialogs;
    TTranslate FTranslate;
    TTarvoData FCurData;             // the displayed file
    TTarvoData FDelData;             // used only by the wipe commands
    TFilesObj FFiles;                // the folder list [<] and [>] walk
    std::array<bool, 10> FOptions{}; // indexed by TOption
    bool FPicturePending = false;
    TPictureLoader FLoader;
    double FSavedRatio = 1.0; // what [В] returns to
    TViewState FState;
};

} // namespace tarvo
