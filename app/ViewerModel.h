// The main window's decisions without any toolkit: the displayed record, the record used for
// wiping, the folder list and the options; what every command does, with its dialogs and
// beeps. The window forwards each event here and renders the view state it keeps.
#pragma once

#include "app/FilesObj.h"
#include "app/TarvoData.h"
#include "app/ViewState.h"
#include "platform/Dialogs.h"

#include <array>
#include <string>
#include <vector>

namespace tarvo {

class TPicture;

// The picture pane as the model sees it.
class IPictureView {
public:
    virtual ~IPictureView() = default;
    // Shows picture, taking its pixels, in place of the one shown before; false when it
    // could not be shown (no memory for the display copy): the pane then holds none.
    virtual bool ShowPicture(TPicture&& picture) = 0;
    // Removes the picture; the pane is repainted without it.
    virtual void ClearPicture() = 0;
};

class TViewerModel {
public:
    // dialogs and picture (not owned) must outlive the model.
    TViewerModel(IDialogs& dialogs, IPictureView& picture);

    const TViewState& State() const { return FState; }
    const TTarvoData& Current() const { return FCurData; }
    const TFilesObj& Files() const { return FFiles; }
    // The record the wipe commands use; empty before and after each of them.
    const TTarvoData& Wiping() const { return FDelData; }
    // The proportion [В] returns to.
    double SavedRatio() const { return FSavedRatio; }
    bool Option(TOption option) const;
    // The paint box holds a picture of the current file; while false the size label is empty.
    bool PicShown() const { return FPicShown; }

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
    // Reads the file's parameters and picture and shows them.
    void LoadFile(const std::string& path);
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
    void ShowPicture(TPicture&& picture, int width, int height);
    void ClearPicture();
    void SetPath(const std::string& text);
    void SetMemo(const std::string& text);
    void SetRatio(double ratio);
    // The folder run's list and questions; true when the user chose to go on.
    bool PrepareFolderRun(const std::string& folder, TFilesObj& list);
    // The folder run after its questions, with its report.
    void RunFolder(TFilesObj& list);

    IDialogs& FDialogs;
    IPictureView& FPicture;
    TTarvoData FCurData;             // the displayed file
    TTarvoData FDelData;             // used only by the wipe commands
    TFilesObj FFiles;                // the folder list [<] and [>] walk
    std::array<bool, 10> FOptions{}; // indexed by TOption
    bool FPicShown = false;
    double FSavedRatio = 1.0; // what [В] returns to
    TViewState FState;
};

} // namespace tarvo
