// The program's only ways of talking to the user besides its window: modal message boxes,
// the beep, the clipboard and the folder and file dialogs. The window and the image record
// receive an implementation: real Qt dialogs in the program, a scripted one in tests.
#pragma once

#include <string>

namespace tarvo {

enum class TMsgTone { Warning, Error, Information, Confirmation };
enum class TMsgButtons { Ok, OkCancel, YesCancel, YesCancelYesToAll };
enum class TMsgAnswer { Ok, Cancel, Yes, YesToAll };

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // Shows a modal message box; answers the button pressed (Cancel when it was closed).
    virtual TMsgAnswer MessageBox(const std::string& text, TMsgTone tone, TMsgButtons buttons) = 0;
    virtual void Beep() = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
    // The chosen folder, or empty when the dialog was cancelled. start is preselected when not
    // empty.
    virtual std::string SelectFolder(const std::string& title, const std::string& start) = 0;
    // The chosen file, or empty when cancelled. filter is "Description|*.a;*.b|Description|*.*";
    // its first entry is preselected.
    virtual std::string OpenFile(const std::string& filter, const std::string& initialDir) = 0;
};

} // namespace tarvo
