// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "XTools.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
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

void TestDesktop::WheelAt(const QString& window, QPoint client, int steps) const
{
    // Not --sync: the pointer is often there already, and xdotool would wait for a move that never
    // comes. The server takes the move before the turn all the same.
    const QPoint at = ClientArea(Environment, window, patience).topLeft() + client;
    Run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(at.x()),
                                    QString::number(at.y()), QStringLiteral("click"), QStringLiteral("--repeat"),
                                    QString::number(steps), QStringLiteral("5")});
}

QString TestDesktop::AwaitWindow(const QString& title) const
{
    QString window;
    return QTest::qWaitFor([&] { return !(window = WindowTitled(title)).isEmpty(); }, patience) ? window : QString();
}

bool TestDesktop::AwaitGone(const QString& title) const
{
    return QTest::qWaitFor([&] { return WindowTitled(title).isEmpty(); }, patience);
}

void TestDesktop::Activate(const QString& window) const
{
    Run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
}

void TestDesktop::Key(const QString& keys) const
{
    Run(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
}

void TestDesktop::Type(const QString& text)
{
    for (const QChar character : text) {
        const QChar lower = character.toLower();
        if (character.unicode() < 0x80 || keyedCharacters.contains(lower))
            continue;
        const QString spareKey = QRegularExpression(QStringLiteral("keycode +(\\d+) =\\s*$"),
                                                    QRegularExpression::MultilineOption)
                                     .match(Run(QStringLiteral("xmodmap"), {QStringLiteral("-pke")}))
                                     .captured(1);
        Run(QStringLiteral("xmodmap"), {QStringLiteral("-e"), QStringLiteral("keycode %1 = U%2 U%3")
                                                                  .arg(spareKey)
                                                                  .arg(lower.unicode(), 4, 16, QLatin1Char('0'))
                                                                  .arg(lower.toUpper().unicode(), 4, 16, QLatin1Char('0'))});
        keyedCharacters.insert(lower);
    }
    Run(QStringLiteral("xdotool"), {QStringLiteral("type"), text});
}

void TestDesktop::TypeInto(const QString& window, QPoint box, const QString& text)
{
    ClickAt(window, box);
    Key(QStringLiteral("ctrl+a"));
    Type(text);
}

bool TestDesktop::ChooseFiles(const QString& title, const QStringList& files)
{
    const QString dialog = AwaitWindow(title);
    if (dialog.isEmpty())
        return false;
    Activate(dialog);
    const QString typed =
        files.size() == 1 ? files.front() : QStringLiteral("\"%1\"").arg(files.join(QStringLiteral("\" \"")));
    Key(QStringLiteral("ctrl+a"));
    Type(typed);
    Key(QStringLiteral("Return"));
    return AwaitGone(title);
}

QString TestDesktop::CopiedText(const QString& window) const
{
    const auto clipboard = [this] {
        return Run(QStringLiteral("xclip"),
                   {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")});
    };
    const QString before = clipboard();
    Activate(window);
    Key(QStringLiteral("ctrl+c"));
    QString copied;
    return QTest::qWaitFor([&] { return (copied = clipboard()) != before; }, patience) ? copied : QString();
}

QImage TestDesktop::Picture(const QString& window) const
{
    QProcess import;
    import.setProcessEnvironment(Environment);
    import.start(QStringLiteral("import"), {QStringLiteral("-window"), window, QStringLiteral("png:-")});
    import.waitForFinished(patience);
    return QImage::fromData(import.readAllStandardOutput(), "PNG");
}

QImage TestDesktop::AwaitNewPicture(const QString& window, const QImage& before) const
{
    QImage last;
    QImage settled;
    return QTest::qWaitFor(
        [&] {
            const QImage now = Picture(window);
            if (!now.isNull() && now != before && now == last)
                settled = now;
            last = now;
            return !settled.isNull();
        },
        patience) ? settled : QImage();
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
