// The cash in and out window "入金・出金": money put into or taken from the drawer outside a sale, listed per
// day, deleted by a mark.
#pragma once

#include "platform/gridtable.h"
#include "storage/seisan.h"

#include <QWidget>

class Grid;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The grid contents of one day's cash in and out, built without widgets.
GridTable cashMovementsTable(const QList<SeisanRecord>& movements);

// Why a typed amount cannot be stored (empty when it can): whole yen from 1 to 99,999,999.
QString cashAmountProblem(const QString& text);

class CashWindow : public QWidget
{
    Q_OBJECT

public:
    explicit CashWindow(QWidget* parent = nullptr);

    void showDay();
    void save();
    void deleteChosen();

    QLineEdit* TextDay = nullptr;
    QPushButton* CommandShow = nullptr;
    QRadioButton* OptionIn = nullptr;
    QRadioButton* OptionOut = nullptr;
    QLineEdit* TextAmount = nullptr;
    QLineEdit* TextReason = nullptr;
    QPushButton* CommandSave = nullptr;
    Grid* GridMoves = nullptr;
    QPushButton* CommandDelete = nullptr;
    QPushButton* CommandExit = nullptr;

private:
    bool dayValid(QString& day);
    // The amount typed can be stored; otherwise the cashier is told why and the box is selected for retyping.
    bool amountAccepted();
    QList<SeisanRecord> m_shown;
};
