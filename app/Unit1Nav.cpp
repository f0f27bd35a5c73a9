#include "app/FilesObj.h"
#include "app/TarvoData.h"
#include "app/Unit1.h"
#include "app/Unit1Helpers.h"
#include "platform/Collation.h"
#include "platform/FileSys.h"
#include "util/MyStrUnit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace tarvo {

using form::FolderPart;
using form::FromQt;
using form::NamePart;
using form::SamePath;
using form::ToQt;

namespace {

std::string TrimmedText(const QLineEdit* edit) {
    std::string text = FromQt(edit->text());
    StrTrim(text);
    return text;
}

// Case-insensitive order of full paths; byte order settles paths that collate equal.
bool PathLess(const std::string& a, const std::string& b) {
    const int c = CompareNames(a, b);
    return c != 0 ? c < 0 : a < b;
}

} // namespace

void TForm1::ClearFile() {
    if (!Alive()) return;
    CurData->Clear();
    ClearPicture();
    btn9->setEnabled(false);
    FilesObj->Position = -1;
    FilesObj->CountDirty = true;
    ShowFileData(false);
}

void TForm1::SetDirSp(const std::string& folder) {
    if (!Alive()) return;
    edt1->setText(ToQt(folder));
    CurData->Folder = folder;
    FilesObj->Clear();
    ClearFile();
    NextFile(false);
    FDialogs.Beep();
}

void TForm1::SetFileSp(const std::string& path) {
    if (!Alive()) return;
    const std::string oldFolder = TrimmedText(edt1);
    CurData->Folder = FolderPart(path);
    LoadFile(path);
    if (SamePath(oldFolder, CurData->Folder)) {
        // The file lies in the folder already current: an unlisted list is left for the
        // next [<] or [>] to locate the file in.
        if (FilesObj->Position < 0) return;
        FilesObj->Fill(std::string());
        FilesObj->Position = FilesObj->IndexOf(NamePart(path));
        FilesObj->ShowCount();
        return;
    }
    lbl8->clear();
    FilesObj->Position = -1;
    ShowFileData(false);
}

void TForm1::NextFile(bool backward) {
    if (!Alive()) return;
    const std::string folder = FromQt(edt1->text());
    if (!SamePath(folder, FilesObj->Folder)) FilesObj->Clear();
    if (!FilesObj->Loaded) FilesObj->Fill(folder);
    if (FilesObj->Names.empty()) return;
    if (FilesObj->Position < 0) FilesObj->Locate(CurData->FilePath);
    const std::string path = FilesObj->StepExisting(backward);
    if (path.empty() || SamePath(path, CurData->FilePath)) {
        // Names of vanished files may have been dropped on the way: the counter follows.
        FilesObj->ShowCount();
        FDialogs.Beep();
        return;
    }
    CurData->Folder = FolderPart(path);
    LoadFile(path);
}

void TForm1::btn2Click(QObject*) {
    ClearFile();
}

void TForm1::btn4Click(QObject*) {
    NextFile(true);
}

void TForm1::btn5Click(QObject*) {
    NextFile(false);
}

void TForm1::btn12Click(QObject*) {
    if (Alive()) FilesObj->Refresh();
}

void TForm1::edt1KeyPress(QObject*, char& Key) {
    if (Key != '\r') return;
    const std::string text = TrimmedText(edt1);
    // A typed file path, or a path of nothing, is ignored without a message.
    if (DirExists(text)) SetDirSp(text);
}

void TForm1::btn8Click(QObject*) {
    std::string start = TrimmedText(edt1);
    if (!DirExists(start)) start.clear();
    const std::string folder = FDialogs.SelectFolder("Выберите папку", start);
    if (!folder.empty()) SetDirSp(folder);
}

void TForm1::btn1Click(QObject*) {
    if (!Alive()) return;
    dlgOpenPic1.Filter =
        "Файлы картинок Tarvo (Jpg, Png, WebP)|*.jpg;*.Jpeg;*.png;*.WebP|Все файлы|*.*";
    dlgOpenPic1.InitialDir = CurData->Folder;
    dlgOpenPic1.FileName.clear();
    if (dlgOpenPic1.Execute(FDialogs)) SetFileSp(dlgOpenPic1.FileName);
}

void TForm1::WMDropFiles(const std::vector<std::string>& paths) {
    if (!Alive()) return;
    std::vector<std::string>& list = *DropList;
    list = paths;
    if (list.empty()) return;
    if (list.size() == 1) {
        const std::string item = list.front();
        list.clear();
        if (DirExists(item))
            SetDirSp(item);
        else if (FileExists(item))
            SetFileSp(item);
        return;
    }
    std::sort(list.begin(), list.end(), PathLess);
    std::string firstFolder;
    std::erase_if(list, [&](const std::string& item) {
        if (DirExists(item)) {
            if (firstFolder.empty()) firstFolder = item;
            return true;
        }
        return !IsPicFile(item);
    });
    // The handlers below may run a drop's worth of work; the list is read before that.
    const std::vector<std::string> pictures = std::move(list);
    list.clear();
    if (pictures.size() == 1) {
        SetFileSp(pictures.front());
    } else if (pictures.size() >= 2) {
        SetFileSp(pictures.front());
        FilesObj->Names.clear();
        for (const std::string& picture : pictures)
            FilesObj->Names.push_back(NamePart(picture));
        FilesObj->Position = 0;
        FilesObj->Folder = FromQt(edt1->text());
        FilesObj->Loaded = true;
        FilesObj->CountDirty = true;
        FilesObj->ShowCount();
    } else if (!firstFolder.empty()) {
        SetDirSp(firstFolder);
    }
}

} // namespace tarvo
