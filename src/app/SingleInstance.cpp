#include "app/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include "common/ProcessFolders.h"
#include "common/Utf8Path.h"

namespace kotar {
namespace {

constexpr int kActivateDeadlineMs = 5000;
constexpr int kConnectAttemptMs = 250;
constexpr int kRetryPauseMs = 50;
constexpr char kRaiseRequest[] = "raise\n";

}  // namespace

SingleInstance::SingleInstance(QString server_name) : server_name_(std::move(server_name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultServerName() {
    // Per user, as the named mutex is per session on the original platform.
    return QStringLiteral("hPrevKOTAR") + QString::fromStdString(UserIdentity());
}

QString SingleInstance::LockFilePath() const {
    // Beside the socket, which a plain server name puts in the temporary folder.
    return QDir(QDir::tempPath()).filePath(server_name_ + QStringLiteral(".lock"));
}

bool SingleInstance::Claim() {
    const std::filesystem::path lock_path = PathFromUtf8(LockFilePath().toStdString());
    lock_ = FileLock::TryAcquire(lock_path);
    if (!lock_) {
        // Taken by a running copy; a file that cannot be opened at all blocks nobody.
        std::error_code ec;
        if (std::filesystem::exists(lock_path, ec))
            return false;
    } else {
        // Nobody else can be listening while the lock is ours: what is there is left over.
        QLocalServer::removeServer(server_name_);
    }
    Listen();
    return true;
}

void SingleInstance::Listen() {
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(server_name_))
        return;  // the copy runs all the same; a later one cannot bring it forward then
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                if (socket->readAll().contains(kRaiseRequest[0]) && raise_request_) {
                    raise_request_();
                }
            });
            QObject::connect(socket, &QLocalSocket::disconnected, socket,
                             &QLocalSocket::deleteLater);
        }
    });
}

void SingleInstance::SetRaiseRequest(std::function<void()> raise_request) {
    raise_request_ = std::move(raise_request);
}

bool SingleInstance::ActivateEarlierCopy() const {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QLocalSocket socket;
        socket.connectToServer(server_name_);
        if (socket.waitForConnected(kConnectAttemptMs)) {
            socket.write(kRaiseRequest);
            socket.waitForBytesWritten(kConnectAttemptMs);
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState)
                socket.waitForDisconnected(kConnectAttemptMs);
            return true;
        }
        if (waited.elapsed() >= kActivateDeadlineMs)
            return false;
        QThread::msleep(kRetryPauseMs);  // the running copy may not be listening yet
    }
}

}  // namespace kotar
