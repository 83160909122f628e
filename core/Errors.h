// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program's errors: each carries the name of its class and a French message. A handler
// never catches them; the dispatch guard reports them in the error box and the program goes on.

#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    Exception(QString className, QString message)
        : ClassName(std::move(className)), Message(std::move(message)), utf8(Message.toUtf8()) {}
    const char* what() const noexcept override { return utf8.constData(); }

    QString ClassName;
    QString Message;

private:
    QByteArray utf8;
};

#define SONDELIO_ERROR_CLASS(Name)                                                    \
    class Name : public Exception {                                                   \
    public:                                                                           \
        explicit Name(QString message) : Exception(QStringLiteral(#Name), std::move(message)) {} \
    };

SONDELIO_ERROR_CLASS(EConvertError)
SONDELIO_ERROR_CLASS(EZeroDivide)
SONDELIO_ERROR_CLASS(EInvalidOp)
SONDELIO_ERROR_CLASS(EOverflow)
SONDELIO_ERROR_CLASS(EReadError)
SONDELIO_ERROR_CLASS(EFOpenError)
SONDELIO_ERROR_CLASS(EFCreateError)
SONDELIO_ERROR_CLASS(EInvalidGraphic)
SONDELIO_ERROR_CLASS(EOSError)
SONDELIO_ERROR_CLASS(EOutOfResources)
SONDELIO_ERROR_CLASS(EOutOfMemory)
SONDELIO_ERROR_CLASS(EInvalidOperation)

#undef SONDELIO_ERROR_CLASS
