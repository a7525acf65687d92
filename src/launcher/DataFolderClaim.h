#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QDeadlineTimer;
class QLocalServer;
class QLockFile;

// One running launcher per Data folder and user. Two launchers on one Data folder would each
// save their own view of the options and slots over the other's, so a second start hands over
// to the one that runs: it asks that one to come forward and ends without touching anything.
//
// The claim is a lock file (released by the system when its process dies, so a crash leaves
// nothing that blocks the next start) and a local socket beside it, both in the user's runtime
// folder and named after the Data folder's canonical path. Nothing is written into Data.
class DataFolderClaim final : public QObject {
    Q_OBJECT
public:
    // Called in the running launcher when a later start asks it to come forward, with that
    // start's window activation token (empty when it had none).
    using BringForward = std::function<void(const QString& activationToken)>;

    explicit DataFolderClaim(BringForward bringForward, QObject* parent = nullptr);
    ~DataFolderClaim() override;

    // Claims `dataFolder` for this process. Returns false when a running launcher holds it and
    // has been asked to come forward. A launcher that is on its way out is waited for, a few
    // seconds at most, and the folder claimed after it.
    bool claim(const QString& dataFolder);

    // The holder is ending: later starts wait for it to end instead of bringing it forward.
    void setEnding() { ending_ = true; }

    // The lock file and socket names for a Data folder (exposed for tests).
    static QString nameFor(const QString& dataFolder);

private:
    enum class Answer { CameForward, Ending, None };
    Answer askHolder(const QString& name, const QDeadlineTimer& deadline);
    void listen(const QString& name);
    void answer();

    BringForward bringForward_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    bool ending_ = false;
};
