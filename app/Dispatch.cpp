#include "app/Dispatch.h"

#include "app/Boxes.h"
#include "app/Errors.h"

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

}  // namespace

void RunHandler(const std::function<void()>& handler, HandlerKind kind)
{
    try {
        handler();
    } catch (const Exception& error) {
        Report(error, kind);
    } catch (const std::bad_alloc&) {
        Report(EOutOfMemory(QStringLiteral("Mémoire insuffisante")), kind);
    }
}
