#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "common/FileLock.h"

class QLocalServer;

namespace kotar {

// Keeps a second copy of the program from running. The first copy takes an exclusive lock on
// the file "<name>.lock" (name: "hPrevKOTAR" plus the user id) in the folder of the local
// server's socket, and only then listens on the server name; a later copy fails to take the
// lock, asks the running copy over the server to restore and raise its window, and ends. The
// system drops the lock with the process however it ends, so the lock file and the socket that
// a copy which died left behind never block a start; only the lock's holder removes the socket
// (a stale one when it starts listening, its own when it ends). The lock file stays.
class SingleInstance {
public:
    explicit SingleInstance(QString server_name = DefaultServerName());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    static QString DefaultServerName();

    // Makes this copy the running one: takes the lock and listens. False when another copy
    // holds the lock. A lock file that cannot be made at all does not keep the program from
    // running (nothing is removed then).
    bool Claim();
    // What runs (on this thread) whenever a later copy asks for the window; requests that come
    // before it is set are dropped.
    void SetRaiseRequest(std::function<void()> raise_request);
    // Asks the running copy to restore and raise its window; while that copy is still starting
    // and not yet listening, it retries for a few seconds. False when no copy answered.
    bool ActivateEarlierCopy() const;

    QString LockFilePath() const;

private:
    void Listen();

    QString server_name_;
    std::optional<FileLock> lock_;
    // After the lock: destroyed first, so that the socket goes while the lock is still held.
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> raise_request_;
};

}  // namespace kotar
