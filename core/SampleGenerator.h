// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program's own pseudo-random generator, which places the sample points: a 32-bit linear
// congruential generator seeded from the clock at every press of "Go".

#include <cstdint>
#include <functional>

// The whole state of the generator; 0 at start-up.
extern uint32_t GeneratorState;

// The low 32 bits of a monotonic nanosecond clock: different at every press of "Go".
void SeedFromClock();

// Advances a generator's state one step and returns a number from 0 to n - 1 (0 when n is 0).
// Inline: the simulation draws tens of millions of them, each from a state of its own, and must
// give the very sequence that "Go" gives from the same seed.
inline uint32_t RandomBelow(uint32_t& state, uint32_t n)
{
    state = state * 134775813u + 1u;
    return static_cast<uint32_t>((static_cast<uint64_t>(state) * n) >> 32);
}

// The same step on the program's generator.
uint32_t RandomBelow(uint32_t n);

// How "Go" seeds the generator: SeedFromClock, unless a test puts a known state in its place.
extern std::function<void()> SeedGenerator;
