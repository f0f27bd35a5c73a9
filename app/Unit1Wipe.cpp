#include "app/FilesObj.h"
#include "app/FolderWipe.h"
#include "app/TarvoData.h"
#include "app/Unit1.h"
#include "app/Unit1Helpers.h"
#include "params/DatTypes.h"
#include "platform/FileSys.h"
#include "util/MyStrUnit.h"
#include "util/Sp_Procs.h"

#include <QCheckBox>
#include <QLineEdit>

namespace tarvo {

using form::FromQt;

void TForm1::btn9Click(QObject*) {
    if (!Alive()) return;
    setParVars();
    DelData->Clear();
    DelData->FilePath = CurData->FilePath;
    int code = WipeUnknownError;
    TWipeFindings findings;
    try {
        code = static_cast<int>(DelData->Wipe(chk8->isChecked(), &findings));
    } catch (...) {
        code = WipeUnknownError;
    }
    DelData->Clear();
    if (code == 0) {
        FDialogs.Beep();
        CurData->Reload();
        ShowFileData(true);
        const TWipeMessage warning = LeftoversMessage(findings.Leftovers);
        if (!warning.Text.empty()) FDialogs.MessageBox(warning.Text, warning.Tone, TMsgButtons::Ok);
        return;
    }
    const TWipeMessage message = WipeCodeMessage(code);
    if (!message.Text.empty()) FDialogs.MessageBox(message.Text, message.Tone, TMsgButtons::Ok);
}

void TForm1::btn10Click(QObject*) {
    if (!Alive()) return;
    std::string folder = FromQt(edt1->text());
    StrTrim(folder);
    if (!DirExists(folder)) {
        FDialogs.MessageBox("Папка не задана!", TMsgTone::Error, TMsgButtons::Ok);
        return;
    }
    setParVars();
    const bool confirm = chk8->isChecked();
    const TMsgTone tone = confirm ? TMsgTone::Warning : TMsgTone::Confirmation;
    TWipeCounters counters;
    try {
        TFilesObj list;
        list.TarvoFilter = true;
        list.Fill(folder);
        if (list.Names.empty()) {
            DelData->Clear();
            FDialogs.MessageBox(
                "В папке не обнаружены файлы для обработки. Требуются файлы типов Jpg/Png в "
                "диапазоне размеров от " +
                    FormatSize(MinFileSize, 0) + " до " + FormatSize(MaxFileSize, 0) +
                    ". Иные файлы вряд ли могут содержать данные формата Tarvo." +
                    " Операция отменена.",
                TMsgTone::Warning, TMsgButtons::Ok);
            return;
        }
        std::string found =
            "В заданном каталоге найдено файлов: " + std::to_string(list.Names.size()) + ". ";
        if (confirm) found = "Внимание! " + found;
        if (!FilesObj->Names.empty() && FilesObj->Names.size() != list.Names.size()) {
            const TMsgAnswer answer = FDialogs.MessageBox(
                found + "В вашем текущем списке отображения задано файлов: " +
                    std::to_string(FilesObj->Names.size()) +
                    ". Какие файлы вы хотите обработать? Нажмите Yes, чтобы применить "
                    "обработку только к файлам в вашем списке, или нажимте YesToAll, если "
                    "хотите обработать все файлы в папке.",
                tone, TMsgButtons::YesCancelYesToAll);
            if (answer == TMsgAnswer::Yes) {
                // The listed names, looked for in the processed folder.
                list.Names = FilesObj->Names;
            } else if (answer != TMsgAnswer::YesToAll) {
                DelData->Clear();
                return;
            }
        } else {
            const TMsgAnswer answer =
                FDialogs.MessageBox(found + (confirm ? "Вы уверены, что хотите выполнить обработку?"
                                                     : "Выполнить обработку?"),
                                    tone, TMsgButtons::OkCancel);
            if (answer != TMsgAnswer::Ok) {
                DelData->Clear();
                return;
            }
        }
        RunFolderWipe(list, *DelData, counters);
    } catch (...) {
        counters.completed = false;
        counters.severity = 3;
    }
    DelData->Clear();
    if (counters.total == -1) {
        FDialogs.MessageBox(
            "Внимание! Сбой при подготовке файлов для обработки. Никакие действия не произведены!",
            TMsgTone::Error, TMsgButtons::Ok);
        return;
    }
    CurData->Reload();
    ShowFileData(true);
    const TWipeMessage report = ComposeReport(counters);
    FDialogs.MessageBox(report.Text, report.Tone, TMsgButtons::Ok);
}

} // namespace tarvo
