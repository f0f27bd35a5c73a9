// The main window "Tarvo Params Viewer": its controls, options and enabling rules, start-up
// and close, the display of the current picture file, the navigation and wipe commands and
// the pane proportions. Every dialog, beep and clipboard write goes through IDialogs.
#pragma once

#include "platform/Dialogs.h"

#include <QWidget>

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
class TFilesObj;
class TPicture;
class TTarvoData;

// The open-picture dialog's settings; Execute shows it through the window's dialogs.
struct TOpenPictureDialog {
    std::string Filter;
    std::string InitialDir;
    std::string FileName; // the chosen file after Execute answered true
    bool Execute(IDialogs& dialogs);
};

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // dialogs (not owned) must outlive the window.
    explicit TForm1(IDialogs& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls, owned by their Qt parents; each has its member's name as objectName.
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
    QFrame* pnl2;
    QFrame* pnl8;
    QPlainTextEdit* mmo1;
    QFrame* spl1;
    QLabel* pnl1; // the picture pane; its text is the centred caption
    TDXPaintBox* dxpntbx1;
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
    TOpenPictureDialog dlgOpenPic1;

    // Owned for the window's life: created by InitForm, freed by FormClose (null outside).
    std::unique_ptr<TTarvoData> CurData; // the displayed file
    std::unique_ptr<TTarvoData> DelData; // used only by the wipe commands
    std::unique_ptr<TFilesObj> FilesObj; // the folder list [<] and [>] walk
    std::unique_ptr<std::vector<std::string>> DropList;

    // The paint box holds a picture of the current file; while false lbl1 is empty.
    bool PicShown = false;
    // Text pane width / picture pane width, and the value [В] returns to.
    double WinsRatio = 1.0;
    double SavedRatio = 1.0;

    // Start-up and close.
    void FormCreate();
    void InitForm();
    void FormClose();
    // The session is ending: close exactly as the user would.
    void WMEndSession();

    // Options and enabling rules.
    void SetWipeButtons();
    void chk3Click(QObject* Sender); // chk3, chk4, chk5, chk6, chk7, chk9
    void chk8Click(QObject* Sender);
    void chk2Click(QObject* Sender);
    void setParVars();
    void btn6Click(QObject* Sender);
    void btn7Click(QObject* Sender);
    void btn11Click(QObject* Sender);
    void btn3Click(QObject* Sender);

    // Display of the current file.
    void ShowFileData(bool keepPrompts);
    void LoadFile(const std::string& path);
    void ResetPicture();
    void ClearPicture();
    bool IsPicFile(const std::string& path) const;
    void chk10Click(QObject* Sender);
    void chk1Click(QObject* Sender);

    // Navigation.
    void ClearFile();
    void SetDirSp(const std::string& folder);
    void SetFileSp(const std::string& path);
    // backward: [<]; forward: [>].
    void NextFile(bool backward);
    void btn2Click(QObject* Sender);
    void btn4Click(QObject* Sender);
    void btn5Click(QObject* Sender);
    void btn12Click(QObject* Sender);
    void btn8Click(QObject* Sender);
    void btn1Click(QObject* Sender);
    // Key is the typed character; only Enter (13) is acted on.
    void edt1KeyPress(QObject* Sender, char& Key);
    // Full paths of the dropped items in the order the desktop reported them.
    void WMDropFiles(const std::vector<std::string>& paths);

    // Wipe commands.
    void btn9Click(QObject* Sender);
    void btn10Click(QObject* Sender);

    // Pane proportions.
    void SetWins();
    void FormResize(QObject* Sender);
    void spl1Moved(QObject* Sender);
    void pnl2Resize(QObject* Sender);
    void btn13Click(QObject* Sender);
    void btn14Click(QObject* Sender);
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
    void CreateControls();
    void CreatePathBar();
    void CreateCentre();
    void CreatePromptBar();
    void CreateOptionsBar();
    void ConnectHandlers();
    // Places the four stacked panels: path bar on top, options and prompt bars at the
    // bottom (prompt bar directly above the options bar), the central area between.
    void AlignPanels();
    // Places the text pane, splitter and picture pane inside the central area.
    void ArrangeCentre();
    // Splitter dragging; answers whether the event was used.
    bool SplitterMouse(QEvent* event);
    // The file is displayed with a picture: ResetPicture, copy, paint, size label.
    bool ShowPicture(TPicture&& picture, int width, int height);
    // The owned objects exist (between InitForm and FormClose).
    bool Alive() const;

    IDialogs& FDialogs;
    bool FDragging = false;
    int FDragStartX = 0;
    int FDragStartWidth = 0;
    bool FDragMoved = false;
};

} // namespace tarvo
