// Built on Windows only: named pipes through Qt's local sockets.
#include "platform/LocalChannel.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <qt_windows.h>
#include <utility>

namespace {
int remainingMs(const QDeadlineTimer& deadline) {
    return deadline.isForever() ? -1 : int(qMax<qint64>(0, deadline.remainingTime()));
}

class PipeConnection final : public LocalConnection {
public:
    PipeConnection(QLocalSocket* socket, qsizetype maxLine)
        : LocalConnection(maxLine), socket_(socket) {
        socket->setParent(this);
        connect(socket, &QLocalSocket::readyRead, this,
                [this, maxLine] { received(socket_->read(maxLine + 1), true); });
        connect(socket, &QLocalSocket::disconnected, this, [this] { received({}, false); });
    }
    void send(const QByteArray& bytes) override { socket_->write(bytes); }
    void close() override {
        if (std::exchange(closing_, true))
            return; // the end of the connection, reported while it is being closed
        socket_->disconnectFromServer();
        deleteLater();
    }

private:
    QLocalSocket* socket_;
    bool closing_ = false;
};

class PipeServer final : public LocalServer {
public:
    PipeServer(qsizetype maxLine, QObject* parent) : LocalServer(parent), maxLine_(maxLine) {
        server_.setSocketOptions(QLocalServer::UserAccessOption);
        connect(&server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_.nextPendingConnection())
                emit newConnection(new PipeConnection(socket, maxLine_));
        });
    }
    QLocalServer server_;

private:
    qsizetype maxLine_;
};

class PipeClient final : public LocalClient {
public:
    QLocalSocket socket;

    bool send(const QByteArray& bytes, const QDeadlineTimer& deadline) override {
        socket.write(bytes);
        return socket.waitForBytesWritten(remainingMs(deadline));
    }
    QByteArray readLine(qsizetype max, const QDeadlineTimer& deadline) override {
        const int ms = remainingMs(deadline);
        while (!socket.canReadLine() && socket.bytesAvailable() < max)
            if (!socket.waitForReadyRead(ms))
                return {};
        return socket.readLine(max);
    }
    void waitForEnd(const QDeadlineTimer& deadline) override {
        if (socket.state() != QLocalSocket::UnconnectedState)
            socket.waitForDisconnected(remainingMs(deadline));
    }
    bool ended() const override {
        return socket.state() == QLocalSocket::UnconnectedState && !socket.bytesAvailable();
    }
};
} // namespace

QString channelAddress(const QString& name) {
    return QFileInfo(name).fileName();
}

bool channelMayExist(const QString& address) {
    // A named pipe is no file: the system is asked whether a pipe of that name exists. When
    // every instance is busy the wait runs out, which still says that one exists.
    const QString pipe = QStringLiteral("\\\\.\\pipe\\") + address;
    return WaitNamedPipeW(reinterpret_cast<LPCWSTR>(pipe.utf16()), 1) ||
           GetLastError() != ERROR_FILE_NOT_FOUND;
}

LocalServer* LocalServer::listen(const QString& address, int, qsizetype maxLine, MakeRoom,
                                 QObject* parent) {
    auto* server = new PipeServer(maxLine, parent);
    QLocalServer::removeServer(address);
    if (server->server_.listen(address))
        return server;
    delete server;
    return nullptr;
}

std::unique_ptr<LocalClient>
LocalClient::connect(const QString& address, const QDeadlineTimer& deadline, Outcome& outcome) {
    auto client = std::make_unique<PipeClient>();
    client->socket.connectToServer(address);
    outcome = client->socket.waitForConnected(remainingMs(deadline)) ? Outcome::Connected
                                                                     : Outcome::NotListening;
    if (outcome != Outcome::Connected)
        return nullptr;
    return client;
}
