#include "launcher/DataFolderClaim.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {
// A running launcher answers at once from its event loop; one on its way out ends within its
// final wait of at most two seconds.
constexpr int AnswerTimeoutMs = 400;
constexpr int EndingTimeoutMs = 3000;
// Between the lock and the socket of a launcher that is just starting.
constexpr int RetryMs = 50;

const QByteArray ForwardRequest = "forward ";
const QByteArray CameForwardReply = "forward\n";
const QByteArray EndingReply = "ending\n";

QString lockPath(const QString& name) {
#ifdef Q_OS_WIN
    return QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".lock");
#else
    return name + QStringLiteral(".lock");
#endif
}

QString serverName(const QString& name) {
#ifdef Q_OS_WIN
    return name;
#else
    return name + QStringLiteral(".socket");
#endif
}

// The token that lets a window take the focus: Wayland's activation token, or X11's startup id.
QByteArray activationToken() {
    QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (token.isEmpty())
        token = qgetenv("DESKTOP_STARTUP_ID");
    return token.simplified();
}

// Lets events run for a while: the lock's holder may be about to listen.
void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

DataFolderClaim::DataFolderClaim(BringForward bringForward, QObject* parent)
    : QObject(parent), bringForward_(std::move(bringForward)) {}

DataFolderClaim::~DataFolderClaim() {
    // The lock goes before the socket closes, so a start that waits for this launcher to end
    // finds the folder free as soon as it hears of the end.
    lock_.reset();
}

QString DataFolderClaim::nameFor(const QString& dataFolder) {
    const QFileInfo info(dataFolder);
    const QString canonical = info.canonicalFilePath();
    const QString path = canonical.isEmpty() ? info.absoluteFilePath() : canonical;
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(20));
#ifdef Q_OS_WIN
    // Pipe names are machine-wide: the user's name keeps two users apart.
    return QStringLiteral("tesselo-%1-%2").arg(qEnvironmentVariable("USERNAME"), hash);
#else
    // The runtime folder is the user's own; /tmp is shared, so the user id goes into the name.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/tesselo-") + hash;
    return QDir::tempPath() + QStringLiteral("/tesselo-%1-%2").arg(getuid()).arg(hash);
#endif
}

bool DataFolderClaim::claim(const QString& dataFolder) {
    const QString name = nameFor(dataFolder);
    lock_ = std::make_unique<QLockFile>(lockPath(name));
    // Only the lock of a process that has died is stale, however long the launcher has run.
    lock_->setStaleLockTime(0);
    const QDeadlineTimer deadline(EndingTimeoutMs);
    for (;;) {
        if (lock_->tryLock(0)) {
            listen(serverName(name));
            return true;
        }
        // No place for a lock at all: better an unguarded launcher than none.
        if (lock_->error() != QLockFile::LockFailedError)
            return true;
        switch (askHolder(serverName(name), deadline)) {
        case Answer::CameForward:
            return false;
        case Answer::Ending:
            break;
        case Answer::None:
            pause(RetryMs);
            break;
        }
        if (deadline.hasExpired()) {
            lock_.reset();
            return false;
        }
    }
}

DataFolderClaim::Answer DataFolderClaim::askHolder(const QString& name,
                                                   const QDeadlineTimer& deadline) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(AnswerTimeoutMs))
        return Answer::None;
    socket.write(ForwardRequest + activationToken() + '\n');
    if (!socket.waitForBytesWritten(AnswerTimeoutMs))
        return Answer::None;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(AnswerTimeoutMs))
            return Answer::None;
    const QByteArray reply = socket.readLine();
    if (reply == CameForwardReply)
        return Answer::CameForward;
    if (reply != EndingReply)
        return Answer::None;
    // The holder keeps this connection until its process ends.
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(int(qMax<qint64>(0, deadline.remainingTime())));
    return Answer::Ending;
}

void DataFolderClaim::listen(const QString& name) {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left behind by a launcher that was killed would refuse the name.
    QLocalServer::removeServer(name);
    if (!server_->listen(name))
        return;
    connect(server_, &QLocalServer::newConnection, this, &DataFolderClaim::answer);
}

void DataFolderClaim::answer() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray line = socket->readLine();
            if (!line.startsWith(ForwardRequest)) {
                socket->disconnectFromServer();
                return;
            }
            if (ending_) {
                // Kept open: the asking start hears of this launcher's end when it closes.
                socket->write(EndingReply);
                return;
            }
            socket->write(CameForwardReply);
            socket->disconnectFromServer();
            bringForward_(QString::fromUtf8(line.mid(ForwardRequest.size()).trimmed()));
        });
    }
}
