// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/Dispatch.h"

#include "core/Errors.h"
#include "core/MessageText.h"
#include "ui/Boxes.h"

#include <QTimer>
#include <QWidget>
#include <new>

namespace {

void Report(const Exception& error, HandlerKind kind)
{
    if (kind == HandlerKind::Paint) {
        QTimer::singleShot(0, [error] { ReportError(error); });
        return;
    }
    // A button still held down would otherwise keep the mouse while the box is open.
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    ReportError(error);
}

// A failure that none of our errors describes: a library's exception or anything else thrown.
// Its own text, in whatever language the library speaks, is kept after a French lead so that
// the user can tell what failed and pass it on.
Exception UnforeseenError(const char* detail)
{
    const QString lead = QStringLiteral("Erreur imprévue");
    const QString text = detail ? QString::fromUtf8(detail).trimmed() : QString();
    if (text.isEmpty())
        return Exception(QStringLiteral("Exception"), lead);
    return Exception(QStringLiteral("Exception"),
                     QStringLiteral("%1 : %2").arg(lead, MessageQuote(text)));
}

}  // namespace

void RunHandler(const std::function<void()>& handler, HandlerKind kind)
{
    try {
        handler();
    } catch (const Exception& error) {
        Report(error, kind);
    } catch (const std::bad_alloc&) {
        Report(EOutOfMemory(QStringLiteral("Mémoire insuffisante")), kind);
    } catch (const std::exception& error) {
        Report(UnforeseenError(error.what()), kind);
    } catch (...) {
        Report(UnforeseenError(nullptr), kind);
    }
}
