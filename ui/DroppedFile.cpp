#include "ui/DroppedFile.h"

#include <QMimeData>
#include <QUrl>

std::optional<QString> DroppedLocalFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    const QUrl first = data->urls().value(0);
    if (!first.isLocalFile() || first.toLocalFile().isEmpty())
        return std::nullopt;
    return first.toLocalFile();
}
