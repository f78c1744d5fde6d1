// The report window "日報": the day's or month's sales or purchase slips, or their sums per product or item.
#pragma once

#include <QWidget>

class Grid;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

class ReportWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ReportWindow(QWidget* parent = nullptr);
    ~ReportWindow() override;

    // Builds report `kind` (1 to 4) into the grid; any other kind builds nothing.
    void g1write(int kind);
    void hyowrite1();
    void hyowrite2();
    void hyowrite3();
    void hyowrite4();

    int reportKind() const { return m_reportKind; }

    QGroupBox* Frame2 = nullptr;
    Grid* MSFlexGrid1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QComboBox* Combo3 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QGroupBox* Frame5 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* CommandPrint = nullptr;   // "印刷"
    QPushButton* CommandCsv = nullptr;     // "CSV出力"
    QPushButton* CommandHistory = nullptr; // "訂正・削除履歴"

    // The report now shown: its name, its period as printed, and the period in a file name ("2026-12").
    QString shownTitle() const { return m_shownTitle; }
    QString shownPeriod() const { return m_shownPeriod; }
    QString shownPeriodTag() const { return m_shownPeriodTag; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void build(int kind);
    void rebuild() { g1write(m_reportKind); }
    // Reads the period from the boxes, builds, and shows the rows or the reason there are none.
    void showReport(int kind);

    // The report on paper and as a CSV file.
    void buildOutputButtons();
    void printReport();
    void exportCsv();
    QString fileStem() const;

    int m_reportKind = 1;
    QString m_shownTitle;
    QString m_shownPeriod;
    QString m_shownPeriodTag;
    bool m_closing = false;
};
