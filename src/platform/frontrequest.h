// A second start of the program brings the running copy's window to the front, over a local socket.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

// The socket's name for the program directory `appDir`: the same for every start from that directory by the
// same user, as the lock that refuses the second copy is.
QString frontRequestName(const QString& appDir);

// The running copy: listens under `name` and calls `onRequest` for each request, in the GUI thread.
class FrontRequestListener : public QObject
{
public:
    FrontRequestListener(const QString& name, std::function<void()> onRequest, QObject* parent = nullptr);
    bool listening() const;

private:
    QLocalServer* m_server = nullptr;
    std::function<void()> m_onRequest;
};

// The second start: asks the copy listening under `name` to come to the front; false when none answered
// within `timeoutMs`. Blocks, so it may run in any thread.
bool requestFront(const QString& name, int timeoutMs = 2000);
