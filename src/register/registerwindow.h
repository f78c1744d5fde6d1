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

    void clearEntry();
    // After the data files were emptied: the lines' tab order, the first product tab and an empty entry.
    void startOver();
    // Slips changed elsewhere: when they were reset (nothing stored since, the counter back at 1) the entry and
    // any correction on screen stand for nothing, so the entry starts over.
    void slipsChanged();
    void loadProductLists();
    void refreshSlipList();
    void openSlipList();
    void saveEntry();
    bool recallSlip(qint64 n);
    // The deletion mark of stored slip n; -1 when it cannot be read (the user has been told).
    int slipDeletionMark(qint64 n);
    void deleteStoredSlip(qint64 n);

    // What the register holds besides its boxes: the correction under way and the slip list's choice.
    const RegisterState& state() const { return m_state; }
    // True while the slip recall panel covers the entry.
    bool recallPanelOpen() const;

    // The keys of the weather field and the product list strip, and of the window itself; true when the
    // key was one of them.
    bool handleListStripKey(QKeyEvent* event);
    bool handleWindowKey(QKeyEvent* event);

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
    KeyTable listStripKeys();
    KeyTable ownKeys();
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
    void showTotal(double total);
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

    // The controls; element 0 of each line array is its column header.
    QGroupBox* dateFrame = nullptr;
    QLabel* dateLabel = nullptr;
    QLineEdit* dateBox = nullptr;
    QLineEdit* timeBox = nullptr;
    QGroupBox* linesFrame = nullptr;
    QLineEdit* lineNumberBoxes[SlipLineCount + 1] = {};
    QLineEdit* lineCodeBoxes[SlipLineCount + 1] = {};
    QLineEdit* lineNameBoxes[SlipLineCount + 1] = {};
    QLineEdit* linePriceBoxes[SlipLineCount + 1] = {};
    QLineEdit* lineQuantityBoxes[SlipLineCount + 1] = {};
    QLineEdit* lineAmountBoxes[SlipLineCount + 1] = {}; // the slip lines' own boxes, by column
    QLabel* lineMarks[SlipLineCount + 1] = {};          // "※" on a line sold at the reduced rate; 0 unused
    QGroupBox* slipNoFrame = nullptr;
    QLabel* slipNoLabel = nullptr;
    QLineEdit* slipNoBox = nullptr;
    QWidget* totalPanel = nullptr;
    QLineEdit* totalBox = nullptr;
    QLabel* containedTaxLabel = nullptr;
    QLineEdit* containedTaxBox = nullptr;
    QLabel* standardRateLabel = nullptr; // standard rate: total and contained tax
    QLabel* reducedRateLabel = nullptr;  // reduced rate: total and contained tax
    QGroupBox* changeFrame = nullptr;
    QLabel* change10000Label = nullptr;
    QLabel* change5000Label = nullptr;
    QLabel* change1000Label = nullptr;
    QLabel* change500Label = nullptr;
    QLineEdit* change10000Box = nullptr;
    QLineEdit* change5000Box = nullptr;
    QLineEdit* change1000Box = nullptr;
    QLineEdit* change500Box = nullptr;
    QGroupBox* weatherFrame = nullptr;
    QLineEdit* weatherBox = nullptr;
    NumberedTabs* productTabs = nullptr;
    QListWidget* productLists[5] = {};    // 1 to 4, one for each tab of the strip; 0 unused
    SlipListPanel* recallPanel = nullptr; // covers the entry while a stored slip is chosen
    Grid* slipGrid = nullptr;
    QComboBox* recallYearBox = nullptr;
    QComboBox* recallMonthBox = nullptr;
    QPushButton* correctButton = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* closeRecallButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* clearButton = nullptr;
    QPushButton* recallButton = nullptr;
    QPushButton* graphsButton = nullptr;
    QPushButton* productSettingsButton = nullptr;
    QPushButton* purchasingButton = nullptr;
    QPushButton* purchaseItemsButton = nullptr;
    QPushButton* suppliersButton = nullptr;
    QPushButton* reportsButton = nullptr;
    QPushButton* dataManagementButton = nullptr;
    QPushButton* systemSettingsButton = nullptr;
    QPushButton* dataInitialisationButton = nullptr;
    QPushButton* helpButton = nullptr;
    QTimer* clockTimer = nullptr;
    QLabel* correctionNotice = nullptr;    // shown while a stored slip is being corrected
    QLabel* reducedMarkNote = nullptr;     // under the lists: what "※" stands for, while a reduced rate is in use
    QCheckBox* receiptCheck = nullptr;     // "レシート"
    QPushButton* reissueButton = nullptr;  // "レシート再発行", in the recall panel
    QGroupBox* paymentFrame = nullptr;     // "支払"
    QLineEdit* paymentMethodBox = nullptr; // the method, F5 steps on
    QLineEdit* tenderedBox = nullptr;      // お預り, cash only
    QLineEdit* changeDueBox = nullptr;     // お釣り from the amount tendered
    QPushButton* cashButton = nullptr;     // "入金・出金"
    QPushButton* closingButton = nullptr;  // "点検・精算"

private:
    SlipLines* m_lines = nullptr;
    QString m_helpFile;
    RegisterState m_state;
    QString m_codeBefore[SlipLineCount + 1]; // each code field's text when the cashier entered it
    PaymentMethod m_payment = PaymentMethod::Cash;
    double m_total = 0;       // the slip total the total box shows grouped
    qint64 m_lastSavedNo = 0; // the new slip saved last in this run
    bool m_changeKept = false;
    KeyTable m_listStripKeys;
    KeyTable m_ownKeys;
    // Set when the user left for another window of the program; coming back starts again at line 1.
    bool m_focusOnActivate = true;
};

// The register's ten lines: number, code, name, unit price, quantity and amount, in twips within linesFrame.
SlipLines::Setup registerSlipLineSetup();

// Creates and shows the register window (again, after a window that changes its settings closes).
RegisterWindow* showRegisterWindow();
// The register window now shown, or null.
RegisterWindow* registerWindow();
