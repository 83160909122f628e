// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "XTools.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

QString RunXTool(const QProcessEnvironment& environment, const QString& tool,
                 const QStringList& arguments, int patience)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(tool, arguments);
    process.waitForFinished(patience);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString VisibleWindowTitled(const QProcessEnvironment& environment, const QString& title, int patience)
{
    return RunXTool(environment, QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                     "^" + QRegularExpression::escape(title) + "$"},
                    patience)
        .section('\n', 0, 0);
}

QRect ClientArea(const QProcessEnvironment& environment, const QString& window, int patience)
{
    const QString info = RunXTool(environment, QStringLiteral("xwininfo"), {QStringLiteral("-id"), window}, patience);
    const auto field = [&info](const char* name) {
        return QRegularExpression(QString::fromLatin1(name) + ":\\s+(-?\\d+)").match(info).captured(1).toInt();
    };
    return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"));
}

QString MissingTool(const QStringList& tools)
{
    for (const QString& tool : tools)
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return tool + QStringLiteral(" is not installed (./test.sh installs it)");
    return QString();
}

void EndProcess(QProcess& process, int patience)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(patience))
        process.kill();
}

TestDesktop::~TestDesktop()
{
    EndProcess(windowManager, patience);
    EndProcess(server, patience);
}

QString TestDesktop::StartServer(const QString& size)
{
    server.start(QStringLiteral("Xvfb"), {QStringLiteral("-screen"), QStringLiteral("0"), size + QStringLiteral("x24"),
                                         QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset"),
                                         QStringLiteral("-displayfd"), QStringLiteral("1")});
    if (!server.waitForReadyRead(patience))
        return QStringLiteral("Xvfb could not start: ") + QString::fromLocal8Bit(server.readAllStandardError());
    Environment.insert(QStringLiteral("DISPLAY"), ":" + QString::fromLatin1(server.readLine().trimmed()));
    return QString();
}

void TestDesktop::ClickAt(const QString& window, QPoint client) const
{
    const QPoint at = ClientArea(Environment, window, patience).topLeft() + client;
    Run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()),
                                    QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
}

QString TestDesktop::StartWindowManager()
{
    windowManager.setProcessEnvironment(Environment);
    windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    QElapsedTimer waited;
    waited.start();
    while (!Run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .contains(QStringLiteral("window id"))) {
        if (windowManager.state() == QProcess::NotRunning || waited.elapsed() > patience)
            return QStringLiteral("openbox could not start on the test X server: ") +
                   QString::fromLocal8Bit(windowManager.readAllStandardError());
        QThread::msleep(20);
    }
    return QString();
}
