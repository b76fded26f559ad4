#include "app/SingleInstance.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

namespace kelvane {

namespace {

constexpr char kComeForward[] = "come-forward\n";
// A request is one short line; anything longer is not from a wizard.
constexpr qint64 kMaxRequest = 64;
// How long a later start keeps trying to reach the first one, which may hold
// its lock but not yet listen.
constexpr int kReachWindowMs = 2000;

}  // namespace

SingleInstance::SingleInstance(std::string folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {}

SingleInstance::~SingleInstance() {
  if (server_ != nullptr) server_->close();
}

QString SingleInstance::SocketPath() const {
  return QDir(QString::fromStdString(folder_)).filePath(SocketFileName());
}

SingleInstance::Outcome SingleInstance::Claim() {
  if (folder_.empty()) return Outcome::kNoLock;
  const std::string lockPath =
      QDir(QString::fromStdString(folder_)).filePath(LockFileName()).toStdString();
  switch (lock_.Acquire(lockPath)) {
    case InstanceLock::Result::kAcquired:
      StartListening();
      return Outcome::kFirst;
    case InstanceLock::Result::kHeldElsewhere:
      AskRunningToComeForward(SocketPath());
      return Outcome::kAlreadyRunning;
    case InstanceLock::Result::kUnavailable:
      break;
  }
  return Outcome::kNoLock;
}

void SingleInstance::StartListening() {
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  // We hold the lock, so a socket file left here belongs to a wizard that is
  // gone and may be removed.
  QLocalServer::removeServer(SocketPath());
  connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
  if (!server_->listen(SocketPath())) {
    // Without the socket a second start still ends at the lock; it just cannot
    // bring this window forward.
    delete server_;
    server_ = nullptr;
  }
}

void SingleInstance::OnNewConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A peer that connects and says nothing is dropped after a while.
    QTimer::singleShot(kReachWindowMs, socket, [socket] { socket->abort(); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (socket->bytesAvailable() > kMaxRequest) {
        socket->abort();
        return;
      }
      if (!socket->canReadLine()) return;
      const QByteArray line = socket->readLine(kMaxRequest);
      if (line == kComeForward) BringForward();
      socket->disconnectFromServer();
    });
  }
}

void SingleInstance::BringForward() {
  if (window_.isNull()) return;
  QWidget* window = window_->window();
  if (window->isMinimized()) {
    window->showNormal();
  } else {
    window->show();
  }
  window->raise();
  window->activateWindow();
  emit broughtForward();
}

bool SingleInstance::AskRunningToComeForward(const QString& socketPath) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < kReachWindowMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (socket.waitForConnected(500)) {
      socket.write(kComeForward);
      const bool sent = socket.waitForBytesWritten(500);
      socket.disconnectFromServer();
      if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(200);
      return sent;
    }
    QThread::msleep(50);
  }
  return false;
}

}  // namespace kelvane
