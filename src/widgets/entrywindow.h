// The shape of a master entry window: numbered grids on tabs at the left, the chosen entry's boxes at the
// right, "登録" to save them and "閉じる" to close.
#pragma once

#include "storage/result.h"
#include "widgets/numberedtabs.h"

#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>

class QCloseEvent;
class QLabel;
class QPushButton;

// Closing a window that shows entry `n` with edits not saved: asks はい (save, then close), いいえ (close without
// saving) or キャンセル (stay). True when the window may close; a save that fails keeps it open.
bool mayCloseEdited(QWidget* window, int n, bool edited, const std::function<bool()>& save);

// How a window uses it (the product and purchase item windows):
//     class PurchaseItemWindow : public EntryWindow {
//         PurchaseItemWindow() : EntryWindow(setup()) { build boxes; setFirstBox(fieldBoxes[0]); load(); }
//         void loadEntry(int n) override;          // the number box := n, the boxes from the record
//         Result saveEntry(int n) override;         // the boxes into the record and its file
//         QStringList gridRow(int n) override;      // the grid columns after the number
//     };
// A click on row r of grid t (or Enter on it) chooses n = 100 t + r: loadEntry(n), focus to the first box.
// "登録" with nothing chosen says "表から番号を選択してください。"; a failed save shows its message; a
// saved entry's grid row is refreshed from gridRow(n) and the status line says it was saved. Closing with edits
// that hasUnsavedEdits() reports asks whether to save them first. On activation, and when the tab strip takes the
// focus, the focus goes to the first box. F1 to F4 for the boxes come from tabs->tabKeys().
class EntryWindow : public QWidget
{
    Q_OBJECT

public:
    struct Setup
    {
        QString name;     // object name, "ProductWindow"
        QString caption;  // window title, "商品設定"
        QSize clientSize; // in pixels (twips())
        QRect tabs;       // where the tab strip lies
        QStringList gridNames = {QStringLiteral("entryGrid_0"), QStringLiteral("entryGrid_1"),
                                 QStringLiteral("entryGrid_2"), QStringLiteral("entryGrid_3")};
        QStringList gridHeaders; // row 0, from column 0
        QList<int> gridWidths;   // twips per column; 0 keeps the default
        QString registerName = QStringLiteral("registerButton");
        QRect registerButton;
        QString closeName = QStringLiteral("closeButton");
        QRect closeButton;
        QRect statusLine = {};  // where "登録" says what it saved
        QString savedText = {}; // that text, %1 the number: "商品 %1 を登録しました。"
    };

    explicit EntryWindow(const Setup& setup, QWidget* parent = nullptr);

    // Shows entry 100 * tab + row (tab 0 to 3, row 1 to 100) in the boxes.
    void chooseRow(int tab, int row);
    // The entry shown in the boxes, 0 before one was chosen.
    int chosen() const { return m_chosen; }
    // What "登録" does; false when nothing was saved.
    bool registerEntry();

    NumberedTabs* tabs = nullptr;
    QPushButton* registerButton = nullptr; // "登録"
    QPushButton* closeButton = nullptr;    // "閉じる"
    QLabel* statusLine = nullptr;          // what the last "登録" saved

protected:
    virtual void loadEntry(int n) = 0;
    virtual Result saveEntry(int n) = 0;
    virtual QStringList gridRow(int n) = 0;
    // True when the boxes hold something the file does not, typed since the entry was shown or saved.
    virtual bool hasUnsavedEdits() const { return false; }
    // Fills every grid row; a window whose file can be read in one pass replaces it.
    virtual void fillGrids();

    // Call at the end of the subclass's constructor: captions, tab 1, the grids filled.
    void load();
    void setFirstBox(QWidget* box);

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void choose(int n);

    QWidget* m_firstBox = nullptr;
    int m_chosen = 0;
    QString m_savedText;
};
