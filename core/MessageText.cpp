#include "core/MessageText.h"

#include <QList>
#include <QStringView>
#include <QTextBoundaryFinder>

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
