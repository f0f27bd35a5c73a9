#include "app/ViewerModel.h"

#include "app/FolderWipe.h"
#include "app/HelpText.h"
#include "app/PaneRatio.h"
#include "params/DatTypes.h"
#include "platform/Collation.h"
#include "platform/FileSys.h"
#include "util/MyStrUnit.h"
#include "util/OrderedBatch.h"
#include "util/Paths.h"

#include <algorithm>
#include <utility>

namespace tarvo {

namespace {

constexpr const char* Context = "ViewerModel";

std::string Trimmed(std::string text) {
    StrTrim(text);
    return text;
}

} // namespace

TViewerModel::TViewerModel(IDialogs& dialogs, TTranslate translate,
                           TPictureLoader::TNotify pictureReady, TPictureLoader::TDecode decode)
    : FDialogs(dialogs), FTranslate(translate), FCurData(false, &dialogs),
      FDelData(true, &dialogs, translate), FLoader(std::move(pictureReady), std::move(decode)) {
    FFiles.CountLabel = [this](const std::string& text) { FState.Counter = text; };
    for (std::size_t i = 0; i < FOptions.size(); ++i)
        FOptions[i] = DefaultOption(static_cast<TOption>(i));
    FState.DataLabel = Text(QT_TRANSLATE_NOOP("ViewerModel", "Tarvo Data:"));
    FState.MemoText = HelpText(translate);
}

std::string TViewerModel::Text(const char* source) const {
    return Tr(FTranslate, Context, source);
}

bool TViewerModel::Option(TOption option) const {
    return FOptions[static_cast<std::size_t>(option)];
}

void TViewerModel::Start(double winsRatio) {
    BuildCaseTable();
    FState.Counter.clear();
    FFiles.TarvoFilter = Option(TOption::TarvoData);
    FState.Picture.reset();
    const std::string help = FState.MemoText;
    ShowFileData(false);
    SetMemo(help);
    FState.MemoEnabled = true;
    FState.PictureSize.clear();
    FState.OptionsVisible = true;
    SetWipeButtons();
    // The ratio is read off the panes as laid out; they stay as they are.
    FState.WinsRatio = winsRatio;
    FSavedRatio = winsRatio;
    FState.RestoreVisible = false;
    FState.Stretch = Option(TOption::Stretch);
}

void TViewerModel::SetOption(TOption option, bool on) {
    FOptions[static_cast<std::size_t>(option)] = on;
    switch (option) {
    case TOption::JobId:
    case TOption::Prompt:
    case TOption::NegPrompt:
    case TOption::Seed:
    case TOption::AllowWipe:
    case TOption::Folder:
        SetWipeButtons();
        break;
    case TOption::Confirm:
        SetWipeButtons();
        FState.ConfirmWarning = !on;
        FDialogs.Beep();
        break;
    case TOption::Stretch:
        FState.Stretch = on;
        break;
    case TOption::TruePrompt: {
        if (!FCurData.HasParams()) break;
        const std::string prompt = FCurData.GetPrompt(on);
        if (prompt == FState.Prompt) break;
        FState.Prompt = prompt;
        ++FState.PromptsRevision;
        FDialogs.Beep();
        break;
    }
    case TOption::TarvoData:
        if (on == FFiles.TarvoFilter) break;
        FFiles.TarvoFilter = on;
        FFiles.Refresh();
        break;
    }
}

void TViewerModel::PathEdited(const std::string& text) {
    FState.PathText = text;
}

void TViewerModel::PromptEdited(const std::string& text) {
    FState.Prompt = text;
}

void TViewerModel::NegativeEdited(const std::string& text) {
    FState.Negative = text;
}

void TViewerModel::SetWipeButtons() {
    const bool anyKey = Option(TOption::JobId) || Option(TOption::Prompt) ||
                        Option(TOption::NegPrompt) || Option(TOption::Seed);
    FState.AllowWipeEnabled = anyKey;
    FState.FolderEnabled = anyKey && Option(TOption::AllowWipe);
    FState.ConfirmEnabled = anyKey;
    FState.WipeFileEnabled = FState.FolderEnabled && FCurData.HasParams();
    FState.WipeFolderEnabled = FState.FolderEnabled && Option(TOption::Folder);
}

void TViewerModel::setParVars() {
    ParJobId = Option(TOption::JobId);
    ParPrompt = Option(TOption::Prompt);
    ParNegPrompt = Option(TOption::NegPrompt);
    ParSeed = Option(TOption::Seed);
}

void TViewerModel::SetPath(const std::string& text) {
    FState.PathText = text;
    ++FState.PathRevision;
}

void TViewerModel::SetMemo(const std::string& text) {
    FState.MemoText = text;
    ++FState.MemoRevision;
}

void TViewerModel::SetRatio(double ratio) {
    FState.WinsRatio = ratio;
    ++FState.RatioRevision;
}

// Display.

namespace {

// The text pane's source: Tarvo's data, another generator's named by its format (the
// generators' names are not translated), or text that no format claims.
const char* DataLabelOf(const std::string& format) {
    if (format == "a1111") return "Web UI (a1111):";
    if (format == "comfyui") return "ComfyUI:";
    if (format == "novelai") return "NovelAI:";
    if (format == "invokeai") return "InvokeAI:";
    if (format == "text") return QT_TRANSLATE_NOOP("ViewerModel", "Текст файла:");
    return QT_TRANSLATE_NOOP("ViewerModel", "Tarvo Data:");
}

} // namespace

void TViewerModel::ShowFileData(bool keepPrompts) {
    SetPath(FCurData.Folder);
    const std::string name = NamePart(FCurData.FilePath);
    FState.FileName = name;
    UpdateCaption();
    SetMemo(WithLf(FCurData.GetFullText()));
    FState.MemoEnabled = FCurData.HasText;
    FState.DataLabelEnabled = FCurData.HasText;
    FState.DataLabel = Text(DataLabelOf(FCurData.Graf.Format));
    if (FCurData.FileSize > 0)
        FState.FileName += "  (" + SizeText(FCurData.FileSize, 1, FTranslate) + ")";
    FFiles.ShowCount();
    if (keepPrompts) return;
    FState.Prompt = FCurData.GetPrompt(Option(TOption::TruePrompt));
    FState.Negative = FCurData.GetValue("negative_prompt");
    ++FState.PromptsRevision;
    FState.CopyPromptEnabled = !FState.Prompt.empty();
    FState.CopyNegativeEnabled = !FState.Negative.empty();
}

void TViewerModel::LoadFile(const std::string& path) {
    if (path.empty() || !FileExists(path)) return;
    // A file without parameters or outside the size limits is still shown.
    (void)FCurData.Load(path);
    FLoader.Want(WantedPictures());
    ShowReadyPicture();
    ShowFileData(false);
    SetWipeButtons();
}

void TViewerModel::PicturesReady() {
    if (!FPicturePending) return;
    ShowReadyPicture();
    UpdateCaption();
}

void TViewerModel::ShowReadyPicture() {
    const std::optional<TDecodedPicture> ready = FLoader.Ready(FCurData.FilePath);
    FPicturePending = !ready;
    if (!ready || !ready->Dib) {
        // Still decoding, or not a picture: the pane stays empty.
        ClearPicture();
        return;
    }
    FState.Picture = ready->Dib;
    ++FState.PictureRevision;
    FState.PictureSize = Arg(Text(QT_TRANSLATE_NOOP("ViewerModel", "Размер картинки: %1 x %2")),
                             {std::to_string(ready->Width), std::to_string(ready->Height)});
}

void TViewerModel::ClearPicture() {
    if (!PicShown()) return;
    FState.Picture.reset();
    ++FState.PictureRevision;
    FState.PictureSize.clear();
}

void TViewerModel::UpdateCaption() {
    // The pane shows the bare file name in its middle when no picture covers it.
    FState.Caption = PicShown() || FPicturePending ? std::string() : NamePart(FCurData.FilePath);
}

std::vector<std::string> TViewerModel::WantedPictures() const {
    std::vector<std::string> wanted = {FCurData.FilePath};
    if (FFiles.Position < 0) return wanted;
    for (const bool backward : {false, true})
        if (std::string next = FFiles.PeekStep(backward); !next.empty()) wanted.push_back(next);
    return wanted;
}

bool TViewerModel::IsPicFile(const std::string& path) const {
    const std::string name = NamePart(path);
    const std::size_t dot = name.rfind('.');
    return dot != std::string::npos &&
           IsPictureExt(std::string_view(name).substr(dot + 1), Option(TOption::TarvoData));
}

void TViewerModel::CopyPrompt() {
    FDialogs.SetClipboardText(FState.Prompt);
    FDialogs.Beep();
}

void TViewerModel::CopyNegative() {
    FDialogs.SetClipboardText(FState.Negative);
    FDialogs.Beep();
}

// Navigation.

void TViewerModel::ClearFile() {
    FCurData.Clear();
    FLoader.Want({});
    FPicturePending = false;
    ClearPicture();
    FState.WipeFileEnabled = false;
    FFiles.Unselect();
    ShowFileData(false);
}

void TViewerModel::SetDirSp(const std::string& folder) {
    SetPath(folder);
    FCurData.Folder = folder;
    FFiles.Clear();
    ClearFile();
    NextFile(false);
    FDialogs.Beep();
}

void TViewerModel::SetFileSp(const std::string& path) {
    const std::string oldFolder = Trimmed(FState.PathText);
    FCurData.Folder = FolderPart(path);
    LoadFile(path);
    if (SamePath(oldFolder, FCurData.Folder)) {
        // The file lies in the folder already current: an unlisted list is left for the
        // next [<] or [>] to locate the file in.
        if (FFiles.Position >= 0) FFiles.FillAndSelect(NamePart(path));
        PrefetchNeighbours();
        return;
    }
    // The list still describes the other folder: no counter until it is filled anew.
    FState.Counter.clear();
    FFiles.Detach();
    ShowFileData(false);
}

void TViewerModel::NextFile(bool backward) {
    const std::string folder = FState.PathText;
    if (!SamePath(folder, FFiles.Folder)) FFiles.Clear();
    if (!FFiles.Loaded) FFiles.Fill(folder);
    if (FFiles.Names.empty()) return;
    if (FFiles.Position < 0) FFiles.Locate(FCurData.FilePath);
    const std::string path = FFiles.StepExisting(backward);
    if (path.empty() || SamePath(path, FCurData.FilePath)) {
        // Names of vanished files may have been dropped on the way: the counter follows.
        FFiles.ShowCount();
        FDialogs.Beep();
        return;
    }
    FCurData.Folder = FolderPart(path);
    LoadFile(path);
}

void TViewerModel::RefreshList() {
    FFiles.Refresh();
    PrefetchNeighbours();
}

void TViewerModel::PrefetchNeighbours() {
    if (!FCurData.FilePath.empty()) FLoader.Want(WantedPictures());
}

void TViewerModel::KeyPressed(TKey key) {
    switch (key) {
    case TKey::Left:
    case TKey::PageUp:
    case TKey::AltLeft:
        NextFile(true);
        return;
    case TKey::Right:
    case TKey::PageDown:
    case TKey::AltRight:
        NextFile(false);
        return;
    case TKey::CtrlO:
        OpenFile();
        return;
    case TKey::F5:
        RefreshList();
        return;
    }
}

void TViewerModel::OpenArguments(const std::vector<std::string>& arguments,
                                 const std::string& workingDir) {
    std::vector<std::string> paths;
    for (const std::string& argument : arguments) {
        if (argument.empty() || argument[0] == '-') continue; // an option, known or not
        paths.push_back(argument[0] == '/' ? argument : WithBackslash(workingDir) + argument);
    }
    Drop(paths);
}

void TViewerModel::PathEntered() {
    const std::string text = Trimmed(FState.PathText);
    // A typed file path, or a path of nothing, is ignored without a message.
    if (DirExists(text)) SetDirSp(text);
}

void TViewerModel::ChooseFolder() {
    std::string start = Trimmed(FState.PathText);
    if (!DirExists(start)) start.clear();
    const std::string folder =
        FDialogs.SelectFolder(Text(QT_TRANSLATE_NOOP("ViewerModel", "Выберите папку")), start);
    if (!folder.empty()) SetDirSp(folder);
}

void TViewerModel::OpenFile() {
    // Each entry of the filter: a description, then its patterns, apart by "|".
    const std::string chosen = FDialogs.OpenFile(
        Text(QT_TRANSLATE_NOOP("ViewerModel", "Файлы картинок Tarvo (Jpg, Png, WebP)|*.jpg;"
                                              "*.Jpeg;*.png;*.WebP|Все файлы|*.*")),
        FCurData.Folder);
    if (!chosen.empty()) SetFileSp(chosen);
}

void TViewerModel::Drop(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    if (paths.size() == 1) {
        const std::string& item = paths.front();
        if (DirExists(item))
            SetDirSp(item);
        else if (FileExists(item))
            SetFileSp(item);
        return;
    }
    std::vector<std::string> pictures = paths;
    std::sort(pictures.begin(), pictures.end(), NameLess);
    std::string firstFolder;
    std::erase_if(pictures, [&](const std::string& item) {
        if (DirExists(item)) {
            if (firstFolder.empty()) firstFolder = item;
            return true;
        }
        return !IsPicFile(item);
    });
    if (pictures.size() == 1) {
        SetFileSp(pictures.front());
    } else if (pictures.size() >= 2) {
        SetFileSp(pictures.front());
        std::vector<std::string> names;
        for (const std::string& picture : pictures)
            names.push_back(NamePart(picture));
        FFiles.SetFromDrop(FState.PathText, std::move(names));
        PrefetchNeighbours();
    } else if (!firstFolder.empty()) {
        SetDirSp(firstFolder);
    }
}

// Wipe commands.

void TViewerModel::WipeFile() {
    setParVars();
    FDelData.Clear();
    FDelData.FilePath = FCurData.FilePath;
    TWipeFindings findings;
    const TWipeCode code = FDelData.Wipe(Option(TOption::Confirm), &findings);
    FDelData.Clear();
    if (code == TWipeCode::Done) {
        FDialogs.Beep();
        FCurData.Reload();
        ShowFileData(true);
        const TWipeMessage warning = LeftoversMessage(findings.Leftovers, FTranslate);
        if (!warning.Text.empty()) FDialogs.MessageBox(warning.Text, warning.Tone, TMsgButtons::Ok);
        return;
    }
    const TWipeMessage message = WipeCodeMessage(code, FTranslate);
    if (!message.Text.empty()) FDialogs.MessageBox(message.Text, message.Tone, TMsgButtons::Ok);
}

void TViewerModel::WipeFolder() {
    const std::string folder = Trimmed(FState.PathText);
    if (!DirExists(folder)) {
        FDialogs.MessageBox(Text(QT_TRANSLATE_NOOP("ViewerModel", "Папка не задана!")),
                            TMsgTone::Error, TMsgButtons::Ok);
        return;
    }
    setParVars();
    TFilesObj list;
    bool go = false;
    try {
        go = PrepareFolderRun(folder, list);
    } catch (...) {
        // The folder command's one catch before the run (which catches its own): a failure
        // while the list and the questions are prepared starts nothing.
        FDialogs.MessageBox(
            Text(QT_TRANSLATE_NOOP("ViewerModel", "Внимание! Сбой при подготовке файлов для "
                                                  "обработки. Никакие действия не произведены!")),
            TMsgTone::Error, TMsgButtons::Ok);
        return;
    }
    if (go) RunFolder(list);
}

bool TViewerModel::PrepareFolderRun(const std::string& folder, TFilesObj& list) {
    const bool confirm = Option(TOption::Confirm);
    const TMsgTone tone = confirm ? TMsgTone::Warning : TMsgTone::Confirmation;
    list.TarvoFilter = true;
    list.Fill(folder);
    if (list.Names.empty()) {
        FDialogs.MessageBox(
            NoCandidatesText(FTranslate) +
                Text(QT_TRANSLATE_NOOP("ViewerModel", " Иные файлы вряд ли могут содержать данные "
                                                      "формата Tarvo. Операция отменена.")),
            TMsgTone::Warning, TMsgButtons::Ok);
        return false;
    }
    std::string found =
        Arg(Text(QT_TRANSLATE_NOOP("ViewerModel", "В заданном каталоге найдено файлов: %1. ")),
            {std::to_string(list.Names.size())});
    if (confirm) found = Text(QT_TRANSLATE_NOOP("ViewerModel", "Внимание! ")) + found;
    if (!FFiles.Names.empty() && FFiles.Names.size() != list.Names.size()) {
        // The buttons are named as the message box shows them.
        const TMsgAnswer answer = FDialogs.MessageBox(
            found + Arg(Text(QT_TRANSLATE_NOOP(
                            "ViewerModel",
                            "В вашем текущем списке отображения задано файлов: %1. Какие файлы вы "
                            "хотите обработать? Нажмите Yes, чтобы применить обработку только к "
                            "файлам в вашем списке, или нажимте YesToAll, если хотите обработать "
                            "все файлы в папке.")),
                        {std::to_string(FFiles.Names.size())}),
            tone, TMsgButtons::YesCancelYesToAll);
        // Yes: the listed names, looked for in the processed folder.
        if (answer == TMsgAnswer::Yes) list.UseNames(FFiles.Names);
        return answer == TMsgAnswer::Yes || answer == TMsgAnswer::YesToAll;
    }
    const TMsgAnswer answer = FDialogs.MessageBox(
        found + (confirm ? Text(QT_TRANSLATE_NOOP("ViewerModel",
                                                  "Вы уверены, что хотите выполнить обработку?"))
                         : Text(QT_TRANSLATE_NOOP("ViewerModel", "Выполнить обработку?"))),
        tone, TMsgButtons::OkCancel);
    return answer == TMsgAnswer::Ok;
}

void TViewerModel::RunFolder(TFilesObj& list) {
    TWipeCounters counters;
    bool goOn = FDialogs.Progress(0, static_cast<std::int64_t>(list.Names.size()));
    std::int64_t done = 0;
    RunFolderWipe(
        list, FDelData, counters,
        [&](const std::string&, std::optional<TWipeCode>, const TWipeFindings&) {
            goOn = FDialogs.Progress(++done, counters.total) && goOn;
        },
        [&] { return !goOn; }, DefaultJobs());
    FDialogs.EndProgress();
    FCurData.Reload();
    ShowFileData(true);
    const TWipeMessage report = ComposeReport(counters, FTranslate);
    FDialogs.MessageBox(report.Text, report.Tone, TMsgButtons::Ok);
}

// Panes.

void TViewerModel::SwitchRatio() {
    if (!FState.RestoreVisible) {
        FSavedRatio = FState.WinsRatio;
        FState.RestoreVisible = true;
    }
    SetRatio(SwitchedRatio(FState.WinsRatio));
}

void TViewerModel::RestoreRatio() {
    FState.RestoreVisible = false;
    SetRatio(FSavedRatio);
}

void TViewerModel::SplitterMoved(int textWidth, int pictureWidth) {
    // The panes already stand where the drag left them; only the ratio is taken.
    FState.WinsRatio = MovedRatio(textWidth, pictureWidth);
}

void TViewerModel::HideOptions() {
    FState.OptionsVisible = false;
}

void TViewerModel::ShowOptions() {
    FState.OptionsVisible = true;
}

} // namespace tarvo
