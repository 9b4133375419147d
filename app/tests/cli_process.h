// Runs a command-line program to its end for the end-to-end tests: standard input given
// (and closed), a private settings folder when one is named, killed after the time-out.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ProcessRun {
  int exitCode = -1;  // -1 did not finish in time, -2 crashed
  QByteArray output;
  QString errors;
};

inline ProcessRun runProcess(const QString& program, const QStringList& args,
                             const QString& configHome = {}, const QByteArray& input = {},
                             int timeoutMs = 60000) {
  QProcess p;
  if (!configHome.isEmpty()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", configHome);
    p.setProcessEnvironment(env);
  }
  p.start(program, args);
  p.write(input);
  p.closeWriteChannel();
  ProcessRun r;
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
  r.output = p.readAllStandardOutput();
  r.errors = QString::fromUtf8(p.readAllStandardError());
  return r;
}
