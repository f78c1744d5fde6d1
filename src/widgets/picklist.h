// The shape of a pick list window: a list, or four lists on tabs; choosing an entry fills the boxes of the
// window that opened it and closes the list.
#pragma once

#include "widgets/numberedtabs.h"

#include <QMetaObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>

class QListWidget;
class QPushButton;

// How a window uses it (the supplier and purchase item pick lists):
//     SupplierPicker() : PickList({.name = "SupplierPicker", .caption = "仕入先一覧表", .shape = PickList::OneList,
//     ...}) { entryList->addItems(supplierPickList()); }
// and its opener, each time it opens it:
//     showSingle<SupplierPicker>()->openFor(this, [this](int n) { ReadSupplier(n); fieldBoxes[4]->setText(...); });
// Entry p (from 0) of the one list is number p + 1; on tab t it is 100 t + p + 1. A click or Enter on an
// entry runs the fill with its number, then the list closes itself; "閉じる" closes it without a choice.
// When the opener closes first, the list closes too, so a late choice never writes into a closed window.
class PickList : public QWidget
{
    Q_OBJECT

public:
    enum Shape
    {
        OneList,
        TabbedLists
    };
    struct Setup
    {
        QString name;
        QString caption;
        Shape shape = OneList;
        QSize clientSize; // in pixels (twips())
        QRect lists;      // where the list or the tab strip lies
        // OneList: the list's name; TabbedLists: the four lists' names.
        QStringList listNames = {QStringLiteral("entryList")};
        QString closeName = QStringLiteral("closeButton");
        QRect closeButton;
    };
    using Fill = std::function<void(int n)>;

    explicit PickList(const Setup& setup, QWidget* parent = nullptr);

    // The next choice goes to `opener` through `fill`.
    void openFor(QWidget* opener, Fill fill);
    // Chooses number n: the fill runs (while its opener is open), then the list closes.
    void pick(int n);

    QListWidget* entryList = nullptr; // OneList
    NumberedTabs* tabs = nullptr;     // TabbedLists
    QPushButton* closeButton = nullptr;

private:
    QPointer<QWidget> m_opener;
    Fill m_fill;
    QMetaObject::Connection m_openerGone;
};
