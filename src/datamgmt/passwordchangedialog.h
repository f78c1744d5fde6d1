// The owner's change of the data initialisation password: the current one, then the new one twice.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

class PasswordChangeDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PasswordChangeDialog(QWidget* parent = nullptr);

    // Checks and stores the change; on success the dialog closes as accepted, otherwise it says why and
    // stays open with the box to mend in focus.
    void accept() override;

private:
    QLineEdit* currentBox = nullptr;
    QLineEdit* newBox = nullptr;
    QLineEdit* repeatBox = nullptr;
    QPushButton* changeButton = nullptr;
    QPushButton* cancelButton = nullptr;

    void refuse(QLineEdit* box, const QString& why);
};
