#include "window/QtDialogs.h"

#include "util/MyStrUnit.h"
#include "window/QtText.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QString>
#include <QStringList>

#include <vector>

namespace tarvo {

namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find(separator, from);
        parts.push_back(text.substr(from, at == std::string_view::npos ? at : at - from));
        if (at == std::string_view::npos) return parts;
        from = at + 1;
    }
}

// Composed texts break lines with CR LF; a Qt label shows a lone LF as the break.
QString MessageText(const std::string& text) {
    return ToQt(WithLf(text));
}

struct TToneLook {
    QMessageBox::Icon Icon;
    const char* Title;
};

// Title is a source text of the context "TQtDialogs".
TToneLook LookOf(TMsgTone tone) {
    switch (tone) {
    case TMsgTone::Warning:
        return {QMessageBox::Warning, QT_TRANSLATE_NOOP("TQtDialogs", "Предупреждение")};
    case TMsgTone::Error:
        return {QMessageBox::Critical, QT_TRANSLATE_NOOP("TQtDialogs", "Ошибка")};
    case TMsgTone::Information:
        return {QMessageBox::Information, QT_TRANSLATE_NOOP("TQtDialogs", "Информация")};
    case TMsgTone::Confirmation:
        return {QMessageBox::Question, QT_TRANSLATE_NOOP("TQtDialogs", "Подтверждение")};
    }
    return {QMessageBox::NoIcon, ""};
}

QMessageBox::StandardButtons ButtonsOf(TMsgButtons buttons) {
    switch (buttons) {
    case TMsgButtons::Ok:
        return QMessageBox::Ok;
    case TMsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case TMsgButtons::YesCancel:
        return QMessageBox::Yes | QMessageBox::Cancel;
    case TMsgButtons::YesCancelYesToAll:
        return QMessageBox::Yes | QMessageBox::Cancel | QMessageBox::YesToAll;
    }
    return QMessageBox::Ok;
}

} // namespace

std::string QtFilterText(std::string_view filter) {
    const std::vector<std::string_view> parts = Split(filter, '|');
    std::string result;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns;
        for (std::string_view pattern : Split(parts[i + 1], ';')) {
            if (pattern.empty()) continue;
            if (!patterns.empty()) patterns += ' ';
            patterns += pattern == "*.*" ? std::string_view("*") : pattern;
        }
        if (!result.empty()) result += ";;";
        result += parts[i];
        result += " (";
        result += patterns;
        result += ')';
    }
    return result;
}

TMsgAnswer TQtDialogs::MessageBox(const std::string& text, TMsgTone tone, TMsgButtons buttons) {
    const TToneLook look = LookOf(tone);
    QMessageBox box(look.Icon, QCoreApplication::translate("TQtDialogs", look.Title),
                    MessageText(text), ButtonsOf(buttons), FParent);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return TMsgAnswer::Ok;
    case QMessageBox::Yes:
        return TMsgAnswer::Yes;
    case QMessageBox::YesToAll:
        return TMsgAnswer::YesToAll;
    default:
        return TMsgAnswer::Cancel;
    }
}

void TQtDialogs::Beep() {
    QApplication::beep();
}

void TQtDialogs::SetClipboardText(const std::string& text) {
    QApplication::clipboard()->setText(ToQt(text));
}

std::string TQtDialogs::SelectFolder(const std::string& title, const std::string& start) {
    return FromQt(QFileDialog::getExistingDirectory(FParent, ToQt(title), ToQt(start),
                                                    QFileDialog::ShowDirsOnly));
}

std::string TQtDialogs::OpenFile(const std::string& filter, const std::string& initialDir) {
    const QString qtFilter = ToQt(QtFilterText(filter));
    QString selected = qtFilter.section(QStringLiteral(";;"), 0, 0);
    return FromQt(
        QFileDialog::getOpenFileName(FParent, QString(), ToQt(initialDir), qtFilter, &selected));
}

TQtDialogs::TQtDialogs(QWidget* parent) : FParent(parent) {}

TQtDialogs::~TQtDialogs() = default;

bool TQtDialogs::Progress(std::int64_t done, std::int64_t total) {
    const int scale = total > 0 ? 1000 : 1; // QProgressDialog counts in int
    if (!FProgress) {
        FProgress = std::make_unique<QProgressDialog>(FParent);
        FProgress->setWindowModality(Qt::WindowModal);
        FProgress->setWindowTitle(QCoreApplication::translate("TQtDialogs", "Обработка папки"));
        FProgress->setMinimumDuration(500);
        FProgress->setAutoClose(false);
        FProgress->setAutoReset(false);
        FProgress->setRange(0, scale);
    }
    FProgress->setLabelText(QCoreApplication::translate("TQtDialogs", "Обработано файлов: %1 из %2")
                                .arg(done)
                                .arg(total));
    // A modal progress dialog lets the window paint while it is set.
    FProgress->setValue(total > 0 ? static_cast<int>(done * scale / total) : 0);
    return !FProgress->wasCanceled();
}

void TQtDialogs::EndProgress() {
    FProgress.reset();
}

} // namespace tarvo
