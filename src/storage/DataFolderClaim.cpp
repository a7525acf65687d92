#include "storage/DataFolderClaim.h"

#include "platform/ClaimLock.h"
#include "platform/LocalChannel.h"
#include "platform/StartupFeedback.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <utility>

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
// Activation tokens are a few dozen bytes; anything longer is no token.
constexpr qsizetype MaxToken = 4096;
// A holder that shows a message says "wait" again this often until it is answered; a start
// that has heard nothing for three times as long takes the holder for hung. Meanwhile the start
// lets its own events run this often, so that its notice is drawn and can be closed.
constexpr int HeartbeatMs = 500;
constexpr int SilentHolderMs = 3 * HeartbeatMs;
constexpr int WaitingEventsMs = 50;

const QByteArray ForwardRequest = "forward ";
const QByteArray CameForwardReply = "forward\n";
const QByteArray EndingReply = "ending\n";
const QByteArray WaitReply = "wait\n";
constexpr qsizetype MaxRequest = 8 + MaxToken + 1;
constexpr qsizetype MaxReply = 16;

QString lockPath(const QString& name) {
    return name + QStringLiteral(".lock");
}

// The token that lets a window take the focus. One beyond any real token's length is not
// passed on.
QByteArray activationToken() {
    const QByteArray token = startupToken().simplified();
    return token.size() > MaxToken ? QByteArray() : token;
}

// Lets events run for a while: the lock's holder may be about to listen.
void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// NotListening: the holder has no socket yet (it opens it once its window shows). Gone: it
// ended while this start waited for its message to be answered. Withdrawn: the user stopped
// waiting.
enum class Answer { CameForward, Ending, NotListening, None, Gone, Withdrawn };

// Asks the launcher listening at `address` to come forward. While it shows a message that must
// be answered first, `keepWaiting` is called every few dozen milliseconds; it returns false
// when the user no longer wants to wait.
Answer askHolder(const QString& address, const QByteArray& token, const QDeadlineTimer& deadline,
                 const std::function<bool()>& keepWaiting) {
    LocalClient::Outcome outcome{};
    const auto client = LocalClient::connect(address, deadline, outcome);
    if (!client)
        return outcome == LocalClient::Outcome::NotListening ? Answer::NotListening : Answer::None;
    if (!client->send(ForwardRequest + token + '\n', deadline))
        return Answer::None;
    QByteArray reply = client->readLine(MaxReply, deadline);
    // The holder shows a message that must be answered first; it answers after that, and
    // keeps saying "wait" until then.
    if (reply == WaitReply) {
        for (QDeadlineTimer silent(SilentHolderMs); !silent.hasExpired() && !client->ended();) {
            if (!keepWaiting())
                return Answer::Withdrawn;
            reply = client->readLine(MaxReply, QDeadlineTimer(WaitingEventsMs));
            if (reply == WaitReply)
                silent = QDeadlineTimer(SilentHolderMs);
            else if (!reply.isEmpty())
                break;
        }
        if (reply.isEmpty() && client->ended())
            return Answer::Gone;
    }
    if (reply == CameForwardReply)
        return Answer::CameForward;
    if (reply != EndingReply)
        return Answer::None;
    // The holder keeps this connection until its process ends.
    client->waitForEnd(QDeadlineTimer(EndingTimeoutMs));
    return Answer::Ending;
}
} // namespace

DataFolderClaim::DataFolderClaim(BringForward bringForward, QObject* parent)
    : QObject(parent), bringForward_(std::move(bringForward)), heartbeat_(new QTimer(this)) {
    heartbeat_->setInterval(HeartbeatMs);
    connect(heartbeat_, &QTimer::timeout, this, [this] {
        for (const auto& connection : std::as_const(pending_))
            if (connection)
                connection->send(WaitReply);
    });
}

DataFolderClaim::~DataFolderClaim() {
    // The socket goes first, then the lock, then the connections: a start that waits for this
    // launcher to end finds the folder free as soon as it hears of the end.
    delete server_;
    lock_.reset();
    for (const auto& connection : std::as_const(connections_))
        delete connection.data();
}

QString DataFolderClaim::claimFolder() {
    return ::claimFolder();
}

QString DataFolderClaim::nameFor(const QString& dataFolder) {
    const QString folder = claimFolder();
    if (folder.isEmpty())
        return {};
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(claimedFolderIdentity(dataFolder), QCryptographicHash::Sha1)
            .toHex()
            .left(20));
    return folder + u'/' + claimPrefix() + hash;
}

DataFolderClaim::Result DataFolderClaim::claim(const QString& dataFolder) {
    name_ = nameFor(dataFolder);
    // No place for a claim at all: better an unguarded launcher than none.
    if (name_.isEmpty())
        return Result::Claimed;
    const QByteArray token = activationToken();
    const QString address = channelAddress(name_);
    QDeadlineTimer deadline(SettleMs);
    const QDeadlineTimer starting(StartingMs);
    bool waitedForEnd = false;
    bool notified = false;
    const auto keepWaiting = [this, &notified] {
        if (!std::exchange(notified, true))
            emit waitingForHolder();
        QCoreApplication::processEvents();
        return !withdrawn_;
    };
    for (;;) {
        bool held = false;
        lock_ = ClaimLock::take(lockPath(name_), held);
        if (lock_) {
            // A launcher whose lock file was deleted under it still runs and listens: it is
            // asked all the same. Where no socket is, there is nobody to ask.
            const Answer answer =
                channelMayExist(address)
                    ? askHolder(address, token, QDeadlineTimer(SettleMs), keepWaiting)
                    : Answer::None;
            if (answer == Answer::CameForward || answer == Answer::Withdrawn)
                return answer == Answer::CameForward ? Result::HandedOver : Result::Withdrawn;
            QTimer::singleShot(0, this, &DataFolderClaim::listen);
            return Result::Claimed;
        }
        if (!held)
            return Result::Claimed;
        const Answer answer = askHolder(address, token, deadline, keepWaiting);
        switch (answer) {
        case Answer::CameForward:
            return Result::HandedOver;
        case Answer::Withdrawn:
            return Result::Withdrawn;
        case Answer::Ending:
        case Answer::Gone:
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
    if (!lock_)
        return;
    server_ = LocalServer::listen(
        channelAddress(name_), MaxConnections, MaxRequest, [this] { return makeRoom(); }, this);
    if (server_)
        connect(server_, &LocalServer::newConnection, this, &DataFolderClaim::accept);
}

// One start's connection to the running launcher: it has a second to send its one line, then
// it is answered, kept until an answer can be given, or dropped.
void DataFolderClaim::accept(LocalConnection* connection) {
    connection->setParent(this);
    connect(connection, &LocalConnection::lineRead, this,
            [this, connection](const QByteArray& line) { read(connection, line); });
    connect(connection, &LocalConnection::ended, this, [this, connection] { drop(connection); });
    QTimer::singleShot(IdleMs, connection, [this, connection] {
        if (!connection->hasLine())
            drop(connection);
    });
    // More connections than real starts make: the oldest idle one goes.
    if (connections_.size() >= MaxConnections) {
        for (const auto& old : std::as_const(connections_))
            if (old && !old->hasLine()) {
                drop(old);
                break;
            }
    }
    connections_.append(connection);
}

void DataFolderClaim::read(LocalConnection* connection, const QByteArray& line) {
    if (!line.startsWith(ForwardRequest.trimmed())) {
        drop(connection);
        return;
    }
    QByteArray token = line.mid(ForwardRequest.size()).trimmed();
    for (const char c : token)
        if (c < 0x21 || c > 0x7e)
            token.clear(); // a token is printable ASCII; anything else is passed on as none
    request(connection, token);
}

void DataFolderClaim::drop(LocalConnection* connection) {
    connections_.removeAll(connection);
    pending_.removeAll(connection);
    connection->close();
}

// The system has no descriptor left for a start that connects: an idle connection gives its
// own up now.
bool DataFolderClaim::makeRoom() {
    for (const auto& old : std::as_const(connections_))
        if (old && !old->hasLine()) {
            delete old.data();
            connections_.removeAll(nullptr);
            return true;
        }
    return false;
}

void DataFolderClaim::request(LocalConnection* connection, const QByteArray& token) {
    // A message that must be answered first: the start waits for it.
    if (busy_) {
        connection->send(WaitReply);
        pending_.append(connection);
        pendingToken_ = token;
        heartbeat_->start();
        return;
    }
    pendingToken_ = token;
    reply(connection);
}

void DataFolderClaim::reply(LocalConnection* connection, bool comeForward) {
    if (ending_) {
        // Kept open: the asking start hears of this launcher's end when it closes.
        connection->send(EndingReply);
        return;
    }
    connection->send(CameForwardReply);
    drop(connection);
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
    heartbeat_->stop();
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

void DataFolderClaim::withdraw() {
    withdrawn_ = true;
}
