// The program's dialogs shown for real: Qt message boxes with the tone's icon, the system
// beep, the clipboard, Qt's folder and open-file dialogs, and a progress dialog.
#pragma once

#include "platform/Dialogs.h"

#include <QProgressDialog>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tarvo {

class TQtDialogs : public IDialogs {
public:
    // parent (not owned, may be null) centres the dialogs over the window.
    explicit TQtDialogs(QWidget* parent = nullptr);
    ~TQtDialogs() override;
    void SetParent(QWidget* parent) { FParent = parent; }

    TMsgAnswer MessageBox(const std::string& text, TMsgTone tone, TMsgButtons buttons) override;
    void Beep() override;
    void SetClipboardText(const std::string& text) override;
    std::string SelectFolder(const std::string& title, const std::string& start) override;
    std::string OpenFile(const std::string& filter, const std::string& initialDir) override;
    bool Progress(std::int64_t done, std::int64_t total) override;
    void EndProgress() override;

private:
    QWidget* FParent;
    std::unique_ptr<QProgressDialog> FProgress;
};

// The dialog filter "Description|*.a;*.b|Description|*.*" in Qt's form
// "Description (*.a *.b);;Description (*)"; "*.*" becomes "*". An entry without its pattern
// list is dropped.
std::string QtFilterText(std::string_view filter);

} // namespace tarvo
