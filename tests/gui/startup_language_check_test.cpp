// kelvane --check-languages: the built program loads its fourteen modules from
// res/ beside itself; a copy of the program beside an incomplete or damaged
// res/ says which module failed and exits 1. The package test runs the same
// option on the installed program.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "language/LanguageModule.h"
#include "language/LanguageTable.h"

namespace kelvane {
namespace {

QString BuiltFolder() {
  std::string folder;
  return ExecutableFolder(folder) ? QString::fromStdString(folder) : QString();
}

struct CheckRun {
  int exitCode = -1;
  QString output;
};

CheckRun RunCheck(const QString& program) {
  QProcess process;
  process.setProgram(program);
  process.setArguments({QStringLiteral("--check-languages")});
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  process.setProcessEnvironment(env);
  process.start();
  CheckRun run;
  if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) return run;
  run.exitCode = process.exitCode();
  run.output = QString::fromUtf8(process.readAllStandardOutput());
  return run;
}

// The line of one module: "<name> <verdict> <path>".
QString LineOf(const QString& output, const char* name) {
  for (const QString& line : output.split(QLatin1Char('\n'))) {
    if (line.startsWith(QString::fromLatin1(name) + QLatin1Char(' '))) return line.simplified();
  }
  return QString();
}

TEST(LanguageCheck, BuiltProgramLoadsAllFourteenFromItsOwnFolder) {
  const QString program = QDir(BuiltFolder()).filePath(QStringLiteral("kelvane"));
  if (!QFile::exists(program)) GTEST_SKIP() << "kelvane is not built next to the test program";
  const CheckRun run = RunCheck(program);
  ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
  for (int row = 0; row < kLanguageCount; ++row) {
    const char* name = LanguageModuleName(LanguageAtIndex(row));
    const QString expected = QStringLiteral("%1 ok %2res/LNG_%1.so").arg(QString::fromLatin1(name), BuiltFolder());
    EXPECT_EQ(LineOf(run.output, name), expected) << run.output.toStdString();
  }
  EXPECT_TRUE(run.output.contains(QStringLiteral("14 of 14 language modules loaded"))) << run.output.toStdString();
}

TEST(LanguageCheck, CopyBesideIncompleteModulesNamesEachFailure) {
  const QString built = BuiltFolder();
  if (!QFile::exists(QDir(built).filePath(QStringLiteral("kelvane")))) GTEST_SKIP() << "kelvane is not built";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString copy = QDir(dir.path()).filePath(QStringLiteral("kelvane"));
  ASSERT_TRUE(QFile::copy(QDir(built).filePath(QStringLiteral("kelvane")), copy));
  ASSERT_TRUE(QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::ExeOwner));
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("res")));

  // Greek left out, Korean replaced by a file that is no library: the other
  // twelve come from the build tree.
  for (int row = 0; row < kLanguageCount; ++row) {
    const std::string name = LanguageModuleName(LanguageAtIndex(row));
    const QString file = QStringLiteral("res/LNG_%1.so").arg(QString::fromStdString(name));
    if (name == "Greek") continue;
    if (name == "Korean") {
      QFile broken(QDir(dir.path()).filePath(file));
      ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
      broken.write("not a shared library\n");
      continue;
    }
    ASSERT_TRUE(QFile::copy(QDir(built).filePath(file), QDir(dir.path()).filePath(file))) << name;
  }

  const CheckRun run = RunCheck(copy);
  EXPECT_EQ(run.exitCode, 1) << run.output.toStdString();
  const QString folder = QDir(dir.path()).absolutePath() + QLatin1Char('/');
  struct Expect {
    const char* name;
    const char* verdict;
  };
  for (const Expect& e : {Expect{"Greek", "FAILED"}, Expect{"Korean", "FAILED"}, Expect{"English", "ok"},
                          Expect{"ChineseTrad", "ok"}}) {
    const QString expected =
        QStringLiteral("%1 %2 %3res/LNG_%1.so").arg(QString::fromLatin1(e.name), QString::fromLatin1(e.verdict), folder);
    EXPECT_EQ(LineOf(run.output, e.name), expected) << run.output.toStdString();
  }
  EXPECT_TRUE(run.output.contains(QStringLiteral("12 of 14 language modules loaded"))) << run.output.toStdString();
}

}  // namespace
}  // namespace kelvane
