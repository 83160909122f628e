// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/MessageText.h"

#include <QList>
#include <QStringView>
#include <QTextBoundaryFinder>

#include <cerrno>
#include <clocale>
#include <cstring>

namespace {

constexpr char32_t FirstStrongIsolate = 0x2068;
constexpr char32_t PopDirectionalIsolate = 0x2069;
const QString ellipsis = QStringLiteral("…");

QString ShortenedInTheMiddle(const QString& text)
{
    // Cut between characters as the user sees them: an accent stays with its letter, an
    // emoji with its modifiers.
    QList<qsizetype> starts;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary())
        starts << at;
    const qsizetype characters = starts.size();
    if (characters <= MaxQuotedCharacters)
        return text;
    const int head = MaxQuotedCharacters / 2;
    const int tail = MaxQuotedCharacters - head - 1;
    return text.left(starts[head - 1]) + ellipsis + text.mid(starts[characters - tail - 1]);
}

bool TurnsDirection(QChar::Direction direction)
{
    switch (direction) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirLRE:
    case QChar::DirLRO:
    case QChar::DirPDF:
    case QChar::DirRLI:
    case QChar::DirLRI:
    case QChar::DirFSI:
    case QChar::DirPDI:
        return true;
    default:
        return false;
    }
}

// The text between FSI and PDI, made so that the isolate holds: a PDI of the text's own that
// would close our isolate early is dropped, isolates that the text opens are closed before
// ours, and a line or paragraph break (which would end every isolate) becomes a blank.
QString Isolated(const QString& text)
{
    QString inner;
    int open = 0;
    for (const char32_t c : QStringView(text).toUcs4()) {
        const QChar::Direction direction = QChar::direction(c);
        if (direction == QChar::DirPDI) {
            if (open == 0)
                continue;
            --open;
        } else if (direction == QChar::DirLRI || direction == QChar::DirRLI ||
                   direction == QChar::DirFSI) {
            ++open;
        } else if (direction == QChar::DirB) {
            inner += QLatin1Char(' ');
            continue;
        }
        inner += QString::fromUcs4(&c, 1);
    }
    inner += QString(open, QChar(PopDirectionalIsolate));
    return QString::fromUcs4(&FirstStrongIsolate, 1) + inner +
           QString::fromUcs4(&PopDirectionalIsolate, 1);
}

}  // namespace

QString MessageQuote(const QString& text)
{
    const QString shortened = ShortenedInTheMiddle(text);
    for (const char32_t c : QStringView(shortened).toUcs4())
        if (TurnsDirection(QChar::direction(c)))
            return Isolated(shortened);
    return shortened;
}

QString SystemErrorText(int code)
{
    switch (code) {
    case ENOENT:
        return QStringLiteral("Aucun fichier ou dossier");
    case EACCES:
        return QStringLiteral("Autorisation refusée");
    case EPERM:
        return QStringLiteral("Opération non autorisée");
    case EISDIR:
        return QStringLiteral("C'est un dossier");
    case ENOTDIR:
        return QStringLiteral("Un élément du chemin n'est pas un dossier");
    case ENAMETOOLONG:
        return QStringLiteral("Nom de fichier trop long");
    case ENOSPC:
        return QStringLiteral("Aucun espace disponible sur le disque");
    case EDQUOT:
        return QStringLiteral("Quota d'espace disque dépassé");
    case EFBIG:
        return QStringLiteral("Fichier trop volumineux");
    case EROFS:
        return QStringLiteral("Système de fichiers en lecture seule");
    case ELOOP:
        return QStringLiteral("Trop de liens symboliques à suivre");
    case EMLINK:
        return QStringLiteral("Trop de liens");
    case ETXTBSY:
        return QStringLiteral("Fichier occupé");
    case EBUSY:
        return QStringLiteral("Périphérique ou ressource occupé");
    case EAGAIN:
        return QStringLiteral("Ressource temporairement indisponible");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Trop de fichiers ouverts simultanément");
    case EIO:
        return QStringLiteral("Erreur d'entrée-sortie");
    case EEXIST:
        return QStringLiteral("Le fichier existe déjà");
    case ENOMEM:
        return QStringLiteral("Mémoire insuffisante");
    default:
        break;
    }
    // The neutral language whatever the user's locale, trailing blanks, control characters and
    // full stops removed.
    static const locale_t neutral = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    QString text = QString::fromLocal8Bit(neutral ? strerror_l(code, neutral) : strerror(code)).left(256);
    while (!text.isEmpty() && (text.back().unicode() <= 32 || text.back() == QLatin1Char('.')))
        text.chop(1);
    return text;
}
