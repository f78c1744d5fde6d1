// The month's slip list laid over a slip window: the slips of one year and month in a grid, the year and
// month boxes that list another month, the keys that choose a slip and the commands on the chosen one.
#pragma once

#include "storage/result.h"
#include "storage/sliplist.h"
#include "widgets/keytable.h"
#include "widgets/slipchoice.h"

#include <QGroupBox>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>

class Grid;
class QComboBox;
class QPushButton;

// How a window uses it (the register's recall panel, the purchase slip list):
//     recallPanel = new SlipListPanel(setup, m_state, this);   // names, places in twips, years, the slip file
//     recallPanel->setGridKeys({{Qt::Key_Escape, [this] { closeRecall(); }}});
//     connect(recallPanel->correctButton, &QPushButton::clicked, this, &RegisterWindow::correctSlip);
// rebuild() lists the slips that setup.list finds for the year and month typed in the boxes and opens the
// panel; choosing an entry of either box's open list, or Enter in either box, rebuilds it. A click on a
// data row, or Enter or Space on the current row, chooses that row's slip in the window's SlipChoice. The
// window's grid keys are tried before Enter and Space. The panel lies collapsed to no size and hidden, so
// its controls are out of the tab chain, until it is opened.
class SlipListPanel : public QGroupBox
{
    Q_OBJECT

public:
    // A control's object name, accessible name and place within its parent.
    struct Control
    {
        QString name;
        QString accessible;
        QRect twips;
    };
    // "修正", "削除" and "閉じる" in a row, 200 twips apart: their object names and the first one's place.
    struct Commands
    {
        QStringList names;
        QRect twips;
    };
    struct Setup
    {
        Control panel; // placed where it lies when open
        Control grid;
        QList<int> widths; // of the five columns, and of the sixth with `paymentColumn`, in twips
        Control year;      // the caption "年" or "月" stands just left of its box
        Control month;
        int lastYear = 0; // the year box lists 2005 .. lastYear
        Commands commands;
        // The slips 1 .. lastSlip() of a year and month, by the numeric values of the boxes' texts.
        std::function<Result(double year, double month, qint64 last, QList<SlipListRow>& rows)> list;
        std::function<qint64()> lastSlip;
        // Each listing chooses its last slip and scrolls to it, so the latest sale is one key away; an empty
        // month chooses nothing.
        bool openOnLatest = false;
        // A sixth column "支払" says how each slip was paid (sales slips only).
        bool paymentColumn = false;
    };

    SlipListPanel(const Setup& setup, SlipChoice& choice, QWidget* parent);

    // Lists the slips of the boxes' year and month and opens the panel. It stays up while it is rebuilt, so
    // the box just used keeps the focus; a file that cannot be read is told after what was read is shown.
    void rebuild();
    bool isOpen() const;
    void collapse();
    // Fills both boxes' lists afresh and shows this year and month in them.
    void showThisMonth();
    // The check "修正" and "削除" make before they recall the chosen slip: one is chosen, else
    // "伝票を選択してください。", and its deletion mark is 0, else "伝票は削除されています。". The mark is -1
    // when the slip could not be read, and `deletedMark` has told the user.
    bool chosenSlipUsable(const std::function<int(qint64 n)>& deletedMark) const;
    // The window's own keys in the grid (tried before Enter and Space), and in the year and month boxes.
    void setGridKeys(KeyTable keys);
    void setBoxKeys(const KeyTable& keys);

    Grid* grid = nullptr;
    QComboBox* yearBox = nullptr;
    QComboBox* monthBox = nullptr;
    QPushButton* correctButton = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* closeButton = nullptr;

private:
    void open();

    Setup m_setup;
    SlipChoice& m_choice;
    KeyTable m_gridKeys;
};
