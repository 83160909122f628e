// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/SampleGenerator.h"

#include "core/Numbers.h"

#include <chrono>

uint32_t GeneratorState = 0;
std::function<void()> SeedGenerator = SeedFromClock;

void SeedFromClock()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    GeneratorState = static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

uint32_t RandomBelow(uint32_t n)
{
    return RandomBelow(GeneratorState, n);
}

std::optional<uint32_t> TypedSeed(const QString& typed)
{
    if (typed.trimmed().isEmpty())
        return std::nullopt;
    return ParseUnsigned(typed);
}

uint32_t SeedOrNew(std::optional<uint32_t> typed)
{
    if (typed)
        return *typed;
    SeedGenerator();
    return GeneratorState;
}
