#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class ClaimLock;
class LocalConnection;
class LocalServer;
class QTimer;

// One running launcher per Data folder and user. Two launchers on one Data folder would each
// save their own view of the options and slots over the other's, so a second start hands over
// to the one that runs: it asks that one to come forward and ends without touching anything.
//
// The claim is a lock that the system releases when its process ends, however it ends (on
// Linux flock on a file, on Windows a lock file), and a local socket beside it, both in a
// folder only the user can reach and named after the Data folder itself, however its path is
// spelled (platform/ClaimLock.h). What a lock file holds means nothing, so a stray or damaged
// one never stands in the way. Nothing is written into Data.
//
// A start that finds the folder held asks the holder over the socket and believes only an
// answer from the same user. The holder answers "forward" and comes forward; "ending" when it is
// on its way out, and the start waits for its end; "wait" while it shows a message that must be
// answered first, and the real answer follows. A holder that does not answer within a second
// (stopped, hung) leaves the claim unsettled. While its message is up, the holder says "wait"
// again every half second: one that falls silent for longer has hung meanwhile, and the start
// gives up just the same. A start that waits says so (waitingForHolder()), so that it is not a
// process that runs unseen, and the user may stop it (withdraw()).
class DataFolderClaim final : public QObject {
    Q_OBJECT
public:
    // Called in the running launcher when a later start asks it to come forward, with that
    // start's window activation token (empty when it had none).
    using BringForward = std::function<void(const QString& activationToken)>;

    enum class Result {
        Claimed,    // this start serves the folder (or runs unguarded where no claim can live)
        HandedOver, // the running launcher confirmed that it came forward
        Unanswered, // a running launcher holds the folder but did not answer
        Withdrawn,  // the user stopped waiting for the running launcher's message
    };

    explicit DataFolderClaim(BringForward bringForward, QObject* parent = nullptr);
    ~DataFolderClaim() override;

    // Claims `dataFolder` for this process. Costs a lock and a look for a socket when nobody
    // holds the folder; the socket is opened from the event loop, or by listen().
    Result claim(const QString& dataFolder);

    // Starts answering later starts now (idempotent). Done before any message is shown, so that
    // a start arriving meanwhile hears "wait" instead of nothing.
    void listen();
    // A message is shown that must be answered before anything comes forward.
    void setBusy(bool busy);
    // The holder is ending: later starts wait for it to end instead of bringing it forward.
    void setEnding();
    // The user stopped waiting: claim() gives up with Withdrawn.
    void withdraw();

    // The folder that holds the claims: the user's runtime folder when it is his alone, else a
    // private folder made in the temporary folder. Empty when neither can be had.
    static QString claimFolder();
    // The lock file and socket path without their suffix, or empty (exposed for tests).
    static QString nameFor(const QString& dataFolder);

signals:
    // claim() waits for a message of the running launcher to be answered, and lets events run
    // meanwhile. Emitted once.
    void waitingForHolder();

private:
    void accept(LocalConnection* connection);
    void read(LocalConnection* connection, const QByteArray& line);
    void drop(LocalConnection* connection);
    bool makeRoom();
    void request(LocalConnection* connection, const QByteArray& token);
    void answerPending();
    void reply(LocalConnection* connection, bool comeForward = true);

    BringForward bringForward_;
    QString name_;
    bool busy_ = false;
    bool ending_ = false;
    bool listening_ = false;
    bool withdrawn_ = false;
    QList<QPointer<LocalConnection>> connections_;
    QList<QPointer<LocalConnection>> pending_;
    QByteArray pendingToken_;
    QTimer* heartbeat_; // repeats "wait" to the pending starts
    std::unique_ptr<ClaimLock> lock_;
    LocalServer* server_ = nullptr;
};
