// The program started where there is no display ends with one plain line and exit code 1, not
// with Qt's abort and a core dump.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

namespace lantervo::qt {
namespace {

struct Outcome {
  int exitCode = -1;
  bool crashed = true;
  QString errors;
};

Outcome StartWithout(const QString& display) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
  environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
  environment.remove(QStringLiteral("DISPLAY"));
  if (!display.isEmpty()) environment.insert(QStringLiteral("DISPLAY"), display);
  QProcess program;
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(LANTERVO_QT_PROGRAM), {});
  Outcome outcome;
  if (!program.waitForFinished(30000)) {
    program.kill();
    program.waitForFinished();
    return outcome;
  }
  outcome.crashed = program.exitStatus() != QProcess::NormalExit;
  outcome.exitCode = program.exitCode();
  outcome.errors = QString::fromLocal8Bit(program.readAllStandardError());
  return outcome;
}

TEST(NoDisplay, TheProgramSaysSoInOneLineAndEndsWithExitCodeOne) {
  const Outcome unset = StartWithout({});
  EXPECT_FALSE(unset.crashed);
  EXPECT_EQ(unset.exitCode, 1);
  EXPECT_EQ(unset.errors,
            "lantervo: no display (DISPLAY is not set); Lantervo needs a desktop session.\n");

  // A display that does not exist: no X server listens on number 987.
  const Outcome gone = StartWithout(QStringLiteral(":987"));
  EXPECT_FALSE(gone.crashed);
  EXPECT_EQ(gone.exitCode, 1);
  EXPECT_EQ(gone.errors,
            "lantervo: cannot open the display \":987\"; Lantervo needs a desktop session.\n");
}

}  // namespace
}  // namespace lantervo::qt
