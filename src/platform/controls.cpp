// Controls built in code with their names.
#include "platform/controls.h"

#include "storage/text.h"

#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QLineEdit* makeEdit(QWidget* parent, const QString& name, const QString& accessible, const QRect& rect)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setAccessibleName(accessible);
    e->setGeometry(rect);
    return e;
}

QLineEdit* makeDisplay(QWidget* parent, const QString& name, const QString& accessible, const QRect& rect)
{
    QLineEdit* e = makeEdit(parent, name, accessible, rect);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

void showStored(QLineEdit* box, const QString& text)
{
    box->setText(shownText(text));
    box->setCursorPosition(0);
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& rect)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(rect);
    return l;
}

QGroupBox* makeFrame(QWidget* parent, const QString& name, const QString& title, const QString& accessible,
                     const QRect& rect)
{
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(name);
    g->setAccessibleName(accessible);
    g->setGeometry(rect);
    return g;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Screen readers read the full-width blank of a caption as a symbol.
    button->setAccessibleName(QString(caption).replace(QChar(0x3000), u' '));
    button->setGeometry(rect);
    button->setAutoDefault(false);
    return button;
}

QPushButton* makeCaptionButton(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
{
    QPushButton* button = makeButton(parent, name, caption, rect);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QComboBox* makeCombo(QWidget* parent, const QString& name, const QString& accessible, const QRect& rect)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setAccessibleName(accessible);
    c->setGeometry(rect);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

void fillNumbers(QComboBox* combo, int first, int last, int width)
{
    combo->clear();
    for (int i = first; i <= last; ++i)
        combo->addItem(QStringLiteral("%1").arg(i, width, 10, QChar(u'0')));
}

int lastListedYear()
{
    return QDate::currentDate().year() + 1;
}

void fillYearList(QComboBox* combo)
{
    fillNumbers(combo, FirstListedYear, lastListedYear());
}
