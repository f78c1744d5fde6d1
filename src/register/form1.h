// The register window: sales entry at the counter, saving, recalling, correcting and deleting slips.
#pragma once

#include "register/slipentry.h"

#include <QList>
#include <QWidget>

class Grid;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class TabStrip;

class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Window load: runs at creation and again when restored data files change what it shows.
    void load();

    void dataclear();
    void listload();
    void listget();
    void listopen();
    void datwrite();
    bool datread(qint64 n);
    // The deletion mark of stored slip n; -1 when it cannot be read (the user has been told).
    int delcheck(qint64 n);
    void sdatwrite(qint64 n);

    bool correctionMode() const { return m_correctionMode; }
    const StockRestoreTable& stockRestore() const { return m_stockRestore; }
    // Slip number of each data row of the slip list; entry 0 is unused.
    const QList<qint64>& gridSlipNos() const { return m_gridSlipNos; }
    bool slipSelected() const { return m_slipSelected; }
    qint64 selectedSlipNo() const { return m_selectedSlipNo; }
    bool recallPanelOpen() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void buildRecallPanel();
    void buildCommands();

    bool codeKey(int k, QKeyEvent* event);
    bool quantityKey(int k, QKeyEvent* event);
    bool fkeyon(QKeyEvent* event);
    bool keyfun(QKeyEvent* event);
    bool productListKey(QKeyEvent* event);
    bool windowKey(QKeyEvent* event);

    void codeChanged(int k);
    void quantityChanged(int k);
    void lookUpProduct(int k);
    void completeLine(int k);
    void backToLine1();
    void selectListEntries(int row);
    void setLineHighlight(int k, bool on);
    void showTaxDisplay();
    void tick();
    EntryTexts entryTexts() const;

    void collapseRecallPanel();
    void openRecallPanel();
    void gridClicked(int row);
    void gridKey(QKeyEvent* event);
    void closeRecall();
    void correctSlip();
    void deleteSlip();
    // Checks shared by correction and deletion; true when the chosen slip may be recalled.
    bool chosenSlipUsable();

    void openGraphs();
    void openProductSettings();
    void openPurchasing();
    void openPurchaseItems();
    void openSuppliers();
    void openReports();
    void openDataManagement();
    void openSystemSettings();
    void openDataInitialisation();
    void openHelp();

public:
    // Controls under their designed names; element 0 of each line array is its column header.
    QGroupBox* Frame1 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLineEdit* Text7[SlipLineCount + 1] = {};
    QLineEdit* Text8[SlipLineCount + 1] = {};
    QLineEdit* Text14[SlipLineCount + 1] = {};
    QLineEdit* Text9[SlipLineCount + 1] = {};
    QLineEdit* Text10[SlipLineCount + 1] = {};
    QLineEdit* Text11[SlipLineCount + 1] = {};
    QGroupBox* Frame4 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* Text13 = nullptr;
    QWidget* Picture1 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* Text17 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLineEdit* Text5 = nullptr;
    QLineEdit* Text6 = nullptr;
    QLineEdit* Text12 = nullptr;
    QGroupBox* Frame5 = nullptr;
    QLineEdit* Text15 = nullptr;
    TabStrip* SSTab1 = nullptr;
    QListWidget* List[5] = {}; // List1 to List4
    QWidget* Frame7 = nullptr; // the recall panel
    Grid* MSFlexGrid1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QPushButton* Command19 = nullptr;
    QPushButton* Command20 = nullptr;
    QPushButton* Command21 = nullptr;
    QPushButton* Command[22] = {}; // Command1 to Command21
    QTimer* Timer1 = nullptr;

private:
    QString m_helpFile;
    bool m_slipSelected = false;
    qint64 m_selectedSlipNo = 0;
    QList<qint64> m_gridSlipNos;
    StockRestoreTable m_stockRestore{};
    bool m_correctionMode = false;
    // Set when the user left for another window of the program; coming back starts again at line 1.
    bool m_focusOnActivate = true;
};

// Creates and shows the register window (again, after a window that changes its settings closes).
Form1* showRegisterWindow();
// The register window now shown, or null.
Form1* registerWindow();
