#include "app/SingleInstance.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>

namespace kotar {
namespace {

constexpr int kConnectTimeoutMs = 1000;
constexpr char kRaiseRequest[] = "raise\n";

}  // namespace

SingleInstance::SingleInstance(QString server_name) : server_name_(std::move(server_name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultServerName() {
    // Per user, as the named mutex is per session on the original platform.
    return QStringLiteral("hPrevKOTAR") + QString::number(::getuid());
}

bool SingleInstance::EarlierCopyRunning() const {
    QLocalSocket probe;
    probe.connectToServer(server_name_);
    bool running = probe.waitForConnected(kConnectTimeoutMs);
    probe.abort();
    return running;
}

void SingleInstance::ActivateEarlierCopy() const {
    QLocalSocket socket;
    socket.connectToServer(server_name_);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return;
    socket.write(kRaiseRequest);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(kConnectTimeoutMs);
    }
}

bool SingleInstance::BecomeRunningCopy(std::function<void()> raise_request) {
    raise_request_ = std::move(raise_request);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A copy that crashed leaves its socket file behind; nobody answers on it any more.
    QLocalServer::removeServer(server_name_);
    if (!server_->listen(server_name_))
        return false;
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
    return true;
}

}  // namespace kotar
