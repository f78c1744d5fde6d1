// Hashing and checking the data initialisation password, and the wait after wrong ones.
#include "storage/password.h"

#include "storage/settingnames.h"
#include "storage/settings.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QStringList>
#include <algorithm>

namespace {

constexpr int Iterations = 100000;
constexpr int SaltBytes = 16;
constexpr int HashBytes = 32;
const QString Scheme = QStringLiteral("pbkdf2-sha256");

QByteArray saltedHash(const QString& password, const QByteArray& salt, int iterations)
{
    return Pbkdf2Sha256(password.toUtf8(), salt, iterations, HashBytes);
}

// Compares without stopping at the first difference, so the time taken says nothing of the stored hash.
bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

QByteArray Pbkdf2Sha256(const QByteArray& password, const QByteArray& salt, int iterations, int length)
{
    QByteArray out;
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password);
    for (quint32 block = 1; out.size() < length; ++block) {
        const char index[4] = {char(block >> 24), char(block >> 16), char(block >> 8), char(block)};
        mac.reset();
        mac.addData(salt);
        mac.addData(index, 4);
        QByteArray u = mac.result();
        QByteArray t = u;
        for (int i = 1; i < iterations; ++i) {
            mac.reset();
            mac.addData(u);
            u = mac.result();
            for (qsizetype j = 0; j < t.size(); ++j)
                t[j] = char(t[j] ^ u[j]);
        }
        out += t;
    }
    return out.left(length);
}

QString HashResetPassword(const QString& password)
{
    QByteArray salt(SaltBytes, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), SaltBytes / 4);
    return QStringList{Scheme, QString::number(Iterations), QString::fromLatin1(salt.toBase64()),
                       QString::fromLatin1(saltedHash(password, salt, Iterations).toBase64())}
        .join(u'$');
}

Result CheckResetPassword(const QString& typed)
{
    const QString stored = SysStr[Sys::ResetPasswordHash];
    if (stored.isEmpty())
        return typed == DefaultResetPassword ? Result::success() : Result::failure(WrongPasswordMessage);
    const QStringList parts = stored.split(u'$');
    bool numeric = false;
    const int iterations = parts.value(1).toInt(&numeric);
    const QByteArray salt = QByteArray::fromBase64(parts.value(2).toLatin1());
    const QByteArray hash = QByteArray::fromBase64(parts.value(3).toLatin1());
    if (parts.size() != 4 || parts[0] != Scheme || !numeric || iterations < 1 || iterations > 10000000 ||
        salt.isEmpty() || hash.size() != HashBytes)
        return Result::failure(QStringLiteral("sys.ini の %1 行目のパスワードの記録を読めません。"
                                              "その行を \"\" にすると、パスワードは初期の値に戻ります。")
                                   .arg(50 + Sys::ResetPasswordHash));
    return sameBytes(saltedHash(typed, salt, iterations), hash) ? Result::success()
                                                                : Result::failure(WrongPasswordMessage);
}

Result ChangeResetPassword(const QString& current, const QString& next)
{
    if (const Result r = CheckResetPassword(current); !r)
        return Result::failure(QStringLiteral("今のパスワードが違います。"));
    if (next.size() < 4 || next.size() > 32)
        return Result::failure(QStringLiteral("新しいパスワードは 4～32 文字にしてください。"));
    const QString before = SysStr[Sys::ResetPasswordHash];
    SysStr[Sys::ResetPasswordHash] = HashResetPassword(next);
    if (const Result r = SaveSettings(); !r) {
        SysStr[Sys::ResetPasswordHash] = before;
        return r;
    }
    return Result::success();
}

qint64 PasswordAttempts::waitMs(qint64 nowMs) const
{
    return std::max<qint64>(0, m_until - nowMs);
}

void PasswordAttempts::failed(qint64 nowMs)
{
    ++m_failures;
    if (m_failures < 3)
        return;
    const qint64 wait = std::min<qint64>(30000LL << std::min(m_failures - 3, 5), 15 * 60 * 1000);
    m_until = nowMs + wait;
}

void PasswordAttempts::succeeded()
{
    m_failures = 0;
    m_until = 0;
}

PasswordAttempts& ResetPasswordAttempts()
{
    static PasswordAttempts attempts;
    return attempts;
}

Result TryResetPassword(const QString& typed, qint64 nowMs)
{
    PasswordAttempts& attempts = ResetPasswordAttempts();
    if (const qint64 wait = attempts.waitMs(nowMs); wait > 0)
        return Result::failure(
            QStringLiteral("パスワードを続けて間違えました。\nあと %1 秒待ってから入力してください。")
                .arg((wait + 999) / 1000));
    const Result r = CheckResetPassword(typed);
    if (r)
        attempts.succeeded();
    else if (r.error == WrongPasswordMessage) // an unreadable stored hash is no guess
        attempts.failed(nowMs);
    return r;
}
