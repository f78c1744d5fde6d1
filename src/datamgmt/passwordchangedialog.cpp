// The password change dialog: nothing is stored until the current password checks and the new one is typed
// the same twice.
#include "datamgmt/passwordchangedialog.h"

#include "platform/messagebox.h"
#include "storage/password.h"

#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* passwordEdit(QWidget* parent, const QString& name, const QString& accessible)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessible);
    box->setEchoMode(QLineEdit::Password);
    box->setMaxLength(32);
    return box;
}

} // namespace

PasswordChangeDialog::PasswordChangeDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PasswordChangeDialog"));
    setWindowTitle(QStringLiteral("パスワード変更"));
    setWindowModality(Qt::WindowModal);

    currentBox = passwordEdit(this, QStringLiteral("currentBox"), QStringLiteral("今のパスワード"));
    newBox = passwordEdit(this, QStringLiteral("newBox"), QStringLiteral("新しいパスワード"));
    repeatBox = passwordEdit(this, QStringLiteral("repeatBox"), QStringLiteral("新しいパスワード（確認）"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("今のパスワード"), currentBox);
    form->addRow(QStringLiteral("新しいパスワード（4～32 文字）"), newBox);
    form->addRow(QStringLiteral("新しいパスワード（確認）"), repeatBox);

    auto* buttons = new QDialogButtonBox(this);
    changeButton = buttons->addButton(QStringLiteral("変更"), QDialogButtonBox::AcceptRole);
    changeButton->setObjectName(QStringLiteral("changeButton"));
    cancelButton = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    currentBox->setFocus();
}

void PasswordChangeDialog::refuse(QLineEdit* box, const QString& why)
{
    MessageBox::information(this, why);
    box->selectAll();
    box->setFocus();
}

void PasswordChangeDialog::accept()
{
    // The same wait as the reset's own box: this box must not become a way round it.
    const qint64 now = QDeadlineTimer::current().deadline();
    if (const Result r = TryResetPassword(currentBox->text(), now); !r)
        return refuse(currentBox,
                      r.error == WrongPasswordMessage ? QStringLiteral("今のパスワードが違います。") : r.error);
    if (newBox->text() != repeatBox->text())
        return refuse(repeatBox, QStringLiteral("確認のパスワードが新しいパスワードと違います。"));
    if (const Result r = ChangeResetPassword(currentBox->text(), newBox->text()); !r)
        return refuse(newBox, r.error);
    MessageBox::information(this, QStringLiteral("パスワードを変更しました。"));
    QDialog::accept();
}
