// Shared helpers of the window tests.
#include "guitest.h"

#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/salesslip.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QInputMethodEvent>

QWidget* focused()
{
    return QApplication::focusWidget();
}

QString focusedName()
{
    return focused() ? focused()->objectName() : QString();
}

void type(const QString& keys)
{
    typeInto(focused(), keys);
}

void typeInto(QWidget* widget, const QString& keys)
{
    // Japanese text arrives as the input method commits it: key events carrying the characters, one at a
    // time (a surrogate pair as one).
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QChar c = keys[i];
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, c.toLatin1());
            continue;
        }
        const qsizetype n = c.isHighSurrogate() && i + 1 < keys.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, keys.mid(i, n), Qt::NoModifier);
        i += n - 1;
    }
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(focused(), key, modifiers);
}

QColor background(const QWidget* control)
{
    return control->palette().color(QPalette::Base);
}

bool showActive(QWidget* window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void clickCell(QAbstractItemView* view, const QModelIndex& index)
{
    view->setCurrentIndex(index);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

void clickCell(QAbstractItemView* view, int row, int col)
{
    clickCell(view, view->model()->index(row, col));
}

bool focusOn(QWidget* window, const QString& name)
{
    auto* w = control<QWidget>(window, name);
    if (!w)
        return false;
    w->setFocus();
    return QTest::qWaitFor([&] { return focusedName() == name; });
}

QString keyFrom(QWidget* window, const QString& from, Qt::Key key)
{
    if (!focusOn(window, from))
        return QString();
    press(key);
    auto* edit = qobject_cast<QLineEdit*>(focused());
    return edit && edit->selectedText() != edit->text() ? QString() : focusedName();
}

void retype(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    // Everything but plain ASCII is committed by the input method, so a line break or a character outside
    // code page 932 reaches the field's own checks as a pasted or converted text would.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() >= 0x20 && c.unicode() < 0x80) {
            QTest::keyClick(edit, c.toLatin1());
            continue;
        }
        const qsizetype n = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QInputMethodEvent commit;
        commit.setCommitString(text.mid(i, n));
        QApplication::sendEvent(edit, &commit);
        i += n - 1;
    }
}

QStringList unnamedControls(QWidget* window, const QRegularExpression& names)
{
    QStringList unnamed;
    for (QWidget* c : window->findChildren<QWidget*>()) {
        const QString name = c->objectName();
        const bool checked = names.pattern().isEmpty()
                                 ? (qobject_cast<QLineEdit*>(c) || qobject_cast<QAbstractButton*>(c) ||
                                    qobject_cast<QComboBox*>(c) || qobject_cast<QAbstractItemView*>(c)) &&
                                       !name.isEmpty() && !name.startsWith(u"qt_")
                                 : names.match(name).hasMatch();
        if (checked && c->accessibleName().isEmpty())
            unnamed += name;
    }
    return unnamed;
}

void setProduct(int n, const QString& name, double price, const QList<Use>& uses)
{
    ClearProduct(n);
    ProductTable[n].ProductName = name.leftJustified(30, u' ');
    ProductTable[n].SalePrice = price;
    int j = 1;
    for (const Use& u : uses) {
        ProductTable[n].Slot[j].ComponentItemNo = int16_t(u.item);
        ProductTable[n].Slot[j].ComponentQty = u.qty;
        ++j;
    }
}

bool setStock(int item, double qty, const QString& name, double cost)
{
    PurchaseItem stock;
    stock.Name = name.isEmpty() ? QStringLiteral("部品%1").arg(item) : name;
    stock.StockQty = qty;
    stock.StandardCost = cost;
    return bool(WritePurchaseItem(item, stock));
}

bool storeSlip(qint64 n, const QString& date, int product, int qty, double price, bool deleted, const QString& weather)
{
    SalesSlipRecord slip = product ? saleSlip(n, date, {{product, qty, price}}) : saleSlip(n, date);
    slip.Weather = weather;
    slip.Subtotal = slip.Total = price * qty;
    slip.Deleted = deleted ? 1 : 0;
    return storeSalesSlip(n, slip);
}

QByteArray record(const QByteArray& file, qint64 n, int size)
{
    return file.mid((n - 1) * size, size);
}

int16_t i16(const QByteArray& r, int at)
{
    return getInt16(r.constData() + at);
}

int32_t i32(const QByteArray& r, int at)
{
    return getInt32(r.constData() + at);
}

double f64(const QByteArray& r, int at)
{
    return getDouble(r.constData() + at);
}

QString txt(const QByteArray& r, int at, int width)
{
    return fromCp932(r.mid(at, width));
}

double storedStock(int item)
{
    QFile f(dataPath(QStringLiteral("zaiko.dat")));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f64(record(f.readAll(), item, Off::Item::Size), Off::Item::StockQty);
}
