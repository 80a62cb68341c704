#pragma once

#include <QString>
#include <functional>
#include <memory>

class QLocalServer;

namespace kotar {

// Keeps a second copy of the program from running: the first copy listens on a local server
// named "hPrevKOTAR" plus the user id; a later copy finds it, asks it to restore and raise its
// window, and ends.
class SingleInstance {
public:
    explicit SingleInstance(QString server_name = DefaultServerName());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    static QString DefaultServerName();

    // True when an earlier copy answers on the server name.
    bool EarlierCopyRunning() const;
    // Asks the earlier copy to restore and raise its window.
    void ActivateEarlierCopy() const;
    // Makes this copy the running one; raise_request runs (on this thread) whenever a later
    // copy asks for the window. False when the server cannot be set up.
    bool BecomeRunningCopy(std::function<void()> raise_request);

private:
    QString server_name_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> raise_request_;
};

}  // namespace kotar
