// A dialog implementation for tests: answers from a script and records every question,
// beep and clipboard write, so handlers that talk to the user run without a display.
#pragma once

#include "platform/Dialogs.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tarvo::test {

struct TAskedMessage {
    std::string Text;
    TMsgTone Tone;
    TMsgButtons Buttons;
};

class TScriptedDialogs : public IDialogs {
public:
    // Answers given to MessageBox in order; when the script runs dry, Cancel (or Ok for an OK-only
    // box).
    std::deque<TMsgAnswer> Answers;
    // Results of SelectFolder and OpenFile in order; empty (cancelled) when the script runs dry.
    std::deque<std::string> Folders;
    std::deque<std::string> Files;

    std::vector<TAskedMessage> Messages;
    std::vector<std::string> FolderTitles;
    std::vector<std::string> FileFilters;
    std::vector<std::string> FileInitialDirs;
    std::vector<std::string> Clipboard;
    int Beeps = 0;
    // Progress reports as (done, total); the answer turns to cancel once CancelAfter reports
    // came (never when negative). ProgressEnded counts EndProgress calls.
    std::vector<std::pair<std::int64_t, std::int64_t>> ProgressSeen;
    int CancelAfter = -1;
    int ProgressEnded = 0;
    // Runs inside each MessageBox and Progress call, as the events a real dialog's own event
    // loop delivers while it waits (a timer, the session ending).
    std::function<void()> WhileOpen;

    TMsgAnswer MessageBox(const std::string& text, TMsgTone tone, TMsgButtons buttons) override;
    void Beep() override { ++Beeps; }
    void SetClipboardText(const std::string& text) override { Clipboard.push_back(text); }
    std::string SelectFolder(const std::string& title, const std::string& start) override;
    std::string OpenFile(const std::string& filter, const std::string& initialDir) override;
    bool Progress(std::int64_t done, std::int64_t total) override;
    void EndProgress() override { ++ProgressEnded; }
};

} // namespace tarvo::test
