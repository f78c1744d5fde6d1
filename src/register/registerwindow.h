// The register window: sales entry at the counter, saving, recalling, correcting and deleting slips.
#pragma once

#include "register/slipentry.h"
#include "widgets/keytable.h"
#include "widgets/numberedtabs.h"
#include "widgets/sliplines.h"
#include "widgets/sliplistpanel.h"

#include <QList>
#include <QWidget>

class Grid;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

class RegisterWindow : public QWidget
{
    Q_OBJECT

public:
    explicit RegisterWindow(QWidget* parent = nullptr);
    ~RegisterWindow() override;

    // Window load: runs at creation.
    void load();
    // After the settings changed: captions, lists, tax display, slip number and receipt box anew; the sale on
    // screen stays as it was keyed, its tax figures at the rates now in force.
    void reloadSettings();

    void dataclear();
    void listload();
    void listget();
    void listopen();
    void datwrite();
    bool datread(qint64 n);
    // The deletion mark of stored slip n; -1 when it cannot be read (the user has been told).
    int delcheck(qint64 n);
    void sdatwrite(qint64 n);

    // What the register holds besides its boxes: the correction under way and the slip list's choice.
    const RegisterState& state() const { return m_state; }
    // True while the slip recall panel covers the entry.
    bool recallPanelOpen() const;

    // The keys of the weather field and the product list strip, and of the window itself; true when the
    // key was one of them.
    bool fkeyon(QKeyEvent* event);
    bool keyfun(QKeyEvent* event);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void announceSlipChange();
    void buildControls();
    void buildDateAndSlipNo();
    void buildSlipLines();
    void buildTotal();
    void buildChange();
    void buildWeather();
    void buildProductLists();
    void buildCommands();
    void buildRecallPanel();
    void installKeyTables();

    // The window's rows of each key table; the slip lines add their own Enter and movement keys.
    KeyTable lineKeys(SlipLines::Column c, int k);
    KeyTable fkeyonKeys();
    KeyTable keyfunKeys();
    KeyTable windowKeys();

    void codeChanged(int k);
    void showLineMark(int k);
    void quantityChanged(int k);
    void lookUpProduct(int k);
    // Tab out of code field k: a changed code completes the line as Enter does, the focus then takes Tab's way.
    void tabFromCode(int k);
    void showProduct(int k, int n);
    // A scanned product into the line placeScan gives; the focus waits for the next scan.
    void takeScan(int k, int product);
    void awaitScan(int k);
    // A code that finds nothing: the field back as it was, the message, the focus back in it.
    void refuseCode(int k, const QString& problem);
    void rememberCodes();
    void completeLine(int k);
    void showTotals(double total);
    void showTaxFigures();
    // The change boxes for `total`; a return shows the amount to give back instead.
    void showChange(double total);
    void showChangeLabels(bool refund);
    // The change of the sale just saved stays on screen while it is counted out, until the next key.
    void keepChange(const EntryTexts& saved, qint64 slipNo);
    void dropKeptChange();
    void showTaxDisplay();
    void showRateFigures(const SlipRates& rates);
    void tick();
    EntryTexts entryTexts() const;
    void showSlip(qint64 n, const SalesSlipRecord& slip);

    void closeRecall();
    void correctSlip();
    void deleteSlip();
    // Checks shared by correction and deletion; true when the chosen slip may be recalled.
    bool chosenSlipUsable();

    // Receipts: the check box that prints one after every saved sale, and the reissue in the slip list.
    void buildReceiptControls();
    void receiptToggled(bool on);
    void printSaleReceipt(qint64 n, bool corrected);
    void reissueReceipt();

    // How the customer pays: the method key, the amount tendered and the change due, beside the total.
    void buildPayment();
    void setPaymentMethod(PaymentMethod method);
    void showChangeDue();
    void openCashMovements();
    void openClosing();

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

    void buildNotices();
    // The correction notice follows CorrectionMode, the "※" note the reduced rate.
    void showCorrectionMode();
    void showReducedMarkNote();

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
    QLineEdit* Text11[SlipLineCount + 1] = {}; // copies of the slip lines' boxes
    QLabel* LineMark[SlipLineCount + 1] = {};  // "※" on a line sold at the reduced rate; 0 unused
    QGroupBox* Frame4 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* Text13 = nullptr;
    QWidget* Picture1 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* Text17 = nullptr;
    QLabel* Label11 = nullptr; // standard rate: total and contained tax
    QLabel* Label12 = nullptr; // reduced rate: total and contained tax
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
    NumberedTabs* SSTab1 = nullptr;
    QListWidget* List[5] = {};       // List1 to List4, the strip's lists
    SlipListPanel* Frame7 = nullptr; // the recall panel
    Grid* MSFlexGrid1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QPushButton* Command19 = nullptr;
    QPushButton* Command20 = nullptr;
    QPushButton* Command21 = nullptr;
    QPushButton* Command[22] = {}; // Command1 to Command21
    QTimer* Timer1 = nullptr;
    QLabel* LabelCorrection = nullptr;     // shown while a stored slip is being corrected
    QLabel* LabelReducedMark = nullptr;    // under the lists: what "※" stands for, while a reduced rate is in use
    QCheckBox* CheckReceipt = nullptr;     // "レシート"
    QPushButton* CommandReissue = nullptr; // "レシート再発行", in the recall panel
    QGroupBox* FramePay = nullptr;         // "支払"
    QLineEdit* TextPayMethod = nullptr;    // the method, F5 steps on
    QLineEdit* TextTendered = nullptr;     // お預り, cash only
    QLineEdit* TextChangeDue = nullptr;    // お釣り from the amount tendered
    QPushButton* CommandCash = nullptr;    // "入金・出金"
    QPushButton* CommandClosing = nullptr; // "点検・精算"

private:
    SlipLines* m_lines = nullptr;
    QString m_helpFile;
    RegisterState m_state;
    QString m_codeBefore[SlipLineCount + 1]; // each code field's text when the cashier entered it
    PaymentMethod m_payment = PaymentMethod::Cash;
    qint64 m_lastSavedNo = 0; // the new slip saved last in this run
    bool m_changeKept = false;
    KeyTable m_fkeyonKeys;
    KeyTable m_keyfunKeys;
    // Set when the user left for another window of the program; coming back starts again at line 1.
    bool m_focusOnActivate = true;
};

// The register's ten lines: number, code, name, unit price, quantity and amount, in twips within Frame3.
SlipLines::Setup registerSlipLineSetup();

// Creates and shows the register window (again, after a window that changes its settings closes).
RegisterWindow* showRegisterWindow();
// The register window now shown, or null.
RegisterWindow* registerWindow();
