// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/FileLock.h"
#include "common/ProcessFolders.h"

class QLocalServer;

namespace kotar {

// Keeps a second copy of the program from running. The first copy takes an exclusive lock on
// the file "<name>.lock" (name: "hPrevKOTAR" plus the user id) in the user's private folder
// (UserRuntimeFolder), and only then listens on the local server "<name>" beside it; a later
// copy fails to take the lock, asks the running copy over the server to restore and raise its
// window, and ends. The system drops the lock with the process however it ends, so the lock
// file and the socket that a copy which died left behind never block a start; only the lock's
// holder removes the socket (a stale one when it starts listening, its own when it ends). The
// lock file stays.
// When the private folder or the lock file cannot be used (another user's, a link, a pipe), the
// copy runs unguarded and problem() says why: nothing another user planted can pass for a
// running copy or hold the start up.
class SingleInstance {
public:
    explicit SingleInstance(QString server_name = DefaultServerName());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    static QString DefaultServerName();

    // Makes this copy the running one: takes the lock and listens. False when another copy
    // holds the lock. True also when the lock cannot be used at all (see problem()).
    bool Claim();
    // After Claim: why this copy runs without the lock (a message for the user), or empty.
    const std::string& problem() const { return problem_; }
    // What runs (on this thread) whenever a later copy asks for the window; requests that come
    // before it is set are dropped.
    void SetRaiseRequest(std::function<void()> raise_request);
    // Asks the running copy to restore and raise its window; while that copy is still starting
    // and not yet listening, it retries for a few seconds. False when no copy answered.
    bool ActivateEarlierCopy() const;

    QString LockFilePath() const;
    // The local server's address (on POSIX the socket's path).
    const QString& ServerAddress() const { return server_address_; }

private:
    void Listen();

    PrivateFolder folder_;
    QString server_name_;
    QString server_address_;
    std::string problem_;
    std::optional<FileLock> lock_;
    // After the lock: destroyed first, so that the socket goes while the lock is still held.
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> raise_request_;
};

}  // namespace kotar
