#pragma once

// Runs tests of this very binary again as an unprivileged user, for the
// cases root is let through (a read-only folder or file). The binary is
// copied where that user may run it; setpriv drops to nobody.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <string>

namespace orva::test {

struct AsUserRun {
    bool possible = false; // false: could not drop privileges; `output` says why
    int exitCode = -1;
    std::string output;
};

inline AsUserRun runAsUnprivilegedUser(const QString& gtestFilter)
{
    AsUserRun run;
    const QStringList drop{"--reuid=65534", "--regid=65534", "--clear-groups"};
    QTemporaryDir dir(QDir::tempPath() + "/orva-as-user-XXXXXX");
    const QString copy = dir.filePath("suite");
    if (!dir.isValid() || !QFile::copy("/proc/self/exe", copy)) {
        run.output = "cannot copy the test binary to " + dir.path().toStdString();
        return run;
    }
    const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
        | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(dir.path(), everyone);
    QFile::setPermissions(copy, everyone);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("XDG_RUNTIME_DIR");
    env.insert("HOME", QDir::tempPath());
    QProcess probe;
    probe.start("setpriv", drop + QStringList{"true"});
    if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
        run.output = "setpriv cannot drop to user nobody here: "
            + (probe.readAllStandardError() + probe.errorString().toUtf8()).toStdString();
        return run;
    }
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start("setpriv", drop + QStringList{copy, "--gtest_filter=" + gtestFilter});
    run.possible = true;
    if (!child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished(5000);
    }
    run.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    run.output = child.readAll().toStdString();
    return run;
}

} // namespace orva::test
