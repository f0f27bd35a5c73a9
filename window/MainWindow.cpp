// The main window's life, its handlers (each forwards to the viewer model and renders), and
// the rendering of the model's state into the controls, the picture pane's included.
#include "window/MainWindow.h"

#include "app/PaneRatio.h"
#include "platform/FileSys.h"
#include "window/MainWindowLayout.h"
#include "window/QtText.h"
#include "window/TDXPaintBox.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace tarvo {

using namespace layout;

TForm1::TForm1(IDialogs& dialogs, QWidget* parent) : QWidget(parent), FDialogs(dialogs) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tarvo Params Viewer"));
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(13);
    // Without Tahoma, the condensed face of the fallback (where it has one) keeps the help
    // text's lines within the text pane, as they were laid out for Tahoma.
    const QString family = QFontInfo(font).family();
    if (family != QStringLiteral("Tahoma")) {
        const QStringList styles = QFontDatabase::styles(family);
        if (std::any_of(styles.begin(), styles.end(), [](const QString& style) {
                return style.contains(QStringLiteral("Condensed"), Qt::CaseInsensitive);
            }))
            font.setStretch(QFont::Condensed);
    }
    setFont(font);
    CreateControls();
    ConnectHandlers();
    setMinimumSize(MinWindowWidth, MinWindowHeight);
    resize(InitialWidth, InitialHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    AlignPanels();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    setAcceptDrops(true);
}

void TForm1::InitForm() {
    // A decoded picture is announced on the decoding thread; the model hears of it on this one.
    const auto pictureReady = [this] {
        QMetaObject::invokeMethod(
            this, [this] { Forward([](TViewerModel& m) { m.PicturesReady(); }); },
            Qt::QueuedConnection);
    };
    Model = std::make_unique<TViewerModel>(FDialogs, &QtTranslate, pictureReady);
    Model->Start(static_cast<double>(pnl8->width()) / std::max(1, pnl1->width()));
    // Qt paints every widget double-buffered; nothing to switch on.
    Render();
    NormalizeScale();
}

void TForm1::FormClose() {
    Model.reset();
}

void TForm1::CloseDeferred() {
    FCloseDeferred = false;
    close();
}

void TForm1::WMEndSession() {
    close();
}

void TForm1::Render() {
    if (!Model) return;
    const TViewState& s = Model->State();
    if (FPathRevision != s.PathRevision) {
        FPathRevision = s.PathRevision;
        edt1->setText(ToQt(s.PathText));
    }
    if (FPromptsRevision != s.PromptsRevision) {
        FPromptsRevision = s.PromptsRevision;
        edt2->setText(ToQt(s.Prompt));
        edt3->setText(ToQt(s.Negative));
    }
    if (FMemoRevision != s.MemoRevision) {
        FMemoRevision = s.MemoRevision;
        mmo1->setPlainText(ToQt(s.MemoText));
    }
    mmo1->setEnabled(s.MemoEnabled);
    lbl4->setEnabled(s.DataLabelEnabled);
    lbl4->setText(ToQt(s.DataLabel));
    lbl5->setText(ToQt(s.FileName));
    pnl1->setText(ToQt(s.Caption));
    lbl8->setText(ToQt(s.Counter));
    lbl1->setText(ToQt(s.PictureSize));
    if (FPictureRevision != s.PictureRevision) {
        FPictureRevision = s.PictureRevision;
        // An empty box draws nothing over its pane, so clearing it repaints the pane behind
        // it over the whole area at once and nothing of the previous picture is left.
        if (s.Picture)
            dxpntbx1->AssignDIB(s.Picture);
        else
            dxpntbx1->ClearDIB();
        dxpntbx1->Paint();
    }
    btn6->setEnabled(s.CopyPromptEnabled);
    btn7->setEnabled(s.CopyNegativeEnabled);

    chk6->setEnabled(s.AllowWipeEnabled);
    chk7->setEnabled(s.FolderEnabled);
    chk8->setEnabled(s.ConfirmEnabled);
    btn9->setEnabled(s.WipeFileEnabled);
    btn10->setEnabled(s.WipeFolderEnabled);
    const QColor colour = s.ConfirmWarning
                              ? QColor(255, 0, 0)
                              : chk7->palette().color(QPalette::Active, QPalette::WindowText);
    QPalette palette = chk8->palette();
    // A disabled box keeps the greyed caption of the style.
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    chk8->setPalette(palette);

    dxpntbx1->SetStretch(s.Stretch);
    btn14->setVisible(s.RestoreVisible);
    const bool optionsMoved = pnl4->isHidden() == s.OptionsVisible;
    pnl4->setVisible(s.OptionsVisible);
    btn3->setVisible(!s.OptionsVisible);
    // The prompt bar goes back directly above the options bar, or down to the bottom.
    if (optionsMoved) AlignPanels();
    if (FRatioRevision != s.RatioRevision) {
        FRatioRevision = s.RatioRevision;
        SetWins();
    }
}

bool TForm1::KeepsKey(const QObject* field, const QEvent* event) const {
    if (event->type() != QEvent::ShortcutOverride) return false;
    if (field != edt1 && field != edt2 && field != edt3 && field != mmo1) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    // The keypad's arrows and page keys come with the keypad flag and are the same keys.
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

void TForm1::KeyPressed(TKey key) {
    Forward([&](TViewerModel& m) { m.KeyPressed(key); });
}

void TForm1::OpenArguments(const std::vector<std::string>& arguments) {
    Forward([&](TViewerModel& m) { m.OpenArguments(arguments, CurrentDir()); });
}

void TForm1::chk3Click(QObject* Sender) {
    const std::pair<QCheckBox*, TOption> boxes[] = {
        {chk3, TOption::JobId}, {chk4, TOption::Prompt},    {chk5, TOption::NegPrompt},
        {chk9, TOption::Seed},  {chk6, TOption::AllowWipe}, {chk7, TOption::Folder}};
    for (const auto& [box, option] : boxes) {
        if (box != Sender) continue;
        const bool on = box->isChecked();
        const TOption which = option;
        Forward([&](TViewerModel& m) { m.SetOption(which, on); });
    }
}

void TForm1::chk8Click(QObject*) {
    Forward([this](TViewerModel& m) { m.SetOption(TOption::Confirm, chk8->isChecked()); });
}

void TForm1::chk2Click(QObject*) {
    Forward([this](TViewerModel& m) { m.SetOption(TOption::TarvoData, chk2->isChecked()); });
}

void TForm1::chk10Click(QObject*) {
    Forward([this](TViewerModel& m) { m.SetOption(TOption::TruePrompt, chk10->isChecked()); });
}

void TForm1::chk1Click(QObject*) {
    Forward([this](TViewerModel& m) { m.SetOption(TOption::Stretch, chk1->isChecked()); });
}

void TForm1::btn1Click(QObject*) {
    Forward([](TViewerModel& m) { m.OpenFile(); });
}

void TForm1::btn2Click(QObject*) {
    Forward([](TViewerModel& m) { m.ClearFile(); });
}

void TForm1::btn3Click(QObject*) {
    Forward([](TViewerModel& m) { m.ShowOptions(); });
}

void TForm1::btn4Click(QObject*) {
    NextFile(true);
}

void TForm1::btn5Click(QObject*) {
    NextFile(false);
}

void TForm1::btn6Click(QObject*) {
    Forward([](TViewerModel& m) { m.CopyPrompt(); });
}

void TForm1::btn7Click(QObject*) {
    Forward([](TViewerModel& m) { m.CopyNegative(); });
}

void TForm1::btn8Click(QObject*) {
    Forward([](TViewerModel& m) { m.ChooseFolder(); });
}

void TForm1::btn9Click(QObject*) {
    Forward([](TViewerModel& m) { m.WipeFile(); });
}

void TForm1::btn10Click(QObject*) {
    Forward([](TViewerModel& m) { m.WipeFolder(); });
}

void TForm1::btn11Click(QObject*) {
    Forward([](TViewerModel& m) { m.HideOptions(); });
}

void TForm1::btn12Click(QObject*) {
    Forward([](TViewerModel& m) { m.RefreshList(); });
}

void TForm1::btn13Click(QObject*) {
    Forward([](TViewerModel& m) { m.SwitchRatio(); });
}

void TForm1::btn14Click(QObject*) {
    Forward([](TViewerModel& m) { m.RestoreRatio(); });
}

void TForm1::edt1KeyPress(QObject*, char& Key) {
    if (Key == '\r') Forward([](TViewerModel& m) { m.PathEntered(); });
}

void TForm1::WMDropFiles(const std::vector<std::string>& paths) {
    Forward([&](TViewerModel& m) { m.Drop(paths); });
}

void TForm1::SetDirSp(const std::string& folder) {
    Forward([&](TViewerModel& m) { m.SetDirSp(folder); });
}

void TForm1::SetFileSp(const std::string& path) {
    Forward([&](TViewerModel& m) { m.SetFileSp(path); });
}

void TForm1::LoadFile(const std::string& path) {
    Forward([&](TViewerModel& m) { m.LoadFile(path); });
}

void TForm1::NextFile(bool backward) {
    Forward([&](TViewerModel& m) { m.NextFile(backward); });
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    AlignPanels();
    FormResize(this);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A command waiting in a dialog's loop goes on with the model when the dialog returns,
    // and its later dialogs need their window: the close waits for the command.
    if (FCommandDepth > 0) {
        FCloseDeferred = true;
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime == nullptr || !mime->hasUrls()) return;
    const QList<QUrl> urls = mime->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); }))
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime == nullptr || !mime->hasUrls()) return;
    std::vector<std::string> paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile()) paths.push_back(FromQt(url.toLocalFile()));
    event->acceptProposedAction();
    WMDropFiles(paths);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == spl1 && SplitterMouse(event)) return true;
    // Accepting the override hands the key to the field's own key handling instead of the
    // window's shortcuts.
    if (KeepsKey(watched, event)) {
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tarvo
