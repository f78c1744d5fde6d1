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

// The grid contents of one day's cash in and out, built without widgets, and after them (when there are any) a
// total row: the net of the entries not deleted, with the cash in and the cash out beside it.
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

private:
    QLineEdit* dayBox = nullptr;
    QPushButton* showButton = nullptr;
    QRadioButton* cashInOption = nullptr;
    QRadioButton* cashOutOption = nullptr;
    QLineEdit* amountBox = nullptr;
    QLineEdit* reasonBox = nullptr;
    QPushButton* saveButton = nullptr;
    Grid* movementsGrid = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* exitButton = nullptr;

    bool dayValid(QString& day);
    // The amount typed can be stored; otherwise the cashier is told why and the box is selected for retyping.
    bool amountAccepted();
    QList<SeisanRecord> m_shown;
};
