// One wizard per user session. The first start holds the lock file
// "Kelvane.lock" in the runtime folder and listens on a local socket beside
// it; a later start finds the lock held, asks the running wizard through the
// socket to come forward, and ends without a message.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <string>

#include "app/InstanceLock.h"

class QLocalServer;

namespace kelvane {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Outcome {
    kFirst,           // we hold the lock and listen
    kAlreadyRunning,  // another wizard holds it; it has been asked to come forward
    kNoLock,          // the lock file cannot be made; we run without the guard
  };

  // `folder`: the runtime folder (FindRuntimeFolder); empty means none.
  explicit SingleInstance(std::string folder, QObject* parent = nullptr);
  ~SingleInstance() override;

  Outcome Claim();

  // The window brought forward when another start asks for it (the sheet of
  // the moment; cleared automatically when it is destroyed).
  void SetWindow(QWidget* window) { window_ = window; }

  QString SocketPath() const;
  static QString LockFileName() { return QStringLiteral("Kelvane.lock"); }
  static QString SocketFileName() { return QStringLiteral("Kelvane.socket"); }

 signals:
  // Emitted after the window was brought forward at another start's request.
  void broughtForward();

 private:
  void StartListening();
  void OnNewConnection();
  void BringForward();
  static bool AskRunningToComeForward(const QString& socketPath);

  std::string folder_;
  InstanceLock lock_;
  QLocalServer* server_ = nullptr;
  QPointer<QWidget> window_;
};

}  // namespace kelvane
