#include "XTools.h"

#include <QProcess>
#include <QRegularExpression>

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
