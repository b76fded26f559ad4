// Two processes of the built program with one private runtime folder: the
// second start reaches the first and ends at once, the first keeps running.
// Also the locks and the runtime folder themselves.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "GuiTestSupport.h"
#include "app/InstanceLock.h"
#include "app/RuntimeFolder.h"
#include "app/SingleInstance.h"
#include "language/LanguageModule.h"

namespace kelvane {
namespace {

QString ProgramPath() {
  std::string folder;
  if (!ExecutableFolder(folder)) return QString();
  return QDir(QString::fromStdString(folder)).filePath(QStringLiteral("kelvane"));
}

void Prepare(QProcess& process, const QString& runtime) {
  process.setProgram(ProgramPath());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
  env.remove(QStringLiteral("LC_ALL"));
  process.setProcessEnvironment(env);
}

TEST(SecondInstance, EndsAtOnceWhileTheFirstRuns) {
  if (!QFile::exists(ProgramPath())) GTEST_SKIP() << "kelvane is not built next to the test program";
  QTemporaryDir runtime;
  ASSERT_TRUE(runtime.isValid());
  const QString socket = QDir(runtime.path()).filePath(SingleInstance::SocketFileName());

  QProcess first;
  Prepare(first, runtime.path());
  first.start();
  ASSERT_TRUE(first.waitForStarted(5000));
  // The first start listens once it holds the lock.
  QElapsedTimer clock;
  clock.start();
  while (!QFileInfo::exists(socket) && clock.elapsed() < 15000) test::Spin(50);
  ASSERT_TRUE(QFileInfo::exists(socket)) << "first start never listened";
  ASSERT_EQ(first.state(), QProcess::Running);

  for (int round = 0; round < 2; ++round) {
    QProcess second;
    Prepare(second, runtime.path());
    clock.restart();
    second.start();
    ASSERT_TRUE(second.waitForFinished(10000)) << "second start did not end, round " << round;
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    // It ends without any message and without touching the language modules.
    EXPECT_TRUE(second.readAllStandardError().isEmpty());
  }
  test::Spin(200);
  EXPECT_EQ(first.state(), QProcess::Running) << "the first wizard must survive the second start";

  first.kill();
  first.waitForFinished(5000);

  // With the first gone (killed, no clean-up), the lock is free again: a new
  // start becomes the running wizard instead of ending.
  QProcess third;
  Prepare(third, runtime.path());
  third.start();
  EXPECT_FALSE(third.waitForFinished(2500)) << "a start after a crashed wizard must run";
  third.kill();
  third.waitForFinished(5000);
}

TEST(InstanceLockFile, OneHolderAtATime) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string path = QDir(dir.path()).filePath(QStringLiteral("Kelvane.lock")).toStdString();
  InstanceLock a;
  InstanceLock b;
  EXPECT_EQ(a.Acquire(path), InstanceLock::Result::kAcquired);
  EXPECT_TRUE(a.Held());
  EXPECT_EQ(b.Acquire(path), InstanceLock::Result::kHeldElsewhere);
  EXPECT_FALSE(b.Held());
  a.Release();
  EXPECT_EQ(b.Acquire(path), InstanceLock::Result::kAcquired);
  {
    InstanceLock scoped;
    EXPECT_EQ(scoped.Acquire(QDir(dir.path()).filePath(QStringLiteral("other.lock")).toStdString()),
              InstanceLock::Result::kAcquired);
  }
  // Leaving scope released it.
  InstanceLock again;
  EXPECT_EQ(again.Acquire(QDir(dir.path()).filePath(QStringLiteral("other.lock")).toStdString()),
            InstanceLock::Result::kAcquired);
}

TEST(InstanceLockFile, RefusesAPlantedSymbolicLinkAndAMissingFolder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString target = QDir(dir.path()).filePath(QStringLiteral("target"));
  const QString link = QDir(dir.path()).filePath(QStringLiteral("Kelvane.lock"));
  ASSERT_TRUE(QFile::link(target, link));
  InstanceLock lock;
  EXPECT_EQ(lock.Acquire(link.toStdString()), InstanceLock::Result::kUnavailable);
  EXPECT_FALSE(QFileInfo::exists(target)) << "the lock must not create the link's target";
  EXPECT_EQ(lock.Acquire(QDir(dir.path()).filePath(QStringLiteral("no/such/dir/x.lock")).toStdString()),
            InstanceLock::Result::kUnavailable);
}

TEST(RuntimeFolderChoice, XdgRuntimeDirFirstThenAPrivateFallback) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
  std::string folder;

  qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
  ASSERT_TRUE(FindRuntimeFolder(folder));
  EXPECT_EQ(folder, dir.path().toStdString());

  // A relative or missing folder is not used; the fall-back is private.
  for (const char* bad : {"relative/dir", "/no/such/folder"}) {
    qputenv("XDG_RUNTIME_DIR", bad);
    ASSERT_TRUE(FindRuntimeFolder(folder)) << bad;
    EXPECT_EQ(folder, "/tmp/kelvane-" + std::to_string(geteuid())) << bad;
    struct stat info {};
    ASSERT_EQ(lstat(folder.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 077, 0u);
  }
  qputenv("XDG_RUNTIME_DIR", saved);
  if (saved.isEmpty()) qunsetenv("XDG_RUNTIME_DIR");
}

TEST(RuntimeFolderChoice, FallbackRefusesLinksAndOpensUpNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // A symbolic link in place of the folder, even to a folder of ours.
  const QString real = QDir(dir.path()).filePath(QStringLiteral("real"));
  const QString link = QDir(dir.path()).filePath(QStringLiteral("link"));
  ASSERT_TRUE(QDir().mkpath(real));
  ASSERT_TRUE(QFile::link(real, link));
  EXPECT_FALSE(PrepareOwnFolder(link.toStdString()));
  // A plain file in place of the folder.
  const QString file = QDir(dir.path()).filePath(QStringLiteral("file"));
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  EXPECT_FALSE(PrepareOwnFolder(file.toStdString()));
  // A folder of ours that others may read is closed up.
  const QString open = QDir(dir.path()).filePath(QStringLiteral("open"));
  ASSERT_EQ(mkdir(open.toLocal8Bit().constData(), 0777), 0);
  ASSERT_EQ(chmod(open.toLocal8Bit().constData(), 0777), 0);
  EXPECT_TRUE(PrepareOwnFolder(open.toStdString()));
  struct stat info {};
  ASSERT_EQ(stat(open.toLocal8Bit().constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  // Someone else's folder (only root can make one for this test).
  if (geteuid() == 0) {
    const QString foreign = QDir(dir.path()).filePath(QStringLiteral("foreign"));
    ASSERT_EQ(mkdir(foreign.toLocal8Bit().constData(), 0700), 0);
    ASSERT_EQ(chown(foreign.toLocal8Bit().constData(), 65534, 65534), 0);
    EXPECT_FALSE(PrepareOwnFolder(foreign.toStdString()));
  }
}

}  // namespace
}  // namespace kelvane
