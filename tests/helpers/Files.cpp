// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Files.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QDir RowFolder(const QTemporaryDir& parent)
{
    const QString folder = parent.filePath(QString::fromUtf8(QTest::currentDataTag()));
    QDir().mkpath(folder);
    return QDir(folder);
}

FolderVariable::FolderVariable(const char* name, const QString& folder)
    : name(name), before(qgetenv(name)), wasSet(qEnvironmentVariableIsSet(name))
{
    qputenv(name, QFile::encodeName(folder));
}

FolderVariable::~FolderVariable()
{
    if (wasSet)
        qputenv(name, before);
    else
        qunsetenv(name);
}

QDir Corpus(const QString& name)
{
    return QDir(QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../fuzz/") + name));
}

void AddCorpusRows(const QDir& corpus)
{
    QTest::addColumn<QString>("path");
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    QVERIFY2(names.size() >= 10, qPrintable(corpus.path()));
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << corpus.filePath(name);
}
