#include "launcher/DataFolderClaim.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <utility>

#ifdef Q_OS_WIN
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#else
#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {
// A running launcher answers at once from its event loop. One that has not answered within a
// second is stopped or hung; one on its way out ends within its final wait of two seconds. One
// that is still loading its slots opens its socket when its window shows, so a start that finds
// no socket yet gives it a little longer.
constexpr int SettleMs = 1000;
constexpr int StartingMs = 2000;
constexpr int EndingTimeoutMs = 3000;
// Between the lock and the socket of a launcher that is just starting.
constexpr int RetryMs = 50;
// A connection has this long to say what it wants; then it is dropped.
constexpr int IdleMs = 1000;
// More connections than this at once come from no real starts: the oldest idle one goes.
constexpr int MaxConnections = 16;
// After running out of descriptors the server tries again this much later.
constexpr int AcceptRetryMs = 200;
// Activation tokens are a few dozen bytes; anything longer is no token.
constexpr qsizetype MaxToken = 4096;

const QByteArray ForwardRequest = "forward ";
const QByteArray CameForwardReply = "forward\n";
const QByteArray EndingReply = "ending\n";
const QByteArray WaitReply = "wait\n";
constexpr qsizetype MaxRequest = 8 + MaxToken + 1;
constexpr qsizetype MaxReply = 16;

QString lockPath(const QString& name) {
    return name + QStringLiteral(".lock");
}

QString socketPath(const QString& name) {
#ifdef Q_OS_WIN
    return QFileInfo(name).fileName();
#else
    return name + QStringLiteral(".socket");
#endif
}

// The token that lets a window take the focus: Wayland's activation token, or X11's startup id.
// One beyond any real token's length is not passed on.
QByteArray activationToken() {
    QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (token.isEmpty())
        token = qgetenv("DESKTOP_STARTUP_ID");
    token = token.simplified();
    return token.size() > MaxToken ? QByteArray() : token;
}

// Lets events run for a while: the lock's holder may be about to listen.
void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// NotListening: the holder has no socket yet (it opens it once its window shows).
enum class Answer { CameForward, Ending, NotListening, None };

#ifndef Q_OS_WIN
// The longest socket path the system takes, the name's suffix included.
constexpr qsizetype MaxSocketPath = sizeof(sockaddr_un::sun_path) - 1;
constexpr qsizetype NameLength = 8 + 20 + 7; // "tesselo-", the hash, ".socket"

// A folder of this user's that nobody else may enter; a loose mode of the user's own folder is
// tightened. Opened without following a link, so what is checked is what is used.
bool isPrivateFolder(const QByteArray& path, bool exactly0700) {
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
    if (ok && exactly0700)
        ok = (st.st_mode & 07777) == 0700;
    else if (ok && (st.st_mode & 077) != 0)
        ok = ::fchmod(fd, 0700) == 0;
    ::close(fd);
    return ok;
}

bool fits(const QByteArray& folder) {
    return folder.size() + 1 + NameLength <= MaxSocketPath;
}

// Opens the lock file of a private folder. Whatever else stands at its place (a folder, a link, a
// FIFO left by something) holds no lock and is taken away. A FIFO is opened without blocking.
int openLock(const QByteArray& path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd =
            ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
            return fd;
        if (fd >= 0)
            ::close(fd);
        if (::unlink(path.constData()) != 0)
            QDir(QFile::decodeName(path)).removeRecursively();
    }
    return -1;
}

int remainingMs(const QDeadlineTimer& deadline) {
    return deadline.isForever() ? -1 : int(qMax<qint64>(0, deadline.remainingTime()));
}

// Reads one line of at most MaxReply bytes before the deadline; empty when none came.
QByteArray readReply(int fd, const QDeadlineTimer& deadline) {
    QByteArray reply;
    while (!reply.endsWith('\n') && reply.size() < MaxReply) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, remainingMs(deadline)) <= 0)
            return {};
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0)
            return {};
        reply.append(c);
    }
    return reply;
}

// Asks the launcher listening at `path` to come forward. Only a server of this same user is
// believed: the folder is private, and the peer's credentials say who listens.
Answer askHolder(const QString& path, const QByteArray& token, const QDeadlineTimer& deadline) {
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (native.size() > MaxSocketPath)
        return Answer::None;
    memcpy(address.sun_path, native.constData(), size_t(native.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return Answer::None;
    const auto answer = [&]() -> Answer {
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
            return errno == ENOENT || errno == ECONNREFUSED ? Answer::NotListening : Answer::None;
        ucred peer{};
        socklen_t size = sizeof(peer);
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::getuid())
            return Answer::None;
        const QByteArray request = ForwardRequest + token + '\n';
        if (::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL) != request.size())
            return Answer::None;
        QByteArray reply = readReply(fd, deadline);
        // The holder shows a message that must be answered first; it answers after that.
        if (reply == WaitReply)
            reply = readReply(fd, QDeadlineTimer(QDeadlineTimer::Forever));
        if (reply == CameForwardReply)
            return Answer::CameForward;
        if (reply != EndingReply)
            return Answer::None;
        // The holder keeps this connection until its process ends.
        const QDeadlineTimer end(EndingTimeoutMs);
        while (!readReply(fd, end).isEmpty()) {
        }
        return Answer::Ending;
    }();
    ::close(fd);
    return answer;
}
#else
Answer askHolder(const QString& name, const QByteArray& token, const QDeadlineTimer& deadline) {
    QLocalSocket socket;
    socket.connectToServer(name);
    const auto left = [&] { return int(qMax<qint64>(0, deadline.remainingTime())); };
    if (!socket.waitForConnected(left()))
        return Answer::NotListening;
    socket.write(ForwardRequest + token + '\n');
    if (!socket.waitForBytesWritten(left()))
        return Answer::None;
    QByteArray reply;
    const auto readLine = [&](int ms) {
        while (!socket.canReadLine() && socket.bytesAvailable() < MaxReply)
            if (!socket.waitForReadyRead(ms))
                return QByteArray();
        return socket.readLine(MaxReply);
    };
    reply = readLine(left());
    if (reply == WaitReply)
        reply = readLine(-1);
    if (reply == CameForwardReply)
        return Answer::CameForward;
    if (reply != EndingReply)
        return Answer::None;
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(EndingTimeoutMs);
    return Answer::Ending;
}
#endif
} // namespace

// One start's connection to the running launcher: it has a second to send its one line, then
// it is answered, kept until an answer can be given, or dropped.
class ClaimConnection final : public QObject {
public:
#ifdef Q_OS_WIN
    ClaimConnection(DataFolderClaim* claim, QLocalSocket* socket)
        : QObject(claim), claim_(claim), socket_(socket) {
        socket->setParent(this);
        connect(socket, &QLocalSocket::readyRead, this,
                [this] { readSome(socket_->read(MaxRequest + 1 - buffer_.size()), true); });
        connect(socket, &QLocalSocket::disconnected, this, [this] { readSome({}, false); });
        startIdleTimer();
    }
    void send(const QByteArray& bytes) {
        socket_->write(bytes);
    }
    void close() {
        socket_->disconnectFromServer();
        drop();
    }
#else
    ClaimConnection(DataFolderClaim* claim, int fd)
        : QObject(claim), claim_(claim), fd_(fd), notifier_(fd, QSocketNotifier::Read, this) {
        connect(&notifier_, &QSocketNotifier::activated, this, [this] {
            char bytes[1024];
            const ssize_t n = ::read(fd_, bytes, sizeof(bytes));
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            readSome(QByteArray(bytes, qMax<ssize_t>(n, 0)), n > 0);
        });
        startIdleTimer();
    }
    ~ClaimConnection() override {
        ::close(fd_);
    }
    // Replies are a few bytes on a fresh connection: the socket's buffer always takes them.
    void send(const QByteArray& bytes) {
        (void)::send(fd_, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    void close() {
        drop();
    }
#endif
    bool asked() const {
        return asked_;
    }

    void drop() {
        claim_->connections_.removeAll(this);
        claim_->pending_.removeAll(this);
#ifndef Q_OS_WIN
        notifier_.setEnabled(false);
#endif
        deleteLater();
    }

private:
    void startIdleTimer() {
        QTimer::singleShot(IdleMs, this, [this] {
            if (!asked_)
                drop();
        });
    }

    void readSome(const QByteArray& bytes, bool open) {
        if (!open) {
            drop();
            return;
        }
        if (asked_)
            return; // nothing more is expected; only the end of the connection matters
        buffer_ += bytes;
        const qsizetype end = buffer_.indexOf('\n');
        if (end < 0) {
            if (buffer_.size() > MaxRequest)
                drop();
            return;
        }
        const QByteArray line = buffer_.left(end);
        if (!line.startsWith(ForwardRequest.trimmed())) {
            close();
            return;
        }
        asked_ = true;
        QByteArray token = line.mid(ForwardRequest.size()).trimmed();
        for (const char c : token)
            if (c < 0x21 || c > 0x7e)
                token.clear(); // a token is printable ASCII; anything else is passed on as none
        claim_->request(this, token);
    }

    DataFolderClaim* claim_;
#ifdef Q_OS_WIN
    QLocalSocket* socket_;
#else
    int fd_;
    QSocketNotifier notifier_;
#endif
    QByteArray buffer_;
    bool asked_ = false;
};

DataFolderClaim::DataFolderClaim(BringForward bringForward, QObject* parent)
    : QObject(parent), bringForward_(std::move(bringForward)) {}

DataFolderClaim::~DataFolderClaim() {
    // The socket goes first, then the lock, then the connections: a start that waits for this
    // launcher to end finds the folder free as soon as it hears of the end.
#ifdef Q_OS_WIN
    delete server_;
    delete lock_;
#else
    if (listenFd_ >= 0) {
        ::unlink(QFile::encodeName(socketPath(name_)).constData());
        ::close(listenFd_);
    }
    if (lockFd_ >= 0)
        ::close(lockFd_);
    for (const auto& connection : std::as_const(connections_))
        delete connection.data();
#endif
}

QString DataFolderClaim::claimFolder() {
#ifdef Q_OS_WIN
    return QDir::tempPath();
#else
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && fits(runtime) && isPrivateFolder(runtime, true))
        return QFile::decodeName(runtime);
    // Never loose names in a shared folder: a folder of the user's own, made and checked. A
    // temporary folder whose path is too long for a socket gives way to /tmp.
    const QByteArray uid = QByteArray::number(::getuid());
    for (const QByteArray& base : {QFile::encodeName(QDir::tempPath()), QByteArray("/tmp")}) {
        const QByteArray folder = base + "/tesselo-" + uid;
        if (!fits(folder) || (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST))
            continue;
        if (isPrivateFolder(folder, false))
            return QFile::decodeName(folder);
    }
    return {};
#endif
}

QString DataFolderClaim::nameFor(const QString& dataFolder) {
    const QString folder = claimFolder();
    if (folder.isEmpty())
        return {};
    const QFileInfo info(dataFolder);
    const QString canonical = info.canonicalFilePath();
    const QString path = canonical.isEmpty() ? info.absoluteFilePath() : canonical;
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(20));
#ifdef Q_OS_WIN
    // Pipe names are machine-wide: the user's name keeps two users apart.
    return folder + QStringLiteral("/tesselo-%1-%2").arg(qEnvironmentVariable("USERNAME"), hash);
#else
    return folder + QStringLiteral("/tesselo-") + hash;
#endif
}

DataFolderClaim::Result DataFolderClaim::claim(const QString& dataFolder) {
    name_ = nameFor(dataFolder);
    // No place for a claim at all: better an unguarded launcher than none.
    if (name_.isEmpty())
        return Result::Claimed;
    const QByteArray token = activationToken();
    QDeadlineTimer deadline(SettleMs);
    const QDeadlineTimer starting(StartingMs);
    bool waitedForEnd = false;
    for (;;) {
#ifdef Q_OS_WIN
        lock_ = new QLockFile(lockPath(name_));
        // Only the lock of a process that has died is stale, however long the launcher has run.
        lock_->setStaleLockTime(0);
        const bool locked = lock_->tryLock(0);
        const bool held = !locked && lock_->error() == QLockFile::LockFailedError;
        if (!locked) {
            delete lock_;
            lock_ = nullptr;
        }
#else
        lockFd_ = openLock(QFile::encodeName(lockPath(name_)));
        const bool locked = lockFd_ >= 0 && ::flock(lockFd_, LOCK_EX | LOCK_NB) == 0;
        const bool held = !locked && lockFd_ >= 0 && errno == EWOULDBLOCK;
        if (!locked && lockFd_ >= 0) {
            ::close(lockFd_);
            lockFd_ = -1;
        }
#endif
        if (locked) {
            // A launcher whose lock file was deleted under it still runs and listens: it is
            // asked all the same. Where no socket is, there is nobody to ask.
            if (QFileInfo::exists(socketPath(name_)) &&
                askHolder(socketPath(name_), token, QDeadlineTimer(SettleMs)) ==
                    Answer::CameForward)
                return Result::HandedOver;
            QTimer::singleShot(0, this, &DataFolderClaim::listen);
            return Result::Claimed;
        }
        if (!held)
            return Result::Claimed;
        const Answer answer = askHolder(socketPath(name_), token, deadline);
        switch (answer) {
        case Answer::CameForward:
            return Result::HandedOver;
        case Answer::Ending:
            // Once only: a holder that keeps saying it ends and does not is not believed.
            if (!waitedForEnd)
                deadline = QDeadlineTimer(SettleMs);
            waitedForEnd = true;
            continue;
        case Answer::NotListening:
        case Answer::None:
            break;
        }
        if (deadline.hasExpired() && (answer == Answer::None || starting.hasExpired()))
            return Result::Unanswered;
        pause(RetryMs);
    }
}

void DataFolderClaim::listen() {
    if (listening_ || name_.isEmpty())
        return;
    listening_ = true;
#ifdef Q_OS_WIN
    if (!lock_)
        return;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketPath(name_));
    if (server_->listen(socketPath(name_)))
        connect(server_, &QLocalServer::newConnection, this, &DataFolderClaim::accept);
#else
    if (lockFd_ < 0)
        return;
    const QByteArray path = QFile::encodeName(socketPath(name_));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, path.constData(), size_t(qMin(path.size(), MaxSocketPath)));
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // Only the lock's holder comes here, so a socket at the path is a dead launcher's.
    ::unlink(path.constData());
    if (listenFd_ < 0 ||
        ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listenFd_, MaxConnections) != 0) {
        if (listenFd_ >= 0)
            ::close(listenFd_);
        listenFd_ = -1;
        return;
    }
    listener_ = new QSocketNotifier(listenFd_, QSocketNotifier::Read, this);
    connect(listener_, &QSocketNotifier::activated, this, &DataFolderClaim::accept);
#endif
}

void DataFolderClaim::accept() {
    for (;;) {
#ifdef Q_OS_WIN
        QLocalSocket* socket = server_->nextPendingConnection();
        if (!socket)
            return;
        auto* connection = new ClaimConnection(this, socket);
#else
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO)
                continue;
            // Out of descriptors or memory: the oldest idle connection makes room, or the
            // server waits a moment. It never stops listening.
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                retryAcceptLater();
            return;
        }
        ucred peer{};
        socklen_t size = sizeof(peer);
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
            peer.uid != ::getuid()) {
            ::close(fd);
            continue;
        }
        auto* connection = new ClaimConnection(this, fd);
#endif
        if (connections_.size() >= MaxConnections) {
            for (const auto& old : std::as_const(connections_))
                if (old && !old->asked()) {
                    old->drop();
                    break;
                }
        }
        connections_.append(connection);
    }
}

void DataFolderClaim::retryAcceptLater() {
#ifndef Q_OS_WIN
    for (const auto& old : std::as_const(connections_))
        if (old && !old->asked()) {
            delete old.data(); // closes its descriptor now, for the one waiting
            connections_.removeAll(nullptr);
            return;
        }
    listener_->setEnabled(false);
    QTimer::singleShot(AcceptRetryMs, this, [this] { listener_->setEnabled(true); });
#endif
}

void DataFolderClaim::request(ClaimConnection* connection, const QByteArray& token) {
    // A message that must be answered first: the start waits for it.
    if (busy_) {
        connection->send(WaitReply);
        pending_.append(connection);
        pendingToken_ = token;
        return;
    }
    pendingToken_ = token;
    reply(connection);
}

void DataFolderClaim::reply(ClaimConnection* connection, bool comeForward) {
    if (ending_) {
        // Kept open: the asking start hears of this launcher's end when it closes.
        connection->send(EndingReply);
        return;
    }
    connection->send(CameForwardReply);
    connection->close();
    if (comeForward)
        bringForward_(QString::fromLatin1(pendingToken_));
}

void DataFolderClaim::setBusy(bool busy) {
    busy_ = busy;
    // After the event loop has taken over again: the window the start-up message held back
    // is shown by then.
    if (!busy)
        QTimer::singleShot(0, this, &DataFolderClaim::answerPending);
}

void DataFolderClaim::answerPending() {
    if (busy_)
        return;
    const auto pending = std::exchange(pending_, {});
    bool cameForward = false;
    for (const auto& connection : pending)
        if (connection) {
            reply(connection, !cameForward);
            cameForward = true;
        }
}

void DataFolderClaim::setEnding() {
    ending_ = true;
}
