// Construction of the main window's controls as designed, with their captions and hints in
// the user's language, and their connection to the handlers.
#include "window/MainWindow.h"
#include "window/MainWindowLayout.h"
#include "window/QtText.h"
#include "window/TDXPaintBox.h"

#include "app/PaneRatio.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

#include <algorithm>
#include <initializer_list>
#include <limits>

namespace tarvo {

using namespace layout;

namespace {

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int width,
                        const QString& hint = {}) {
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setCursor(Qt::PointingHandCursor);
    // The designed width, widened only when the caption would not fit (the style's own
    // minimum of 80 pixels would make [<] as wide as [Очистить]).
    const int textWidth = button->fontMetrics().horizontalAdvance(button->text()) + 16;
    button->setFixedWidth(std::max(width, textWidth));
    button->setToolTip(hint);
    return button;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& caption, bool checked,
                     const QString& hint = {}) {
    auto* box = Named(new QCheckBox(caption, parent), name);
    box->setChecked(checked);
    box->setToolTip(hint);
    return box;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption) {
    return Named(new QLabel(caption, parent), name);
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

void TForm1::CreateControls() {
    CreatePathBar();
    CreateCentre();
    CreatePromptBar();
    CreateOptionsBar();
}

void TForm1::CreatePathBar() {
    pnl5 = MakePanel(this, "pnl5", false);
    lbl2 = MakeLabel(pnl5, "lbl2", tr("Путь:"));
    edt1 = MakeEdit(pnl5, "edt1", "");
    btn8 = MakeButton(pnl5, "btn8", tr("Задать"), 75);
    btn1 = MakeButton(pnl5, "btn1", tr("Открыть файл"), 110);
    lbl3 = MakeLabel(pnl5, "lbl3", tr("Имя файла:"));
    // The designed texts of the labels the model fills at start.
    lbl5 = MakeLabel(pnl5, "lbl5", QStringLiteral("lbl5"));
    lbl4 = MakeLabel(pnl5, "lbl4", QStringLiteral("Tarvo Data:"));
    lbl4->setEnabled(false);
    lbl8 = MakeLabel(pnl5, "lbl8", QStringLiteral("lbl8"));
    lbl8->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbl1 = MakeLabel(pnl5, "lbl1", QStringLiteral("lbl1"));
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
    // A click on the picture takes the focus there, so the plain arrow keys leaf.
    pnl1->setFocusPolicy(Qt::ClickFocus);
    dxpntbx1 = Named(new TDXPaintBox(pnl1), "dxpntbx1");
    dxpntbx1->setFocusPolicy(Qt::ClickFocus);
    dxpntbx1->SetAutoStretch(false);
    dxpntbx1->SetCenter(true);
    dxpntbx1->SetKeepAspect(true);
}

void TForm1::CreatePromptBar() {
    pnl3 = MakePanel(this, "pnl3", true);
    lbl6 = MakeLabel(pnl3, "lbl6", tr("Prompt"));
    edt2 = MakeEdit(pnl3, "edt2", "edt2");
    btn6 = MakeButton(pnl3, "btn6", tr("Copy"), 60);
    lbl7 = MakeLabel(pnl3, "lbl7", tr("Negative"));
    edt3 = MakeEdit(pnl3, "edt3", "edt3");
    btn7 = MakeButton(pnl3, "btn7", tr("Copy"), 60);
    btn6->setEnabled(false);
    btn7->setEnabled(false);
    // Signs read the same in every language; [В] is the first letter of its Russian hint
    // and takes the first letter of its hint's translation.
    btn4 = MakeButton(pnl3, "btn4", QStringLiteral("<"), 33, tr("Предыдущий"));
    btn5 = MakeButton(pnl3, "btn5", QStringLiteral(">"), 33, tr("Следующий"));
    btn2 = MakeButton(pnl3, "btn2", tr("Очистить"), 75);
    btn13 = MakeButton(pnl3, "btn13", QStringLiteral("1/5"), 33);
    btn14 = MakeButton(pnl3, "btn14", tr("В", "first letter of the hint"), 33,
                       tr("Восстановить пропорции"));
    btn12 = MakeButton(pnl3, "btn12", QStringLiteral("O"), 33, tr("Обновить список файлов"));
    btn3 = MakeButton(pnl3, "btn3", QStringLiteral("V"), 33, tr("Показать доп панель"));
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
    chk3 = MakeCheck(pnl7, "chk3", tr("JobId"), DefaultOption(TOption::JobId));
    chk9 = MakeCheck(pnl7, "chk9", tr("Seed"), DefaultOption(TOption::Seed));
    chk4 = MakeCheck(pnl7, "chk4", tr("Prompt"), DefaultOption(TOption::Prompt));
    chk5 = MakeCheck(pnl7, "chk5", tr("Neg Prompt"), DefaultOption(TOption::NegPrompt));
    bvl1 = MakeBevel(pnl7, "bvl1");
    bvl2 = MakeBevel(pnl7, "bvl2");
    chk6 = MakeCheck(pnl7, "chk6", tr("Разрешить удалять"), DefaultOption(TOption::AllowWipe));
    chk7 = MakeCheck(pnl7, "chk7", tr("Обработка папки", "check box permitting the folder run"),
                     DefaultOption(TOption::Folder));
    chk8 = MakeCheck(pnl7, "chk8", tr("Подтверждать"), DefaultOption(TOption::Confirm));
    chk6->setEnabled(false);
    chk7->setEnabled(false);
    chk8->setEnabled(false);
    btn9 = MakeButton(pnl7, "btn9", tr("Удалить из файла"), 150);
    btn10 = MakeButton(pnl7, "btn10", tr("Обработка папки", "button starting the folder run"), 150);
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
    chk1 = MakeCheck(pnl6, "chk1", tr("Растягивать"), DefaultOption(TOption::Stretch),
                     tr("Растягивать картинку в размеры окна отображения"));
    btn11 = MakeButton(pnl6, "btn11", QStringLiteral("^"), 33, tr("Скрыть доп панель"));
    chk10 = MakeCheck(pnl6, "chk10", tr("Истиный Prompt"), DefaultOption(TOption::TruePrompt),
                      tr("Сторонняя информация, записанная в Prompt, не будет отображаться в "
                         "нижнем поле ввода"));
    chk2 = MakeCheck(pnl6, "chk2", tr("Tarvo Data"), DefaultOption(TOption::TarvoData),
                     tr("Игнорировать при листании файлы WebP, и так же слишком большие и слишком "
                        "маленькие файлы"));
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
    // Keys act wherever the focus is in the window, but the text fields take the plain arrow
    // and page keys first (eventFilter), to move the caret and scroll.
    const std::pair<QKeySequence, TKey> keys[] = {
        {QKeySequence(Qt::Key_Left), TKey::Left},
        {QKeySequence(Qt::Key_Right), TKey::Right},
        {QKeySequence(Qt::Key_PageUp), TKey::PageUp},
        {QKeySequence(Qt::Key_PageDown), TKey::PageDown},
        {QKeySequence(Qt::ALT | Qt::Key_Left), TKey::AltLeft},
        {QKeySequence(Qt::ALT | Qt::Key_Right), TKey::AltRight},
        {QKeySequence(Qt::CTRL | Qt::Key_O), TKey::CtrlO},
        {QKeySequence(Qt::Key_F5), TKey::F5}};
    for (const auto& [sequence, key] : keys) {
        auto* shortcut = new QShortcut(sequence, this);
        connect(shortcut, &QShortcut::activated, this, [this, key = key] { KeyPressed(key); });
    }
    for (QWidget* field : std::initializer_list<QWidget*>{edt1, edt2, edt3, mmo1})
        field->installEventFilter(this);
    // The model reads the fields as they are now, typed or set; setting a field to the
    // model's own text tells it nothing new.
    const auto edited = [this](QLineEdit* edit, void (TViewerModel::*sink)(const std::string&)) {
        connect(edit, &QLineEdit::textChanged, this, [this, sink](const QString& text) {
            Call([&](TViewerModel& m) { (m.*sink)(FromQt(text)); });
        });
    };
    edited(edt1, &TViewerModel::PathEdited);
    edited(edt2, &TViewerModel::PromptEdited);
    edited(edt3, &TViewerModel::NegativeEdited);
#ifndef QT_NO_SESSIONMANAGER
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { WMEndSession(); });
#endif
}

} // namespace tarvo
