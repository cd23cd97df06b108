#include "tests/support/ProgramRun.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

ProgramRun runProgram(const QString& program, const QStringList& arguments, const std::optional<QStringList>& language)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    if (language) {
        for (const QString& key : env.keys())
            if (key == "LANG" || key == "LANGUAGE" || key.startsWith("LC_"))
                env.remove(key);
        for (const QString& pair : *language)
            env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(50000)) << program.toStdString();
    ProgramRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    run.err = QString::fromUtf8(process.readAllStandardError()).trimmed();
    return run;
}
