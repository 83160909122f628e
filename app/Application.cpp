#include "app/Application.h"

#include "app/Dispatch.h"
#include "app/Numbers.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFileInfo>
#include <QFont>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>
#include <QWidget>
#include <algorithm>
#include <optional>

namespace {

QString title;
bool terminated = false;

// The desktop announces changed regional settings to the application object.
class LocaleWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == qApp && event->type() == QEvent::LocaleChange)
            ReadDecimalSeparator();
        return false;
    }
};

// Return and Enter press the push button that has the focus, as Space does, in every window.
// A dialog keeps them: there they press its default button.
class ReturnPressesButtons : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->isEnabled() || qobject_cast<QDialog*>(button->window()))
            return false;
        if (!key->isAutoRepeat())  // a held key presses once, as Space does
            button->click();
        return true;
    }
};

// The program is French whatever the user's language, and so are the texts that Qt's own
// controls draw: the edit boxes' context menu, the standard buttons.
void LoadQtFrench(QApplication& application)
{
    auto* translator = new QTranslator(&application);
    if (translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

void MapLayoutFaces()
{
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Garamond"), QStringLiteral("EB Garamond"));
    QFont::insertSubstitution(QStringLiteral("Old English Text MT"), QStringLiteral("Blankenburg_UNZ1A"));
}

}  // namespace

QString TitleFromExecutable(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return name;
    // Executables here are named in lower case; the title reads as a name all the same.
    return name.left(1).toUpper() + name.mid(1).toLower();
}

QString ApplicationTitle()
{
    return title;
}

void SetUpApplication(QApplication& application)
{
    title = TitleFromExecutable(QApplication::applicationFilePath());
    application.setApplicationDisplayName(QString());
    application.setApplicationName(title);
    application.setQuitOnLastWindowClosed(false);
    ReadDecimalSeparator();
    // Set up once per application, however often the window set is made anew.
    static QPointer<QApplication> setUp;
    if (setUp != &application) {
        setUp = &application;
        application.installEventFilter(new LocaleWatcher(&application));
        application.installEventFilter(new ReturnPressesButtons(&application));
        LoadQtFrench(application);
    }
    MapLayoutFaces();
    terminated = false;
}

QScreen* ActiveMonitor()
{
    if (const QWidget* active = QApplication::activeWindow())
        return active->screen();
    return QApplication::primaryScreen();
}

QPoint PlaceOnMonitor(const QRect& window, const QList<QRect>& monitors, const QRect& activeMonitor)
{
    const QPoint corner = window.topLeft();
    const auto holder = std::find_if(monitors.begin(), monitors.end(),
                                     [corner](const QRect& monitor) { return monitor.contains(corner); });
    const QRect* own = holder != monitors.end() ? &*holder : nullptr;
    qint64 largestOverlap = 0;
    for (const QRect& monitor : monitors) {
        const QRect overlap = monitor.intersected(window);
        const qint64 area = qint64(overlap.width()) * overlap.height();
        if (holder == monitors.end() && area > largestOverlap) {
            largestOverlap = area;
            own = &monitor;
        }
    }
    if (!own)
        return corner;
    return activeMonitor.topLeft() + (corner - own->topLeft());
}

void ShowWindow(QWidget* window, const std::function<void()>& showHandler)
{
    if (window->isHidden()) {
        // Taken before the show handler, whose error box takes the activation for a while.
        const std::optional<QRect> activeMonitor =
            QApplication::activeWindow() ? std::optional(ActiveMonitor()->geometry()) : std::nullopt;
        if (showHandler)
            RunHandler(showHandler);
        if (activeMonitor) {
            QList<QRect> monitors;
            for (const QScreen* screen : QGuiApplication::screens())
                monitors << screen->geometry();
            const QPoint place = PlaceOnMonitor(window->frameGeometry(), monitors, *activeMonitor);
            if (place != window->frameGeometry().topLeft())
                window->move(place);
        }
        window->show();
    }
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

void Terminate()
{
    terminated = true;
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}

bool Terminated()
{
    return terminated;
}
