// What every window test needs: finding controls by name, typing and pressing keys where the focus is, data
// fixtures made through the storage functions, and reading fields from the bytes of a record file.
#pragma once

#include "offsets.h"
#include "testutil.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QByteArray>
#include <QColor>
#include <QLineEdit>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QTest>
#include <QWidget>
#include <cstdint>

// ---- the keyboard, as at the counter

// The widget that has the keyboard focus, and its object name.
QWidget* focused();
QString focusedName();
// Typing and keys go wherever the focus is; any text may be typed, Japanese included.
void type(const QString& keys);
// Types into `widget`; Japanese characters come as the input method delivers them.
void typeInto(QWidget* widget, const QString& keys);
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Shows the window, makes it active and waits until it is; false when it never became active.
bool showActive(QWidget* window);
// A new window of type T, shown and active; a warning names one that never became active.
template <typename T> T* openWindow()
{
    auto* window = new T;
    if (!showActive(window))
        qWarning("%s not active", T::staticMetaObject.className());
    return window;
}
// The base colour of a control, which marks the line or field being worked on.
QColor background(const QWidget* control);

// A control of `window` by object name; a missing control fails the calling test with a warning naming it.
template <typename T = QLineEdit> T* control(QWidget* window, const QString& name)
{
    T* found = window->findChild<T*>(name);
    if (!found)
        qWarning("no control %s", qPrintable(name));
    return found;
}
// Clicks a cell of a list or grid as the mouse does, scrolled into view first. Rows and columns are the
// model's: entry p of a list is row p, grid row r (1 ..) is model row r - 1.
void clickCell(QAbstractItemView* view, const QModelIndex& index);
void clickCell(QAbstractItemView* view, int row, int col = 0);
// Moves the focus to the named control and waits until it has it.
bool focusOn(QWidget* window, const QString& name);
// Presses `key` in the named control of `window` and returns the name of the control that then has the focus;
// empty when that control is a field whose text is not wholly selected, as a field reached by a key must be.
QString keyFrom(QWidget* window, const QString& from, Qt::Key key);
// Replaces the whole text of `edit` by typing, as after selecting it; what is not ASCII comes committed by
// the input method.
void retype(QLineEdit* edit, const QString& text);
// Object names of the controls a screen reader could not name: those whose object name matches `names`, or
// without it every named input, button, list and grid (Qt's own inner widgets left out).
QStringList unnamedControls(QWidget* window, const QRegularExpression& names = {});

// ---- data made the way the program makes it

struct Use
{
    int item;
    double qty;
};
// Product n in ProductTable (not written to syohin.dat): name, selling price, set components.
void setProduct(int n, const QString& name, double price, const QList<Use>& uses = {});
// Purchase item `item` written to zaiko.dat with the given stock (and name and standard cost).
bool setStock(int item, double qty, const QString& name = QString(), double cost = 0);
// A sales slip stored as the register stores one: product x qty at price on line 1.
bool storeSlip(qint64 n, const QString& date, int product, int qty, double price, bool deleted = false,
               const QString& weather = QString());

// ---- bytes on disk

// Record n (from 1) of a file image.
QByteArray record(const QByteArray& file, qint64 n, int size);
int16_t i16(const QByteArray& r, int at);
int32_t i32(const QByteArray& r, int at);
double f64(const QByteArray& r, int at);
// A code page 932 text field, decoded, trailing blanks kept.
QString txt(const QByteArray& r, int at, int width);
// StockQty of purchase item `item` as stored in zaiko.dat of the current AppDir.
double storedStock(int item);
