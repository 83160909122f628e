// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program's own pseudo-random generator, which places the sample points: a 32-bit linear
// congruential generator, seeded from the seed the user typed, or else from the clock, at every
// press of "Go" and every simulation run. The same seed on the same map gives the same points.

#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

// The most points one sample may have, in "Go", in a session file and in the simulation: "Go"
// places them inside its handler, and no class counts more by hand.
inline constexpr int32_t MaxSampleSize = 10000;

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

// Advances a generator's state one step and returns a fraction from 0 to just under 1, in steps
// of 2⁻³²: where a grid's start falls within its spacing.
inline double RandomFraction(uint32_t& state)
{
    state = state * 134775813u + 1u;
    return state / 4294967296.0;
}

// Where the next sample point falls on a map of width × height pixels, drawn x first, then y:
// every pixel, the edges included, as likely as any other. "Go" and the simulation both draw
// here, so that a seed gives the same points in both.
inline QPoint SamplePlace(uint32_t& state, uint32_t width, uint32_t height)
{
    const uint32_t x = RandomBelow(state, width);
    const uint32_t y = RandomBelow(state, height);
    return QPoint(int(x), int(y));
}

// The seed typed in a box: none for a blank box; EConvertError for a text that is no whole
// number from 0 to 4294967295. Read before anything is asked or changed.
std::optional<uint32_t> TypedSeed(const QString& typed);
// The seed typed, or else a new one from SeedGenerator (the clock's).
uint32_t SeedOrNew(std::optional<uint32_t> typed);

// How "Go" seeds the generator: SeedFromClock, unless a test puts a known state in its place.
extern std::function<void()> SeedGenerator;
