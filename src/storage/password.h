// The data initialisation password: only a salted, stretched hash is kept (in sys.ini); a shop that never set
// one keeps the password the program has always had.
#pragma once

#include "storage/result.h"

#include <QByteArray>
#include <QString>

// The password of every shop that has not chosen its own.
inline const QString DefaultResetPassword = QStringLiteral("480213");
// What a wrong password is told.
inline const QString WrongPasswordMessage = QStringLiteral("パスワードを入力してください。");

// PBKDF2 with HMAC-SHA-256 (RFC 8018), `length` bytes.
QByteArray Pbkdf2Sha256(const QByteArray& password, const QByteArray& salt, int iterations, int length);

// The stored form of a password: "pbkdf2-sha256$<iterations>$<salt>$<hash>", salt and hash in base64, with a
// new random salt each time.
QString HashResetPassword(const QString& password);

// Ok when `typed` is the password; otherwise the message to show: the usual one for a wrong password, another
// when the stored hash cannot be read (only a correct sys.ini line or its removal helps then).
Result CheckResetPassword(const QString& typed);

// Replaces the password after checking the current one; the new one must have 4 to 32 characters. Written to
// sys.ini at once; on a failed write the old password stays in force.
Result ChangeResetPassword(const QString& current, const QString& next);

// How long to wait before the next try after wrong passwords in a row: none for the first two, then 30
// seconds, doubling with every further wrong one up to 15 minutes. Kept in memory: a try is never refused
// for longer than the program runs.
class PasswordAttempts
{
public:
    // Milliseconds still to wait at `nowMs` (a steady clock); 0 when a try may be made.
    qint64 waitMs(qint64 nowMs) const;
    void failed(qint64 nowMs);
    void succeeded();

private:
    int m_failures = 0;
    qint64 m_until = 0;
};

// The wrong tries of this run of the program, shared by every window that asks for the password, so that
// closing and opening a window does not start the count again.
PasswordAttempts& ResetPasswordAttempts();

// CheckResetPassword behind the wait: while a wait runs the try is refused with how long is left, unchecked; a
// wrong password counts towards the next wait, a right one ends the count. `nowMs` is a steady clock.
Result TryResetPassword(const QString& typed, qint64 nowMs);
