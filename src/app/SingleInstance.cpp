// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

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
constexpr int kAnswerDeadlineMs = 5000;
constexpr char kRaiseRequest[] = "raise\n";
constexpr char kRaiseAnswer[] = "raised\n";

// The message that says why the copy runs without the single-instance lock.
std::string UnguardedStartText(const std::string& reason) {
    return "起動中のアプリケーションを確認できません。\n" + reason + "\nこのまま起動します。";
}

std::string FolderProblemReason(const PrivateFolder& folder) {
    const std::string path = PathToUtf8(folder.path);
    switch (folder.problem) {
        case FolderProblem::None:
            break;
        case FolderProblem::CannotMake:
            return path + " を作成できません。";
        case FolderProblem::NotAFolder:
            return path + " はフォルダではありません。";
        case FolderProblem::OtherOwner:
            return path + " は別のユーザーのものです。";
        case FolderProblem::OpenToOthers:
            return path + " は他のユーザーも使えるフォルダです。";
    }
    return {};
}

std::string LockFailureReason(const std::filesystem::path& lock_path, LockFailure failure) {
    const std::string path = PathToUtf8(lock_path);
    switch (failure) {
        case LockFailure::None:
        case LockFailure::Taken:
            break;
        case LockFailure::CannotOpen:
            return path + " を作成できません。";
        case LockFailure::NotARegularFile:
            return path + " は通常のファイルではありません。";
        case LockFailure::OtherOwner:
            return path + " は別のユーザーのものです。";
    }
    return {};
}

}  // namespace

SingleInstance::SingleInstance(QString server_name)
    : folder_(UserRuntimeFolder()),
      server_name_(std::move(server_name)),
      server_address_(
          QString::fromStdString(LocalServerAddress(folder_.path, server_name_.toStdString()))) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultServerName() {
    // Per user, as the named mutex is per session on the original platform.
    return QStringLiteral("hPrevKOTAR") + QString::fromStdString(UserIdentity());
}

QString SingleInstance::LockFilePath() const {
    return QString::fromStdString(PathToUtf8(
        folder_.path / PathFromUtf8((server_name_ + QStringLiteral(".lock")).toStdString())));
}

bool SingleInstance::Claim() {
    problem_.clear();
    // Nothing is made in, nor removed from, a folder that is not the user's own.
    if (folder_.problem != FolderProblem::None) {
        problem_ = UnguardedStartText(FolderProblemReason(folder_));
        return true;
    }
    const std::filesystem::path lock_path = PathFromUtf8(LockFilePath().toStdString());
    LockFailure failure = LockFailure::None;
    lock_ = FileLock::TryAcquire(lock_path, LockOwner::User, &failure);
    if (!lock_) {
        if (failure == LockFailure::Taken)
            return false;  // a running copy holds it
        problem_ = UnguardedStartText(LockFailureReason(lock_path, failure));
        return true;
    }
    // Nobody else can be listening while the lock is ours: what is there is left over.
    QLocalServer::removeServer(server_address_);
    Listen();
    return true;
}

void SingleInstance::Listen() {
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Connected before listening: a copy that connects while the server starts is announced
    // from within listen() on Windows, and its request would go unanswered.
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            const auto read = [this, socket] {
                if (!socket->readAll().contains(kRaiseRequest[0]))
                    return;
                if (raise_request_)
                    raise_request_();
                socket->write(kRaiseAnswer);
                socket->flush();
            };
            QObject::connect(socket, &QLocalSocket::readyRead, socket, read);
            QObject::connect(socket, &QLocalSocket::disconnected, socket,
                             &QLocalSocket::deleteLater);
            if (socket->bytesAvailable() > 0)
                read();  // arrived with the connection
        }
    });
    if (!server_->listen(server_address_))
        server_.reset();  // the copy runs all the same; a later one cannot bring it forward then
}

void SingleInstance::SetRaiseRequest(std::function<void()> raise_request) {
    raise_request_ = std::move(raise_request);
}

bool SingleInstance::ActivateEarlierCopy() const {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QLocalSocket socket;
        socket.connectToServer(server_address_);
        if (socket.waitForConnected(kConnectAttemptMs)) {
            // A Windows pipe hands the request over only when the running copy reads it, and
            // drops it when this end closes first: the running copy's answer tells it arrived.
            // A copy too busy to answer still runs, so this one defers to it all the same.
            socket.write(kRaiseRequest);
            socket.waitForBytesWritten(kAnswerDeadlineMs);
            socket.waitForReadyRead(kAnswerDeadlineMs);
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
