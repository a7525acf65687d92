// Built on Linux only: Unix domain sockets, without Qt Network.
#include "platform/LocalChannel.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {
// The longest socket path the system takes.
constexpr qsizetype MaxSocketPath = sizeof(sockaddr_un::sun_path) - 1;
// After running out of descriptors the server tries again this much later.
constexpr int AcceptRetryMs = 200;

bool isSameUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof(peer);
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

int remainingMs(const QDeadlineTimer& deadline) {
    return deadline.isForever() ? -1 : int(qMax<qint64>(0, deadline.remainingTime()));
}

class UnixConnection final : public LocalConnection {
public:
    UnixConnection(int fd, qsizetype maxLine)
        : LocalConnection(maxLine), fd_(fd), notifier_(fd, QSocketNotifier::Read, this) {
        connect(&notifier_, &QSocketNotifier::activated, this, [this] {
            char bytes[1024];
            const ssize_t n = ::read(fd_, bytes, sizeof(bytes));
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            received(QByteArray(bytes, qMax<ssize_t>(n, 0)), n > 0);
        });
    }
    ~UnixConnection() override {
        notifier_.setEnabled(false);
        ::close(fd_);
    }
    void send(const QByteArray& bytes) override {
        (void)::send(fd_, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    void close() override {
        notifier_.setEnabled(false);
        deleteLater();
    }

private:
    int fd_;
    QSocketNotifier notifier_;
};

class UnixServer final : public LocalServer {
public:
    UnixServer(int fd, QByteArray path, qsizetype maxLine, MakeRoom makeRoom, QObject* parent)
        : LocalServer(parent), fd_(fd), path_(std::move(path)), maxLine_(maxLine),
          makeRoom_(std::move(makeRoom)), notifier_(fd, QSocketNotifier::Read, this) {
        connect(&notifier_, &QSocketNotifier::activated, this, &UnixServer::accept);
    }
    ~UnixServer() override {
        notifier_.setEnabled(false);
        ::unlink(path_.constData());
        ::close(fd_);
    }

private:
    void accept() {
        for (;;) {
            const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd < 0) {
                if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO)
                    continue;
                // Out of descriptors or memory: a connection makes room, or the server waits a
                // moment. It never stops listening.
                if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                    retryLater();
                return;
            }
            if (!isSameUser(fd)) {
                ::close(fd);
                continue;
            }
            emit newConnection(new UnixConnection(fd, maxLine_));
        }
    }
    void retryLater() {
        if (makeRoom_ && makeRoom_())
            return; // the one waiting is accepted when the socket is read again
        notifier_.setEnabled(false);
        QTimer::singleShot(AcceptRetryMs, this, [this] { notifier_.setEnabled(true); });
    }

    int fd_;
    QByteArray path_;
    qsizetype maxLine_;
    MakeRoom makeRoom_;
    QSocketNotifier notifier_;
};

class UnixClient final : public LocalClient {
public:
    explicit UnixClient(int fd) : fd_(fd) {}
    ~UnixClient() override { ::close(fd_); }
    bool send(const QByteArray& bytes, const QDeadlineTimer&) override {
        return ::send(fd_, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
    }
    QByteArray readLine(qsizetype max, const QDeadlineTimer& deadline) override {
        // What came before a deadline is kept for the next call: a line is never split.
        while (!partial_.endsWith('\n') && partial_.size() < max) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, remainingMs(deadline)) <= 0)
                return {};
            char c = 0;
            const ssize_t n = ::read(fd_, &c, 1);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (n <= 0) {
                ended_ = true;
                return {};
            }
            partial_.append(c);
        }
        return std::exchange(partial_, {});
    }
    void waitForEnd(const QDeadlineTimer& deadline) override {
        while (!readLine(16, deadline).isEmpty()) {
        }
    }
    bool ended() const override { return ended_; }

private:
    int fd_;
    QByteArray partial_;
    bool ended_ = false;
};
} // namespace

QString channelAddress(const QString& name) {
    return name + QStringLiteral(".socket");
}

bool channelMayExist(const QString& address) {
    return QFileInfo::exists(address);
}

LocalServer* LocalServer::listen(const QString& address, int backlog, qsizetype maxLine,
                                 MakeRoom makeRoom, QObject* parent) {
    const QByteArray path = QFile::encodeName(address);
    sockaddr_un socketAddress{};
    socketAddress.sun_family = AF_UNIX;
    memcpy(socketAddress.sun_path, path.constData(), size_t(qMin(path.size(), MaxSocketPath)));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // Whoever listens holds the claim, so a socket at the path is a dead process's.
    ::unlink(path.constData());
    if (fd < 0 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&socketAddress), sizeof(socketAddress)) != 0 ||
        ::listen(fd, backlog) != 0) {
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    return new UnixServer(fd, path, maxLine, std::move(makeRoom), parent);
}

std::unique_ptr<LocalClient> LocalClient::connect(const QString& address, const QDeadlineTimer&,
                                                  Outcome& outcome) {
    outcome = Outcome::Failed;
    const QByteArray native = QFile::encodeName(address);
    sockaddr_un socketAddress{};
    socketAddress.sun_family = AF_UNIX;
    if (native.size() > MaxSocketPath)
        return nullptr;
    memcpy(socketAddress.sun_path, native.constData(), size_t(native.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return nullptr;
    auto client = std::make_unique<UnixClient>(fd);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&socketAddress), sizeof(socketAddress)) != 0) {
        if (errno == ENOENT || errno == ECONNREFUSED)
            outcome = Outcome::NotListening;
        return nullptr;
    }
    // The folder is private, and the peer's credentials say who listens.
    if (!isSameUser(fd))
        return nullptr;
    outcome = Outcome::Connected;
    return client;
}
