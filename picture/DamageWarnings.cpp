// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/DamageWarnings.h"

#include <QLoggingCategory>
#include <QString>

#include <atomic>
#include <mutex>

// libjpeg's warnings reach Qt's log in the JPEG reader's category, one a picture at most.
static constexpr char JpegCategory[] = "qt.gui.imageio.jpeg";

struct DamageWarningCatcher {
    static inline thread_local DamageWarnings* current = nullptr;
    static inline std::atomic<QtMessageHandler> nextHandler = nullptr;
    static inline QLoggingCategory::CategoryFilter nextFilter = nullptr;

    // libjpeg's warnings of damaged data; others (an unknown JFIF revision, say) leave the
    // pixels as they are.
    static bool TellsDamage(const QMessageLogContext& context, const QString& message)
    {
        if (qstrcmp(context.category, JpegCategory) != 0)
            return false;
        static const char* const damage[] = {"Corrupt JPEG data", "Premature end of JPEG file",
                                             "Inconsistent progression sequence", "Invalid SOS parameters"};
        for (const char* start : damage)
            if (message.startsWith(QLatin1String(start)))
                return true;
        return false;
    }

    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (current && TellsDamage(context, message)) {
            current->seen = true;
            return;
        }
        if (const QtMessageHandler next = nextHandler.load())
            next(type, context, message);
    }

    // The warnings must be logged to be caught, whatever rules the user's settings give.
    static void KeepJpegWarnings(QLoggingCategory* category)
    {
        if (nextFilter)
            nextFilter(category);
        if (qstrcmp(category->categoryName(), JpegCategory) == 0)
            category->setEnabled(QtWarningMsg, true);
    }

    // Once for the program: installed again, the handler could find itself behind another
    // one that passes messages on to it, and call itself without end.
    static void Install()
    {
        static std::once_flag once;
        std::call_once(once, [] {
            nextFilter = QLoggingCategory::installFilter(KeepJpegWarnings);
            nextHandler = qInstallMessageHandler(Handle);
        });
    }
};

DamageWarnings::DamageWarnings() : outer(DamageWarningCatcher::current)
{
    DamageWarningCatcher::Install();
    DamageWarningCatcher::current = this;
}

DamageWarnings::~DamageWarnings()
{
    DamageWarningCatcher::current = outer;
}
