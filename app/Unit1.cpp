#include "app/Unit1.h"

#include "app/FilesObj.h"
#include "app/HelpText.h"
#include "app/PaneRatio.h"
#include "app/TarvoData.h"
#include "app/Unit1Helpers.h"
#include "params/DatTypes.h"
#include "picture/TDXPaintBox.h"
#include "util/MyStrUnit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

#include <algorithm>
#include <limits>

namespace tarvo {

using form::FromQt;
using form::ToQt;

namespace form {

std::string FolderPart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    std::size_t end = slash;
    while (end > 0 && path[end - 1] == '/')
        --end;
    return end == 0 ? std::string("/") : std::string(path.substr(0, end));
}

std::string NamePart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool SamePath(std::string_view a, std::string_view b) {
    const auto strip = [](std::string_view p) {
        while (p.size() > 1 && p.back() == '/')
            p.remove_suffix(1);
        return p;
    };
    return strip(a) == strip(b);
}

} // namespace form

namespace {

// Heights of the stacked panels as designed.
constexpr int PathBarHeight = 97;
constexpr int PromptBarHeight = 83;
constexpr int OptionsBarHeight = 97;
constexpr int WipeGroupWidth = 568;
constexpr int ViewGroupWidth = 328;
constexpr int InitialWidth = 1065;
constexpr int InitialHeight = 654;
// Gaps of the bars as designed.
constexpr int GapWide = 13;
constexpr int GapNarrow = 8;
constexpr int GapLabel = 6;
constexpr int GapCopy = 20;
// The splitter's colour: medium grey.
const QColor SplitterColour(128, 128, 128);

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int width,
                        const char* hint = nullptr) {
    auto* button = Named(new QPushButton(QString::fromUtf8(caption), parent), name);
    button->setCursor(Qt::PointingHandCursor);
    // The designed width, widened only when the caption would not fit (the style's own
    // minimum of 80 pixels would make [<] as wide as [Очистить]).
    const int textWidth = button->fontMetrics().horizontalAdvance(button->text()) + 16;
    button->setFixedWidth(std::max(width, textWidth));
    if (hint != nullptr) button->setToolTip(QString::fromUtf8(hint));
    return button;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const char* caption, bool checked,
                     const char* hint = nullptr) {
    auto* box = Named(new QCheckBox(QString::fromUtf8(caption), parent), name);
    box->setChecked(checked);
    if (hint != nullptr) box->setToolTip(QString::fromUtf8(hint));
    return box;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption) {
    return Named(new QLabel(QString::fromUtf8(caption), parent), name);
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const char* text) {
    auto* edit = Named(new QLineEdit(QString::fromUtf8(text), parent), name);
    // Prompts can be long; the field holds any length, as the designed edit does.
    edit->setMaxLength(std::numeric_limits<int>::max());
    // Files dropped onto a field open like files dropped anywhere on the window.
    edit->setAcceptDrops(false);
    return edit;
}

QFrame* MakePanel(QWidget* parent, const char* name, bool border) {
    auto* panel = Named(new QFrame(parent), name);
    if (border) {
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Raised);
        panel->setLineWidth(1);
    }
    return panel;
}

QFrame* MakeBevel(QWidget* parent, const char* name) {
    auto* line = Named(new QFrame(parent), name);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

bool TOpenPictureDialog::Execute(IDialogs& dialogs) {
    const std::string chosen = dialogs.OpenFile(Filter, InitialDir);
    if (chosen.empty()) return false;
    FileName = chosen;
    return true;
}

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

void TForm1::CreateControls() {
    CreatePathBar();
    CreateCentre();
    CreatePromptBar();
    CreateOptionsBar();
}

void TForm1::CreatePathBar() {
    pnl5 = MakePanel(this, "pnl5", false);
    lbl2 = MakeLabel(pnl5, "lbl2", "Путь:");
    edt1 = MakeEdit(pnl5, "edt1", "");
    btn8 = MakeButton(pnl5, "btn8", "Задать", 75);
    btn1 = MakeButton(pnl5, "btn1", "Открыть файл", 110);
    lbl3 = MakeLabel(pnl5, "lbl3", "Имя файла:");
    lbl5 = MakeLabel(pnl5, "lbl5", "lbl5");
    lbl4 = MakeLabel(pnl5, "lbl4", "Tarvo Data:");
    lbl4->setEnabled(false);
    lbl8 = MakeLabel(pnl5, "lbl8", "lbl8");
    lbl8->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbl1 = MakeLabel(pnl5, "lbl1", "lbl1");
    lbl1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* rows = new QVBoxLayout(pnl5);
    rows->setContentsMargins(GapWide, GapNarrow, GapWide, GapNarrow);
    auto* row1 = new QHBoxLayout;
    row1->setSpacing(0);
    row1->addWidget(lbl2);
    row1->addSpacing(GapNarrow);
    row1->addWidget(edt1, 1);
    row1->addSpacing(GapWide);
    row1->addWidget(btn8);
    row1->addSpacing(GapWide);
    row1->addWidget(btn1);
    auto* row2 = new QHBoxLayout;
    row2->setSpacing(0);
    row2->addWidget(lbl3);
    row2->addSpacing(GapLabel);
    row2->addWidget(lbl5, 1);
    row2->addSpacing(GapLabel);
    row2->addWidget(lbl8);
    auto* row3 = new QHBoxLayout;
    row3->setSpacing(0);
    row3->addWidget(lbl4);
    row3->addStretch(1);
    row3->addWidget(lbl1);
    rows->addLayout(row1);
    rows->addLayout(row2);
    rows->addLayout(row3);
}

void TForm1::CreateCentre() {
    pnl2 = MakePanel(this, "pnl2", true);
    pnl8 = MakePanel(pnl2, "pnl8", false);
    mmo1 = Named(new QPlainTextEdit(pnl8), "mmo1");
    mmo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    mmo1->setAcceptDrops(false);
    QStringList help;
    for (std::string_view line : HelpLines())
        help << ToQt(line);
    mmo1->setPlainText(help.join(QLatin1Char('\n')));
    auto* memoLayout = new QVBoxLayout(pnl8);
    memoLayout->setContentsMargins(0, 0, 0, 0);
    memoLayout->addWidget(mmo1);

    spl1 = Named(new QFrame(pnl2), "spl1");
    spl1->setCursor(Qt::SplitHCursor);
    spl1->setAutoFillBackground(true);
    QPalette splitterPalette = spl1->palette();
    splitterPalette.setColor(QPalette::Window, SplitterColour);
    spl1->setPalette(splitterPalette);
    spl1->installEventFilter(this);

    pnl1 = Named(new QLabel(pnl2), "pnl1");
    pnl1->setAlignment(Qt::AlignCenter);
    pnl1->setWordWrap(false);
    pnl1->resize(DesignPicturePaneWidth, pnl1->height());
    dxpntbx1 = Named(new TDXPaintBox(pnl1), "dxpntbx1");
    dxpntbx1->SetAutoStretch(false);
    dxpntbx1->SetCenter(true);
    dxpntbx1->SetKeepAspect(true);
}

void TForm1::CreatePromptBar() {
    pnl3 = MakePanel(this, "pnl3", true);
    lbl6 = MakeLabel(pnl3, "lbl6", "Prompt");
    edt2 = MakeEdit(pnl3, "edt2", "edt2");
    btn6 = MakeButton(pnl3, "btn6", "Copy", 60);
    lbl7 = MakeLabel(pnl3, "lbl7", "Negative");
    edt3 = MakeEdit(pnl3, "edt3", "edt3");
    btn7 = MakeButton(pnl3, "btn7", "Copy", 60);
    btn6->setEnabled(false);
    btn7->setEnabled(false);
    btn4 = MakeButton(pnl3, "btn4", "<", 33, "Предыдущий");
    btn5 = MakeButton(pnl3, "btn5", ">", 33, "Следующий");
    btn2 = MakeButton(pnl3, "btn2", "Очистить", 75);
    btn13 = MakeButton(pnl3, "btn13", "1/5", 33);
    btn14 = MakeButton(pnl3, "btn14", "В", 33, "Восстановить пропорции");
    btn12 = MakeButton(pnl3, "btn12", "O", 33, "Обновить список файлов");
    btn3 = MakeButton(pnl3, "btn3", "V", 33, "Показать доп панель");
    // [<] above [1/5] and [>] above [В] share their columns.
    const int smallWidth = std::max(btn4->width(), btn13->width());
    for (QPushButton* button : {btn4, btn13, btn5, btn14})
        button->setFixedWidth(smallWidth);

    // Columns: label, field, Copy, [<]/[1/5], [>]/[В], the gap with [O], [Очистить]/[V].
    auto* grid = new QGridLayout(pnl3);
    grid->setContentsMargins(GapNarrow, GapNarrow, GapWide, GapNarrow);
    grid->setHorizontalSpacing(0);
    grid->addWidget(lbl6, 0, 0);
    grid->addWidget(lbl7, 1, 0);
    grid->setColumnMinimumWidth(1, GapNarrow);
    grid->addWidget(edt2, 0, 2);
    grid->addWidget(edt3, 1, 2);
    grid->setColumnStretch(2, 1);
    grid->setColumnMinimumWidth(3, GapNarrow);
    grid->addWidget(btn6, 0, 4);
    grid->addWidget(btn7, 1, 4);
    grid->setColumnMinimumWidth(5, GapCopy);
    grid->addWidget(btn4, 0, 6);
    grid->addWidget(btn13, 1, 6);
    grid->setColumnMinimumWidth(7, GapNarrow);
    grid->addWidget(btn5, 0, 8);
    grid->addWidget(btn14, 1, 8);
    grid->addWidget(btn12, 1, 9, Qt::AlignHCenter);
    grid->setColumnMinimumWidth(9, btn12->width());
    grid->addWidget(btn2, 0, 10);
    grid->addWidget(btn3, 1, 10, Qt::AlignRight);
    grid->setColumnMinimumWidth(10, btn2->width());
}

void TForm1::CreateOptionsBar() {
    pnl4 = MakePanel(this, "pnl4", true);
    pnl7 = MakePanel(pnl4, "pnl7", false);
    pnl7->setFixedWidth(WipeGroupWidth);
    chk3 = MakeCheck(pnl7, "chk3", "JobId", false);
    chk9 = MakeCheck(pnl7, "chk9", "Seed", false);
    chk4 = MakeCheck(pnl7, "chk4", "Prompt", false);
    chk5 = MakeCheck(pnl7, "chk5", "Neg Prompt", false);
    bvl1 = MakeBevel(pnl7, "bvl1");
    bvl2 = MakeBevel(pnl7, "bvl2");
    chk6 = MakeCheck(pnl7, "chk6", "Разрешить удалять", false);
    chk7 = MakeCheck(pnl7, "chk7", "Обработка папки", false);
    chk8 = MakeCheck(pnl7, "chk8", "Подтверждать", true);
    chk6->setEnabled(false);
    chk7->setEnabled(false);
    chk8->setEnabled(false);
    btn9 = MakeButton(pnl7, "btn9", "Удалить из файла", 150);
    btn10 = MakeButton(pnl7, "btn10", "Обработка папки", 150);
    btn9->setEnabled(false);
    btn10->setEnabled(false);

    auto* keys = new QGridLayout;
    keys->addWidget(chk3, 0, 0);
    keys->addWidget(chk9, 0, 1);
    keys->addWidget(chk4, 1, 0, 1, 2);
    keys->addWidget(chk5, 2, 0, 1, 2);
    auto* permits = new QVBoxLayout;
    permits->addWidget(chk6);
    permits->addWidget(chk7);
    permits->addWidget(chk8);
    auto* commands = new QVBoxLayout;
    commands->addWidget(btn9);
    commands->addWidget(btn10);
    auto* columns = new QHBoxLayout(pnl7);
    columns->setContentsMargins(GapNarrow, GapNarrow / 2, GapNarrow, GapNarrow / 2);
    columns->setSpacing(GapWide);
    columns->addLayout(keys);
    columns->addWidget(bvl1);
    columns->addLayout(permits);
    columns->addWidget(bvl2);
    columns->addLayout(commands);
    columns->addStretch(1);

    pnl6 = MakePanel(pnl4, "pnl6", false);
    pnl6->setFixedWidth(ViewGroupWidth);
    chk1 = MakeCheck(pnl6, "chk1", "Растягивать", true,
                     "Растягивать картинку в размеры окна отображения");
    btn11 = MakeButton(pnl6, "btn11", "^", 33, "Скрыть доп панель");
    chk10 = MakeCheck(pnl6, "chk10", "Истиный Prompt", true,
                      "Сторонняя информация, записанная в Prompt, не будет отображаться в "
                      "нижнем поле ввода");
    chk2 = MakeCheck(pnl6, "chk2", "Tarvo Data", true,
                     "Игнорировать при листании файлы WebP, и так же слишком большие и слишком "
                     "маленькие файлы");
    auto* view = new QGridLayout(pnl6);
    view->setContentsMargins(GapNarrow, GapNarrow, GapWide, GapNarrow);
    view->addWidget(chk1, 0, 0);
    view->addWidget(btn11, 0, 1, Qt::AlignRight);
    view->addWidget(chk10, 1, 0);
    view->addWidget(chk2, 1, 1);

    auto* groups = new QHBoxLayout(pnl4);
    groups->setContentsMargins(0, 0, 0, 0);
    groups->setSpacing(0);
    groups->addWidget(pnl7);
    groups->addStretch(1);
    groups->addWidget(pnl6);
}

void TForm1::ConnectHandlers() {
    const auto click = [this](QPushButton* button, void (TForm1::*handler)(QObject*)) {
        connect(button, &QPushButton::clicked, this,
                [this, button, handler] { (this->*handler)(button); });
    };
    // A check box's handler runs whenever its state changes, by the user or by code.
    const auto toggle = [this](QCheckBox* box, void (TForm1::*handler)(QObject*)) {
        connect(box, &QCheckBox::toggled, this, [this, box, handler] { (this->*handler)(box); });
    };
    click(btn1, &TForm1::btn1Click);
    click(btn2, &TForm1::btn2Click);
    click(btn3, &TForm1::btn3Click);
    click(btn4, &TForm1::btn4Click);
    click(btn5, &TForm1::btn5Click);
    click(btn6, &TForm1::btn6Click);
    click(btn7, &TForm1::btn7Click);
    click(btn8, &TForm1::btn8Click);
    click(btn9, &TForm1::btn9Click);
    click(btn10, &TForm1::btn10Click);
    click(btn11, &TForm1::btn11Click);
    click(btn12, &TForm1::btn12Click);
    click(btn13, &TForm1::btn13Click);
    click(btn14, &TForm1::btn14Click);
    for (QCheckBox* box : {chk3, chk4, chk5, chk6, chk7, chk9})
        toggle(box, &TForm1::chk3Click);
    toggle(chk8, &TForm1::chk8Click);
    toggle(chk2, &TForm1::chk2Click);
    toggle(chk10, &TForm1::chk10Click);
    toggle(chk1, &TForm1::chk1Click);
    connect(edt1, &QLineEdit::returnPressed, this, [this] {
        char key = '\r';
        edt1KeyPress(edt1, key);
    });
#ifndef QT_NO_SESSIONMANAGER
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { WMEndSession(); });
#endif
}

bool TForm1::Alive() const {
    return CurData && DelData && FilesObj && DropList;
}

void TForm1::FormCreate() {
    setAcceptDrops(true);
}

void TForm1::InitForm() {
    BuildCaseTable();
    lbl8->clear();
    CurData = std::make_unique<TTarvoData>(false, &FDialogs);
    DelData = std::make_unique<TTarvoData>(true, &FDialogs);
    FilesObj = std::make_unique<TFilesObj>();
    DropList = std::make_unique<std::vector<std::string>>();
    FilesObj->CountLabel = [this](const std::string& text) { lbl8->setText(ToQt(text)); };
    FilesObj->TarvoFilter = chk2->isChecked();
    PicShown = false;
    const QString help = mmo1->toPlainText();
    ShowFileData(false);
    mmo1->setPlainText(help);
    mmo1->setEnabled(true);
    lbl1->clear();
    btn3->hide();
    SetWipeButtons();
    WinsRatio = static_cast<double>(pnl8->width()) / std::max(1, pnl1->width());
    SavedRatio = WinsRatio;
    btn14->hide();
    // Qt paints every widget double-buffered; nothing to switch on.
    dxpntbx1->SetStretch(chk1->isChecked());
    NormalizeScale();
}

void TForm1::FormClose() {
    CurData.reset();
    DelData.reset();
    FilesObj.reset();
    DropList.reset();
}

void TForm1::WMEndSession() {
    close();
}

void TForm1::SetWipeButtons() {
    const bool anyKey =
        chk3->isChecked() || chk4->isChecked() || chk5->isChecked() || chk9->isChecked();
    chk6->setEnabled(anyKey);
    chk7->setEnabled(anyKey && chk6->isChecked());
    chk8->setEnabled(anyKey);
    btn9->setEnabled(chk7->isEnabled() && CurData && CurData->HasParams());
    btn10->setEnabled(chk7->isEnabled() && chk7->isChecked());
}

void TForm1::chk3Click(QObject*) {
    SetWipeButtons();
}

void TForm1::chk8Click(QObject*) {
    SetWipeButtons();
    const QColor colour = chk8->isChecked()
                              ? chk7->palette().color(QPalette::Active, QPalette::WindowText)
                              : QColor(255, 0, 0);
    QPalette palette = chk8->palette();
    // A disabled box keeps the greyed caption of the style.
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    chk8->setPalette(palette);
    FDialogs.Beep();
}

void TForm1::chk2Click(QObject*) {
    if (!Alive() || chk2->isChecked() == FilesObj->TarvoFilter) return;
    chk2->setEnabled(false);
    FilesObj->TarvoFilter = chk2->isChecked();
    FilesObj->Refresh();
    chk2->setEnabled(true);
}

void TForm1::setParVars() {
    ParJobId = chk3->isChecked();
    ParPrompt = chk4->isChecked();
    ParNegPrompt = chk5->isChecked();
    ParSeed = chk9->isChecked();
}

void TForm1::btn6Click(QObject*) {
    FDialogs.SetClipboardText(FromQt(edt2->text()));
    FDialogs.Beep();
}

void TForm1::btn7Click(QObject*) {
    FDialogs.SetClipboardText(FromQt(edt3->text()));
    FDialogs.Beep();
}

void TForm1::btn11Click(QObject*) {
    btn3->show();
    pnl4->hide();
    AlignPanels();
}

void TForm1::btn3Click(QObject*) {
    btn3->hide();
    pnl4->show();
    // The prompt bar goes back directly above the options bar.
    AlignPanels();
}

void TForm1::AlignPanels() {
    const int w = width();
    int bottom = height();
    pnl5->setGeometry(0, 0, w, PathBarHeight);
    if (!pnl4->isHidden()) {
        bottom -= OptionsBarHeight;
        pnl4->setGeometry(0, bottom, w, OptionsBarHeight);
    }
    bottom -= PromptBarHeight;
    pnl3->setGeometry(0, bottom, w, PromptBarHeight);
    pnl2->setGeometry(0, PathBarHeight, w, std::max(0, bottom - PathBarHeight));
    // Called directly: a hidden window gets its resize events only when it is shown.
    pnl2Resize(pnl2);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    AlignPanels();
    FormResize(this);
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (data == nullptr || !data->hasUrls()) return;
    const QList<QUrl> urls = data->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); }))
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (data == nullptr || !data->hasUrls()) return;
    std::vector<std::string> paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths.push_back(FromQt(url.toLocalFile()));
    event->acceptProposedAction();
    WMDropFiles(paths);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == spl1 && SplitterMouse(event)) return true;
    return QWidget::eventFilter(watched, event);
}

} // namespace tarvo
