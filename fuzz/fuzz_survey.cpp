// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer entry: any bytes through the survey-file reader. A refusal is a normal outcome; a
// crash, a sanitizer report, a leak or a hang is a finding, and so is a survey the reader takes
// that the writer will not write back, that does not read back the same, or whose counts do
// not come back the same after every one is undone and redone.

#include "core/Errors.h"
#include "core/SurveyFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    SurveyFileContent first;
    try {
        first = ReadSurveyFile(bytes);
    } catch (const Exception&) {
        return 0;
    }
    const QByteArray written = WriteSurveyFile(first.Tally, first.MapFile, first.MapSha256);
    const SurveyFileContent second = ReadSurveyFile(written);
    if (WriteSurveyFile(second.Tally, second.MapFile, second.MapSha256) != written)
        std::abort();
    TSurveyTally undone = second.Tally;
    while (undone.Undo()) {
    }
    if (undone.PointsProbed != 0)
        std::abort();
    while (undone.Redo()) {
    }
    if (WriteSurveyFile(undone, second.MapFile, second.MapSha256) != written)
        std::abort();
    return 0;
}
