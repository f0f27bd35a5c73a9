// What the main window shows, as plain values: the texts of its fields and labels, which
// controls are enabled or visible, and the pane proportion. The viewer model keeps it up to
// date; the window renders it and decides nothing.
#pragma once

#include <memory>
#include <string>

namespace tarvo {

class TDIB;

// The window's check boxes, the inputs of the model's decisions.
enum class TOption {
    JobId,      // chk3: wipe JobId
    Prompt,     // chk4: wipe prompt
    NegPrompt,  // chk5: wipe negative_prompt
    Seed,       // chk9: wipe seed
    AllowWipe,  // chk6 "Разрешить удалять"
    Folder,     // chk7 "Обработка папки"
    Confirm,    // chk8 "Подтверждать"
    Stretch,    // chk1 "Растягивать"
    TruePrompt, // chk10 "Истиный Prompt"
    TarvoData,  // chk2 "Tarvo Data"
};

// The options as the window is designed: the keys and permissions unchecked, the others
// checked.
inline constexpr bool DefaultOption(TOption option) {
    return option == TOption::Confirm || option == TOption::Stretch ||
           option == TOption::TruePrompt || option == TOption::TarvoData;
}

struct TViewState {
    // Fields the user can also edit (path, prompts, text pane) take their text only when its
    // revision changes, so that rendering never overwrites what was typed since.
    std::string PathText; // edt1
    int PathRevision = 0;
    std::string Prompt;   // edt2
    std::string Negative; // edt3
    int PromptsRevision = 0;
    std::string MemoText; // mmo1, lines ended by LF
    int MemoRevision = 0;

    bool MemoEnabled = true;       // mmo1
    bool DataLabelEnabled = false; // lbl4
    std::string DataLabel;         // lbl4: where the text pane's text comes from
    std::string FileName;          // lbl5: the name and its size on disk
    std::string Caption;           // pnl1: the file's name while no picture covers the pane
    std::string Counter;           // lbl8: "3/12", "12" or empty
    std::string PictureSize; // lbl1: "Размер картинки: W x H" (translated) or empty
    // The paint box's bitmap, shared with the picture loader's cache; null: the pane is
    // empty. The paint box takes it when its revision changes.
    std::shared_ptr<const TDIB> Picture;
    int PictureRevision = 0;
    bool CopyPromptEnabled = false;   // btn6
    bool CopyNegativeEnabled = false; // btn7

    bool AllowWipeEnabled = false;  // chk6
    bool FolderEnabled = false;     // chk7
    bool ConfirmEnabled = false;    // chk8
    bool ConfirmWarning = false;    // chk8 unchecked: its caption turns red
    bool WipeFileEnabled = false;   // btn9
    bool WipeFolderEnabled = false; // btn10

    bool OptionsVisible = true;  // pnl4 shown and [V] hidden, or the other way round
    bool RestoreVisible = false; // [В]
    bool Stretch = true;         // the paint box stretches its picture to the pane
    double WinsRatio = 1.0;      // text pane width / picture pane width
    int RatioRevision = 0;       // the panes are laid out anew when it changes
};

} // namespace tarvo
