// The main window "Tarvo Params Viewer": its controls, laid out as designed, and its
// handlers, each of which forwards the event to the viewer model and renders the state the
// model keeps. The window decides nothing itself.
#pragma once

#include "app/ViewerModel.h"

#include <QApplication>
#include <QWidget>

#include <exception>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tarvo {

class TDXPaintBox;

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // dialogs (not owned) must outlive the window.
    explicit TForm1(IDialogs& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls, owned by their Qt parents; each has its member's name as objectName.
    // Path bar (pnl5): "Путь:" lbl2, the path field edt1, [Задать] btn8 (folder dialog),
    // [Открыть файл] btn1; "Имя файла:" lbl3 with the name and size lbl5; "Tarvo Data:" lbl4,
    // the counter lbl8 ("3/12") and the picture size lbl1.
    QFrame* pnl5;
    QLabel* lbl2;
    QLineEdit* edt1;
    QPushButton* btn8;
    QPushButton* btn1;
    QLabel* lbl3;
    QLabel* lbl5;
    QLabel* lbl4;
    QLabel* lbl8;
    QLabel* lbl1;
    // Centre (pnl2): the text pane pnl8 with the parameter text mmo1, the splitter spl1, the
    // picture pane pnl1 (its text is the centred caption) with the paint box dxpntbx1.
    QFrame* pnl2;
    QFrame* pnl8;
    QPlainTextEdit* mmo1;
    QFrame* spl1;
    QLabel* pnl1;
    TDXPaintBox* dxpntbx1;
    // Prompt bar (pnl3): "Prompt" lbl6 with edt2 and its [Copy] btn6, "Negative" lbl7 with
    // edt3 and its [Copy] btn7, [<] btn4, [>] btn5, [Очистить] btn2, [1/5] btn13, [В] btn14
    // (restores the proportion), [O] btn12 (refreshes the list), [V] btn3 (shows pnl4).
    QFrame* pnl3;
    QLabel* lbl6;
    QLineEdit* edt2;
    QPushButton* btn6;
    QLabel* lbl7;
    QLineEdit* edt3;
    QPushButton* btn7;
    QPushButton* btn4;
    QPushButton* btn5;
    QPushButton* btn2;
    QPushButton* btn13;
    QPushButton* btn14;
    QPushButton* btn12;
    QPushButton* btn3;
    // Options bar (pnl4). Wipe group pnl7: the keys JobId chk3, Seed chk9, Prompt chk4,
    // Neg Prompt chk5; the permits "Разрешить удалять" chk6, "Обработка папки" chk7,
    // "Подтверждать" chk8; [Удалить из файла] btn9 and [Обработка папки] btn10, with the
    // bevels bvl1 and bvl2 between. View group pnl6: "Растягивать" chk1, [^] btn11 (hides
    // pnl4), "Истиный Prompt" chk10, "Tarvo Data" chk2.
    QFrame* pnl4;
    QFrame* pnl7;
    QCheckBox* chk3;
    QCheckBox* chk9;
    QCheckBox* chk4;
    QCheckBox* chk5;
    QFrame* bvl1;
    QFrame* bvl2;
    QCheckBox* chk6;
    QCheckBox* chk7;
    QCheckBox* chk8;
    QPushButton* btn9;
    QPushButton* btn10;
    QFrame* pnl6;
    QCheckBox* chk1;
    QPushButton* btn11;
    QCheckBox* chk10;
    QCheckBox* chk2;

    // The window's decisions: created by InitForm, freed by FormClose (null outside, when
    // every handler does nothing).
    std::unique_ptr<TViewerModel> Model;

    // Start-up and close. A close asked for while a command runs is refused and made as
    // soon as the outermost command returns.
    void FormCreate();
    void InitForm();
    void FormClose();
    // The session is ending: close exactly as the user would.
    void WMEndSession();

    // Handlers. A check box's handler serves the boxes named after it.
    void chk3Click(QObject* Sender); // chk3, chk4, chk5, chk6, chk7, chk9
    void chk8Click(QObject* Sender);
    void chk2Click(QObject* Sender);
    void chk10Click(QObject* Sender);
    void chk1Click(QObject* Sender);
    void btn1Click(QObject* Sender);
    void btn2Click(QObject* Sender);
    void btn3Click(QObject* Sender);
    void btn4Click(QObject* Sender);
    void btn5Click(QObject* Sender);
    void btn6Click(QObject* Sender);
    void btn7Click(QObject* Sender);
    void btn8Click(QObject* Sender);
    void btn9Click(QObject* Sender);
    void btn10Click(QObject* Sender);
    void btn11Click(QObject* Sender);
    void btn12Click(QObject* Sender);
    void btn13Click(QObject* Sender);
    void btn14Click(QObject* Sender);
    // Key is the typed character; only Enter (13) is acted on.
    void edt1KeyPress(QObject* Sender, char& Key);
    // Full paths of the dropped items in the order the desktop reported them.
    void WMDropFiles(const std::vector<std::string>& paths);
    void FormResize(QObject* Sender);
    void spl1Moved(QObject* Sender);
    void pnl2Resize(QObject* Sender);

    // A key the window listens for. The path field, the prompt fields and the text pane keep
    // the plain arrow and page keys; the others act wherever the focus is.
    void KeyPressed(TKey key);
    // The program's arguments, as if the paths among them were dropped on the window.
    void OpenArguments(const std::vector<std::string>& arguments);

    // The model's commands that tests and the start-up drive directly, rendered.
    void SetDirSp(const std::string& folder);
    void SetFileSp(const std::string& path);
    void LoadFile(const std::string& path);
    void NextFile(bool backward);

    // Lays the panes out for the model's ratio.
    void SetWins();
    // Qt scales the window for the screen density; what remains is the start-up
    // arrangement of the bottom bar: [<] [>] start under the picture pane.
    void NormalizeScale();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A field's own key: a plain arrow or page key in edt1, edt2, edt3 or mmo1, which the
    // field takes before the window's shortcuts see it.
    bool KeepsKey(const QObject* field, const QEvent* event) const;

    // Calls call on the model when there is one. Calls nest when a dialog's event loop
    // delivers another event; a close asked for meanwhile is made after the outermost.
    // The one place where a window command enters the model: a command that fails (memory
    // ran out) is abandoned with a beep, and the window goes on, as Qt's event loop cannot
    // let an exception pass.
    template <typename TCall> void Call(TCall call) {
        if (!Model) return;
        ++FCommandDepth;
        try {
            call(*Model);
        } catch (const std::exception&) {
            QApplication::beep();
        }
        if (--FCommandDepth == 0 && FCloseDeferred) CloseDeferred();
    }
    // Runs command on the model when there is one, then renders its state.
    template <typename TCommand> void Forward(TCommand command) {
        Call([&](TViewerModel& m) {
            command(m);
            Render();
        });
    }
    // Makes the close refused while calls into the model were under way.
    void CloseDeferred();
    // Sets every control from the model's state; editable fields only when their text
    // changed in the model.
    void Render();

    // Widget construction (MainWindowBuild.cpp).
    void CreateControls();
    void CreatePathBar();
    void CreateCentre();
    void CreatePromptBar();
    void CreateOptionsBar();
    void ConnectHandlers();
    // Geometry (MainWindowPanes.cpp). Places the four stacked panels: path bar on top, options
    // and prompt bars at the bottom (prompt bar directly above the options bar), the
    // central area between.
    void AlignPanels();
    // Places the text pane, splitter and picture pane inside the central area.
    void ArrangeCentre();
    // Splitter dragging; answers whether the event was used.
    bool SplitterMouse(QEvent* event);

    IDialogs& FDialogs;
    // The revisions of the model's editable texts and ratio last rendered.
    int FPathRevision = -1;
    int FPromptsRevision = -1;
    int FMemoRevision = -1;
    int FPictureRevision = 0; // the paint box starts empty, as the model's picture does
    int FRatioRevision = 0;   // the panes as built gave the model its first ratio
    bool FDragging = false;
    int FDragStartX = 0;
    int FDragStartWidth = 0;
    bool FDragMoved = false;
    int FCommandDepth = 0;       // calls into the model under way
    bool FCloseDeferred = false; // a close was refused while they ran
};

} // namespace tarvo
