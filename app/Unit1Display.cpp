#include "app/FilesObj.h"
#include "app/TarvoData.h"
#include "app/Unit1.h"
#include "app/Unit1Helpers.h"
#include "params/DatTypes.h"
#include "picture/LoadImageFile.h"
#include "picture/TDXPaintBox.h"
#include "platform/FileSys.h"
#include "util/MyStrUnit.h"
#include "util/Sp_Procs.h"

#include <QCheckBox>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <utility>

namespace tarvo {

using form::FromQt;
using form::NamePart;
using form::ToQt;

namespace {

// The record's texts break lines with CR LF; the memo shows a lone LF as a break.
QString MemoText(const std::string& text) {
    QString result = ToQt(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

} // namespace

void TForm1::ShowFileData(bool keepPrompts) {
    if (!Alive()) return;
    edt1->setText(ToQt(CurData->Folder));
    const std::string name = NamePart(CurData->FilePath);
    lbl5->setText(ToQt(name));
    // The pane shows the bare file name in its middle when no picture covers it.
    pnl1->setText(PicShown ? QString() : ToQt(name));
    mmo1->setPlainText(MemoText(CurData->GetFullText()));
    mmo1->setEnabled(CurData->HasText);
    lbl4->setEnabled(CurData->HasText);
    if (CurData->FileSize > 0)
        lbl5->setText(lbl5->text() + ToQt("  (" + FormatSize(CurData->FileSize, 1) + ")"));
    FilesObj->ShowCount();
    if (keepPrompts) return;
    edt2->setText(ToQt(CurData->GetPrompt(chk10->isChecked())));
    edt3->setText(ToQt(CurData->GetValue("negative_prompt")));
    btn6->setEnabled(!edt2->text().isEmpty());
    btn7->setEnabled(!edt3->text().isEmpty());
}

void TForm1::LoadFile(const std::string& path) {
    if (!Alive() || path.empty() || !FileExists(path)) return;
    // A file without parameters or outside the size limits is still shown.
    (void)CurData->Load(path);
    {
        TLoadImageFile loader;
        loader.GrafKind = CurData->Graf.FileKind;
        const bool shown = loader.LoadPicture(path) && loader.Image &&
                           ShowPicture(std::move(*loader.Image), loader.Width, loader.Height);
        if (!shown) ClearPicture();
    }
    ShowFileData(false);
    SetWipeButtons();
}

bool TForm1::ShowPicture(TPicture&& picture, int width, int height) {
    ResetPicture();
    if (!dxpntbx1->AssignDIB(std::move(picture))) {
        // Out of memory for the display copy: nothing is shown, so nothing is claimed.
        lbl1->clear();
        PicShown = false;
        return false;
    }
    dxpntbx1->Paint();
    lbl1->setText(QStringLiteral("Размер картинки: %1 x %2").arg(width).arg(height));
    PicShown = true;
    return true;
}

void TForm1::ResetPicture() {
    // The box draws nothing over its pane, so this paint repaints the pane behind it over
    // the whole area at once and nothing of the previous picture is left. (Hiding and
    // showing the box would add nothing but a later, second paint of the new picture.)
    dxpntbx1->ClearDIB();
    dxpntbx1->Paint();
    lbl1->setText(QStringLiteral("Размер картинки: 0 x 0"));
}

void TForm1::ClearPicture() {
    if (!PicShown) return;
    dxpntbx1->ClearDIB();
    dxpntbx1->Paint();
    PicShown = false;
    lbl1->clear();
}

bool TForm1::IsPicFile(const std::string& path) const {
    const std::string name = NamePart(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string_view ext = std::string_view(name).substr(dot + 1);
    const int count = chk2->isChecked() ? TarvoExtCount : static_cast<int>(PicExts.size());
    for (int i = count - 1; i >= 0; --i)
        if (StrSameText(PicExts[static_cast<std::size_t>(i)], ext)) return true;
    return false;
}

void TForm1::chk10Click(QObject*) {
    if (!Alive() || !CurData->HasParams()) return;
    const QString prompt = ToQt(CurData->GetPrompt(chk10->isChecked()));
    if (prompt == edt2->text()) return;
    edt2->setText(prompt);
    FDialogs.Beep();
}

void TForm1::chk1Click(QObject*) {
    dxpntbx1->SetStretch(chk1->isChecked());
}

} // namespace tarvo
