// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The warnings by which Qt's JPEG reader tells that the data it decoded was damaged (libjpeg's
// "Corrupt JPEG data: bad Huffman code", "premature end of data segment" and the like). The
// reading still succeeds, with a picture shifted and colour-cast; only the warning tells.
//
// They are logged through Qt's message handler, which is the whole program's. The handler that
// catches them is installed once and passes on everything else; what it catches goes to the
// catcher living on the thread that logs it, the thread that decodes: reads on other threads
// (the simulation window reads its map on a worker) neither see nor disturb one another.

class DamageWarnings {
public:
    // Catches from now on, on this thread.
    DamageWarnings();
    ~DamageWarnings();
    DamageWarnings(const DamageWarnings&) = delete;
    DamageWarnings& operator=(const DamageWarnings&) = delete;

    // Whether a warning of damaged data was logged on this thread since the construction.
    bool Seen() const { return seen; }

private:
    friend struct DamageWarningCatcher;
    bool seen = false;
    DamageWarnings* outer;
};
