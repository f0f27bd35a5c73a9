// The program's only ways of talking to the user besides its window: modal message boxes,
// the beep, the clipboard, the folder and file dialogs, and the progress of a long task. The window
// and the image record receive an implementation: real Qt dialogs in the program, a scripted one in
// tests.
#pragma once

#include <cstdint>
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
    // A long task has done that many of total files; its progress dialog shows only once
    // the task takes longer than half a second, and the window keeps painting. False when
    // the user asked to cancel.
    virtual bool Progress(std::int64_t done, std::int64_t total) = 0;
    // The task has ended: the progress dialog closes.
    virtual void EndProgress() = 0;
};

} // namespace tarvo
