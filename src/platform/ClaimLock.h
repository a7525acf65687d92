#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

// Where this user's claims on folders live, and the lock that makes a claim.

// The folder that holds the claims: on Linux the user's runtime folder when it is his alone,
// else a private folder made in the temporary folder; on Windows the temporary folder. Empty
// when none can be had.
QString claimFolder();
// What a claim's name starts with in that folder. Windows' pipe names are machine-wide, so
// there it carries the user's name.
QString claimPrefix();

// What names `folder` in its claim, however its path is spelled: on Linux its canonical path,
// names differing by case there; on Windows the volume's serial number and the folder's file
// index, which neither the case of a letter nor a link changes, else its path folded to one
// case, as Windows compares paths.
QByteArray claimedFolderIdentity(const QString& folder);

// A lock that the system releases when its process ends, however it ends: flock on a file on
// Linux, a lock file on Windows. What the file holds means nothing, so a stray or damaged one
// never stands in the way.
class ClaimLock {
public:
    virtual ~ClaimLock() = default; // releases the lock

    // Takes the lock at `path` without waiting, or returns null; `held` then says whether
    // another process holds it (rather than the lock being impossible here).
    static std::unique_ptr<ClaimLock> take(const QString& path, bool& held);
};
