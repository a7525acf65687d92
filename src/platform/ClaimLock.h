#pragma once

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
