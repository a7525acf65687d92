#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QDeadlineTimer;

// A channel between processes of this user on this machine, named by a path: on Linux a Unix
// domain socket that believes only peers of the same user, on Windows a named pipe (Qt's local
// socket) that only the user may open. Each connection carries one line of request and a few
// lines of reply.

// The channel's address for a name (a path without suffix).
QString channelAddress(const QString& name);
// Whether something stands at the address that may listen there (one look, no connection).
bool channelMayExist(const QString& address);

// One connection accepted by a LocalServer. It reads one line, bounded in length, and then
// only watches for the other end to go away.
class LocalConnection : public QObject {
    Q_OBJECT
public:
    // Replies are a few bytes on a fresh connection: the system's buffer always takes them.
    virtual void send(const QByteArray& bytes) = 0;
    // Ends the connection (what was sent still goes out) and deletes it from the event loop.
    virtual void close() = 0;
    // Whether its line has come.
    bool hasLine() const { return hasLine_; }

signals:
    // The first line, without its newline.
    void lineRead(const QByteArray& line);
    // The other end went away, or sent more than a line's bound without a newline.
    void ended();

protected:
    explicit LocalConnection(qsizetype maxLine) : maxLine_(maxLine) {}
    // What the system delivered; `open` is false at the end of the stream.
    void received(const QByteArray& bytes, bool open) {
        if (!open) {
            emit ended();
            return;
        }
        if (hasLine_)
            return; // nothing more is expected; only the end of the connection matters
        buffer_ += bytes;
        const qsizetype end = buffer_.indexOf('\n');
        if (end < 0) {
            if (buffer_.size() > maxLine_)
                emit ended();
            return;
        }
        hasLine_ = true;
        emit lineRead(buffer_.left(end));
    }

private:
    qsizetype maxLine_;
    QByteArray buffer_;
    bool hasLine_ = false;
};

// Listens at an address and hands over each new connection (with no parent) through
// newConnection. Stops listening when deleted. It never stops listening on its own.
class LocalServer : public QObject {
    Q_OBJECT
public:
    // Asked when the system has no room for another connection: frees a descriptor and returns
    // true, or returns false and the server tries again a moment later.
    using MakeRoom = std::function<bool()>;

    // Listens at `address`, whatever a dead process left there; null when it cannot. Lines
    // longer than `maxLine` bytes end their connection.
    static LocalServer* listen(const QString& address, int backlog, qsizetype maxLine,
                               MakeRoom makeRoom, QObject* parent);

signals:
    void newConnection(LocalConnection* connection);

protected:
    using QObject::QObject;
};

// The asking end: a connection made and used with blocking calls, each bounded by a deadline.
class LocalClient {
public:
    enum class Outcome { Connected, NotListening, Failed };
    virtual ~LocalClient() = default;

    // Connects to `address`; `outcome` says why not when null comes back. Only a peer of this
    // user is taken for connected.
    static std::unique_ptr<LocalClient> connect(const QString& address,
                                                const QDeadlineTimer& deadline, Outcome& outcome);
    virtual bool send(const QByteArray& bytes, const QDeadlineTimer& deadline) = 0;
    // One line of at most `max` bytes (newline included) before the deadline; empty when none.
    // Part of a line that came in time is kept for the next call.
    virtual QByteArray readLine(qsizetype max, const QDeadlineTimer& deadline) = 0;
    // Returns when the other end has gone away, or at the deadline.
    virtual void waitForEnd(const QDeadlineTimer& deadline) = 0;
    // Whether the other end has gone away and everything it sent has been read.
    virtual bool ended() const = 0;
};
