// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Reading a picture's bytes from a stream, front to back. A short read is the stream's error:
// EReadError "Erreur de lecture du flux".

#include <QIODevice>

#include <span>
#include <sys/uio.h>

[[noreturn]] void FailStreamRead();

// Reads up to count bytes; returns how many came.
qint64 ReadUpTo(QIODevice& stream, void* to, qint64 count);
void ReadExactly(QIODevice& stream, void* to, qint64 count);
// Reads bytes that are not kept, without ever holding them all.
void SkipExactly(QIODevice& stream, qint64 count);
// Fills the stretches of memory in order from consecutive bytes of the stream. From an
// unbuffered file this takes one system call for up to IOV_MAX stretches (a bottom-up picture
// has one a row).
void ReadStretches(QIODevice& stream, std::span<iovec> stretches);
