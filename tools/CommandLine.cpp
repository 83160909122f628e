// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/CommandLine.h"

#include "core/Numbers.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>

namespace {

// What was printed must have reached the output: a full disk or a closed pipe is a failure, not
// an empty result.
void FinishOutput()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        throw EOSError(QStringLiteral("Impossible d'écrire les résultats sur la sortie : %1")
                           .arg(QString::fromLocal8Bit(std::strerror(errno))));
}

}  // namespace

void Print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

Option TakeOption(const QStringList& arguments, qsizetype& at, const QStringList& valued)
{
    Option option{arguments[at].mid(2), {}, false};
    const qsizetype equals = option.Name.indexOf(QLatin1Char('='));
    if (equals >= 0) {
        option.Value = option.Name.mid(equals + 1);
        option.Name.truncate(equals);
        option.Written = true;
    } else if (valued.contains(option.Name)) {
        if (++at == arguments.size())
            throw MisusedCommandLine(QStringLiteral("L'option --%1 demande une valeur.").arg(option.Name));
        option.Value = arguments[at];
        option.Written = true;
    }
    return option;
}

int RunTool(int argc, char** argv, const QString& usage, const std::function<int(const QStringList&)>& run)
{
    QCoreApplication application(argc, argv);
    ReadDecimalSeparator();
    try {
        const int status = run(application.arguments());
        FinishOutput();
        return status;
    } catch (const MisusedCommandLine& error) {
        Print(stderr, error.Message + QLatin1Char('\n') + usage);
        return 2;
    } catch (const Exception& error) {
        Print(stderr, error.Message + QLatin1Char('\n'));
        return 1;
    }
}
