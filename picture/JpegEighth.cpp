// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/JpegEighth.h"

#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace {

// Codes of up to LookBits bits are found in one look-up; longer ones bit by bit.
constexpr int LookBits = 10;
// The look-up that steps over several AC codes with their extra bits at once.
constexpr int StepBits = 13;
constexpr int MaxBlocksInMcu = 10;

// Where the n-th coefficient of a block's zigzag lies in its 8 × 8 rows; past the end, where
// libjpeg puts a run of zeros that overshoots: on the last.
constexpr std::array<uint8_t, 80> NaturalOrder{
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13,
    6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31,
    39, 46, 53, 60, 61, 54, 47, 55, 62, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63};

// A transform's output as libjpeg limits it to a sample: the range it expects kept, a far one
// wrapped as its table wraps it.
uint8_t RangeLimit(int64_t value)
{
    const int at = int(value & 1023);
    return uint8_t(at < 128 ? at + 128 : at < 512 ? 255 : at < 896 ? 0 : at - 896);
}

// libjpeg's 2 × 2 reduced inverse transform of a block's dequantized coefficients, natural order,
// without its DC coefficient: each sample comes out as RangeLimit((dc + sum) >> 3) once the DC
// coefficient dc is known, exactly as the whole transform would give it.
std::array<int32_t, 4> QuarterSums(const std::array<int32_t, 64>& z)
{
    // sqrt(2) × the cosines' sums libjpeg names, at 13 bits.
    constexpr int64_t c720 = 5906, c850 = 6967, c1272 = 10426, c3624 = 29692;
    const auto odd = [&](const auto& at) { return -c720 * at(7) + c850 * at(5) - c1272 * at(3) + c3624 * at(1); };
    std::array<std::array<int64_t, 8>, 2> work{};
    for (const int column : {0, 1, 3, 5, 7}) {
        const int64_t even = int64_t(z[size_t(column)]) * (1 << 15);
        const int64_t sum = odd([&](int row) { return int64_t(z[size_t(row * 8 + column)]); });
        work[0][size_t(column)] = (even + sum + (1 << 12)) >> 13;
        work[1][size_t(column)] = (even - sum + (1 << 12)) >> 13;
    }
    std::array<int32_t, 4> sums{};
    for (size_t row = 0; row < 2; ++row) {
        const int64_t even = work[row][0] * (1 << 15);
        const int64_t sum = odd([&](int column) { return work[row][size_t(column)]; });
        sums[row * 2] = int32_t((even + sum + (1 << 19)) >> 17);
        sums[row * 2 + 1] = int32_t((even - sum + (1 << 19)) >> 17);
    }
    return sums;
}

struct HuffmanTable {
    bool defined = false;
    // (length << 8) | symbol for a code of up to LookBits bits, 0 for a longer one.
    std::vector<uint16_t> look;
    // For the next StepBits bits, as many whole codes with their extra bits as they hold. AC:
    // bits taken (low 8), coefficients moved on (next 8), and 1 << 16 when the last code ends
    // the block. DC: the bits of the code and its difference (low 8), the difference (high 16).
    // 0: not one whole code.
    std::vector<uint32_t> step;
    // For an AC table, the next code and its coefficient when both lie within StepBits bits: bits
    // taken (low 5), the zeros before it (next 5), 1 << 10 when it ends the block, the
    // coefficient (high 16). 0: longer.
    std::vector<uint32_t> value;
    std::array<int32_t, 18> maxCode{};
    std::array<int32_t, 17> valueOffset{};
    std::array<uint8_t, 256> symbols{};

    // The symbol of a code of `length` bits, -1 when no code of that length has that value.
    int Symbol(int32_t code, int length) const
    {
        return code <= maxCode[size_t(length)] ? symbols[uint8_t(code + valueOffset[size_t(length)])] : -1;
    }
};

// A DC difference or AC coefficient from its extra bits, as JPEG extends them.
int Extend(int value, int bits)
{
    return bits == 0 ? 0 : value < (1 << (bits - 1)) ? value - (1 << bits) + 1 : value;
}

// An AC symbol of no extra bits but a run of 16 zeros ends its block, as libjpeg takes it.
bool EndsBlock(int symbol)
{
    return (symbol & 15) == 0 && symbol >> 4 != 15;
}

// The canonical codes of a table segment's counts and symbols; false for counts libjpeg refuses.
bool BuildTable(HuffmanTable& table, const uint8_t* counts, const uint8_t* symbols, int total, bool ac)
{
    // A DC symbol is a difference's number of bits.
    if (!ac && std::any_of(symbols, symbols + total, [](uint8_t symbol) { return symbol > 15; }))
        return false;
    table.defined = true;
    std::copy(symbols, symbols + total, table.symbols.begin());
    table.look.assign(1 << LookBits, 0);
    int32_t code = 0;
    int index = 0;
    for (int length = 1; length <= 16; ++length) {
        const int count = counts[length - 1];
        table.valueOffset[size_t(length)] = index - code;
        for (int i = 0; i < count; ++i, ++index, ++code) {
            if (code >= (1 << length))
                return false;
            if (length <= LookBits)
                std::fill_n(table.look.begin() + (code << (LookBits - length)), 1 << (LookBits - length),
                            uint16_t(length << 8 | table.symbols[size_t(index)]));
        }
        table.maxCode[size_t(length)] = count ? code - 1 : -1;
        // No code may be all ones, as libjpeg requires.
        if (count && code >= (1 << length))
            return false;
        code <<= 1;
    }
    table.maxCode[17] = INT32_MAX;

    table.step.assign(1 << StepBits, 0);
    table.value.assign(ac ? 1 << StepBits : 0, 0);
    for (uint32_t bits = 0; bits < (1u << StepBits); ++bits) {
        int used = 0;
        int moved = 0;
        for (;;) {
            int symbol = -1;
            int length = 1;
            for (; symbol < 0 && length <= 16 && used + length <= StepBits; ++length)
                symbol = table.Symbol(int32_t(bits >> (StepBits - used - length) & ((1u << length) - 1)), length);
            --length;
            const int extra = symbol & 15;
            if (symbol < 0 || (!ac && symbol > 11) || used + length + extra > StepBits)
                break;
            if (ac && used == 0) {
                const int coefficient = Extend(int(bits >> (StepBits - length - extra) & ((1u << extra) - 1)), extra);
                table.value[bits] = uint32_t(length + extra) | uint32_t(symbol >> 4) << 5 |
                                    uint32_t(EndsBlock(symbol)) << 10 | uint32_t(uint16_t(int16_t(coefficient))) << 16;
            }
            used += length + extra;
            if (!ac) {
                const int value = Extend(int(bits >> (StepBits - used) & ((1u << extra) - 1)), extra);
                table.step[bits] = uint32_t(used) | uint32_t(uint16_t(int16_t(value))) << 16;
                break;
            }
            if (EndsBlock(symbol)) {
                table.step[bits] = uint32_t(used) | uint32_t(moved) << 8 | 1u << 16;
                break;
            }
            moved += extra == 0 ? 16 : (symbol >> 4) + 1;
            if (moved > 63)
                break;
            table.step[bits] = uint32_t(used) | uint32_t(moved) << 8;
        }
    }
    return true;
}

// The compressed data read first bit first, through a 64-bit buffer whose bits are left-aligned.
// The data is followed by enough zero bytes for any block read past its end.
class BitReader {
public:
    BitReader(const uint8_t* data, uint64_t position) : start(data) { MoveTo(position); }

    uint64_t Position() const { return uint64_t(next - start) * 8 - uint64_t(count); }
    void MoveTo(uint64_t position)
    {
        next = start + position / 8;
        buffer = 0;
        count = 0;
        Refill();
        Skip(int(position % 8));
    }
    // At least 56 bits in the buffer.
    void Refill()
    {
        buffer |= qFromBigEndian<quint64>(next) >> count;
        next += (63 - count) >> 3;
        count |= 56;
    }
    void RefillForAStep()
    {
        if (count < 32)
            Refill();
    }
    uint32_t Peek(int bits) const { return uint32_t(buffer >> (64 - bits)); }
    void Skip(int bits)
    {
        buffer <<= bits;
        count -= bits;
    }
    int Take(int bits)
    {
        const int value = bits ? int(Peek(bits)) : 0;
        Skip(bits);
        return value;
    }
    // The next code's symbol; -1 for a code the table does not have. Needs 16 bits.
    int Decode(const HuffmanTable& table)
    {
        if (const uint16_t entry = table.look[Peek(LookBits)]) {
            Skip(entry >> 8);
            return entry & 0xFF;
        }
        for (int length = LookBits + 1; length <= 16; ++length)
            if (const int symbol = table.Symbol(int32_t(Peek(length)), length); symbol >= 0) {
                Skip(length);
                return symbol;
            }
        return -1;
    }

private:
    const uint8_t* start;
    const uint8_t* next = nullptr;
    uint64_t buffer = 0;
    int count = 0;
};

struct Component {
    int id = 0;
    int across = 1;  // blocks across in an MCU
    int down = 1;
    int quantTable = 0;
    int dcTable = 0;
    int acTable = 0;
    // Samples across and down a block at an eighth: 2 for chroma of half the blocks both ways,
    // which libjpeg transforms at 2 × 2 rather than enlarge afterwards.
    int scaled = 1;
    int blocksWide = 0;
    std::vector<uint8_t> samples;  // scaled × scaled for each block
};

// What the headers say, up to the scan.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<Component> components;
    std::array<std::array<int32_t, 64>, 4> quant{};  // in the coefficients' natural order
    std::array<bool, 4> quantDefined{};
    std::array<HuffmanTable, 8> tables;  // DC 0 to 3, AC 4 to 7
    int restartInterval = 0;
    size_t scanStart = 0;
    int mcusWide = 0;
    int mcusHigh = 0;
    int blocksInMcu = 0;
    int quarterBlocksInMcu = 0;  // blocks of the components scaled 2
};

std::optional<Frame> ReadHeaders(const uint8_t* bytes, size_t size)
{
    if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return std::nullopt;
    Frame frame;
    bool adobe = false;
    bool jfif = false;
    for (size_t at = 2; !frame.scanStart;) {
        if (at + 4 > size || bytes[at] != 0xFF)
            return std::nullopt;
        const uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        const size_t length = qFromBigEndian<quint16>(bytes + at + 2);
        if (length < 2 || at + 2 + length > size)
            return std::nullopt;
        const uint8_t* segment = bytes + at + 4;
        const size_t rest = length - 2;
        at += 2 + length;
        if (marker == 0xDB) {
            for (size_t p = 0; p < rest;) {
                const int precision = segment[p] >> 4, id = segment[p] & 15;
                const size_t tableBytes = precision ? 128 : 64;
                if (id > 3 || precision > 1 || p + 1 + tableBytes > rest)
                    return std::nullopt;
                // libjpeg keeps them in 16 signed bits.
                for (size_t k = 0; k < 64; ++k)
                    frame.quant[size_t(id)][NaturalOrder[k]] =
                        int16_t(precision ? qFromBigEndian<quint16>(segment + p + 1 + 2 * k) : segment[p + 1 + k]);
                frame.quantDefined[size_t(id)] = true;
                p += 1 + tableBytes;
            }
        } else if (marker == 0xC4) {
            for (size_t p = 0; p < rest;) {
                if (p + 17 > rest)
                    return std::nullopt;
                const int kind = segment[p] >> 4, id = segment[p] & 15;
                int total = 0;
                for (size_t i = 1; i <= 16; ++i)
                    total += segment[p + i];
                if (kind > 1 || id > 3 || total > 256 || p + 17 + size_t(total) > rest ||
                    !BuildTable(frame.tables[size_t(kind * 4 + id)], segment + p + 1, segment + p + 17, total, kind == 1))
                    return std::nullopt;
                p += 17 + size_t(total);
            }
        } else if (marker == 0xC0 || marker == 0xC1) {
            // Baseline or extended sequential, Huffman coded, 8 bits: one or three components.
            if (rest < 6 || segment[0] != 8 || !frame.components.empty())
                return std::nullopt;
            frame.height = qFromBigEndian<quint16>(segment + 1);
            frame.width = qFromBigEndian<quint16>(segment + 3);
            const size_t count = segment[5];
            if ((count != 1 && count != 3) || rest != 6 + count * 3 || frame.width == 0 || frame.height == 0)
                return std::nullopt;
            for (size_t c = 0; c < count; ++c) {
                const uint8_t* part = segment + 6 + c * 3;
                // A lone component's MCU is one block, whatever its factors say.
                const auto sound = [](int blocks) { return blocks == 1 || blocks == 2 || blocks == 4; };
                if (part[2] > 3 || !sound(part[1] >> 4) || !sound(part[1] & 15))
                    return std::nullopt;
                Component component;
                component.id = part[0];
                component.across = count == 1 ? 1 : part[1] >> 4;
                component.down = count == 1 ? 1 : part[1] & 15;
                component.quantTable = part[2];
                for (const Component& before : frame.components)
                    if (before.id == component.id)
                        return std::nullopt;
                frame.components.push_back(component);
            }
        } else if (marker == 0xDD) {
            if (rest != 2)
                return std::nullopt;
            frame.restartInterval = qFromBigEndian<quint16>(segment);
        } else if (marker == 0xEE) {
            adobe = true;
        } else if (marker == 0xE0) {
            jfif = jfif || (rest >= 14 && std::memcmp(segment, "JFIF", 5) == 0);
        } else if (marker == 0xDA) {
            // One scan of every component, all coefficients at once.
            const size_t count = frame.components.size();
            if (count == 0 || rest != 4 + count * 2 || segment[0] != count)
                return std::nullopt;
            for (size_t c = 0; c < count; ++c) {
                Component& component = frame.components[c];
                component.dcTable = segment[2 + c * 2] >> 4;
                component.acTable = 4 + (segment[2 + c * 2] & 15);
                if (segment[1 + c * 2] != component.id || component.dcTable > 3 || component.acTable > 7 ||
                    !frame.tables[size_t(component.dcTable)].defined || !frame.tables[size_t(component.acTable)].defined ||
                    !frame.quantDefined[size_t(component.quantTable)])
                    return std::nullopt;
            }
            const uint8_t* spectrum = segment + 1 + count * 2;
            if (spectrum[0] != 0 || spectrum[1] != 63 || spectrum[2] != 0)
                return std::nullopt;
            frame.scanStart = at;
        } else if ((marker < 0xE1 || marker > 0xEF) && marker != 0xFE) {
            // Other frames (progressive, arithmetic, lossless), a height given later, no scan, or
            // markers libjpeg does not know; applications' segments and comments are stepped over.
            return std::nullopt;
        }
    }
    // Three components may be RGB, which libjpeg tells from an Adobe segment, or without a JFIF
    // one from their names.
    const auto namedRgb = [&] {
        return frame.components[0].id == 'R' && frame.components[1].id == 'G' && frame.components[2].id == 'B';
    };
    if (frame.components.size() == 3 && (adobe || (!jfif && namedRgb())))
        return std::nullopt;
    int acrossMost = 1, downMost = 1;
    for (const Component& component : frame.components) {
        acrossMost = std::max(acrossMost, component.across);
        downMost = std::max(downMost, component.down);
    }
    // Luma with the most blocks; the others' a part of it.
    if (frame.components[0].across != acrossMost || frame.components[0].down != downMost)
        return std::nullopt;
    frame.mcusWide = (frame.width + 8 * acrossMost - 1) / (8 * acrossMost);
    frame.mcusHigh = (frame.height + 8 * downMost - 1) / (8 * downMost);
    for (Component& component : frame.components) {
        if (acrossMost % component.across || downMost % component.down)
            return std::nullopt;
        // libjpeg doubles a component's transform while its blocks divide the most twice over
        // both ways; this decoder goes as far as 2.
        const auto divides = [](int most, int blocks, int size) { return most % (blocks * size * 2) == 0; };
        if (divides(acrossMost, component.across, 1) && divides(downMost, component.down, 1))
            component.scaled = 2;
        if (divides(acrossMost, component.across, 2) && divides(downMost, component.down, 2))
            return std::nullopt;
        component.blocksWide = frame.mcusWide * component.across;
        component.samples.assign(size_t(component.blocksWide) * size_t(frame.mcusHigh * component.down) *
                                     size_t(component.scaled * component.scaled), 0);
        frame.blocksInMcu += component.across * component.down;
        if (component.scaled == 2)
            frame.quarterBlocksInMcu += component.across * component.down;
    }
    // As JPEG allows, and the padding after the data is measured for.
    if (frame.blocksInMcu > MaxBlocksInMcu)
        return std::nullopt;
    return frame;
}

// The scan's compressed data without its stuffed zero bytes, where each restart marker stood.
struct CompressedData {
    std::vector<uint8_t> bytes;  // followed by zeros a block may read past the end
    uint64_t bits = 0;
    std::vector<uint64_t> restarts;
};

std::optional<CompressedData> Unstuff(const uint8_t* bytes, size_t size, size_t start)
{
    CompressedData data;
    data.bytes.reserve(size - start + 1024);
    for (size_t at = start;;) {
        const auto* found = static_cast<const uint8_t*>(std::memchr(bytes + at, 0xFF, size - at));
        const size_t ff = found ? size_t(found - bytes) : size;
        data.bytes.insert(data.bytes.end(), bytes + at, bytes + ff);
        if (ff + 1 >= size)
            return std::nullopt;
        const uint8_t next = bytes[ff + 1];
        if (next == 0x00) {
            data.bytes.push_back(0xFF);
            at = ff + 2;
        } else if (next >= 0xD0 && next <= 0xD7) {
            if ((next & 7) != data.restarts.size() % 8)
                return std::nullopt;
            data.restarts.push_back(uint64_t(data.bytes.size()) * 8);
            at = ff + 2;
        } else if (next == 0xFF) {
            at = ff + 1;
        } else if (next == 0xD9) {
            break;
        } else {
            return std::nullopt;  // only the end of the picture may follow the one scan
        }
    }
    data.bits = uint64_t(data.bytes.size()) * 8;
    // An MCU begun before the end reads no further than its blocks' longest codes, each of at
    // most 16 bits and 15 more, 64 to a block.
    data.bytes.resize(data.bytes.size() + MaxBlocksInMcu * 64 * 31 / 8 + 16, 0);
    return data;
}

// One stretch of the data as one core decodes it: where each MCU it tried began, and each
// block's DC difference, MCU after MCU.
struct Stretch {
    uint64_t from = 0;
    long long firstMcu = -1;  // known where the stretch begins at a restart marker
    std::unique_ptr<uint64_t[]> starts;
    std::atomic<size_t> tried{0};  // MCUs whose start the stretch before may read
    std::atomic<bool> finished{false};
    std::unique_ptr<int16_t[]> differences;
    std::unique_ptr<int32_t[]> quarterSums;  // four for each block of a component scaled 2
    size_t decoded = 0;
    uint64_t end = 0;  // where its last MCU decoded ended
    // Where it met the next stretch: its own MCU `handedOver` began where the next one's MCU
    // `nextMet` did.
    std::optional<size_t> handedOver;
    size_t nextMet = 0;
};

class EighthDecoder {
public:
    EighthDecoder(const Frame& frame, const CompressedData& data) : frame(frame), data(data) {}

    // Decodes the stretch until it meets the next one, the data's end or a fault.
    void Decode(Stretch& stretch, Stretch* next) const
    {
        // Whatever ends the decoding, the stretch before hears of it.
        struct Finish {
            Stretch& stretch;
            ~Finish() { stretch.finished.store(true, std::memory_order_release); }
        } finish{stretch};
        const size_t most = size_t(frame.mcusWide) * size_t(frame.mcusHigh);
        const std::optional<uint64_t> footing = stretch.firstMcu >= 0 ? stretch.from : Footing(stretch);
        if (!footing)
            return;
        BitReader bits(data.bytes.data(), *footing);
        size_t nextAt = 0;
        for (size_t mcu = 0; mcu < most; ++mcu) {
            if (frame.restartInterval && stretch.firstMcu >= 0 && mcu > 0) {
                const size_t global = size_t(stretch.firstMcu) + mcu;
                if (global % size_t(frame.restartInterval) == 0) {
                    // The interval ends at its marker but for the bits that fill its last byte;
                    // libjpeg warns of data left over or missing there.
                    const size_t restart = global / size_t(frame.restartInterval) - 1;
                    if (restart >= data.restarts.size() || bits.Position() > data.restarts[restart] ||
                        data.restarts[restart] - bits.Position() >= 8)
                        return;
                    bits.MoveTo(data.restarts[restart]);
                }
            }
            const uint64_t at = bits.Position();
            if (next && Meets(*next, at, nextAt)) {
                stretch.handedOver = mcu;
                stretch.nextMet = nextAt;
                return;
            }
            stretch.starts[mcu] = at;
            stretch.tried.store(mcu + 1, std::memory_order_release);
            if (at >= data.bits ||
                !DecodeMcu(bits, stretch.differences.get() + mcu * size_t(frame.blocksInMcu),
                           stretch.quarterSums.get() + mcu * size_t(frame.quarterBlocksInMcu) * 4) ||
                bits.Position() > data.bits)
                return;
            stretch.decoded = mcu + 1;
            stretch.end = bits.Position();
        }
    }

private:
    // Where a stretch that begins in the middle of the data first reads a few MCUs in a row as
    // an encoder writes them, byte after byte from its beginning: from the middle of a code,
    // codes come that no table has, or that no encoder writes. A photo's data gives footing
    // within a few bytes; where a few thousand give none, the data is damaged and the stretch
    // before reads on alone.
    std::optional<uint64_t> Footing(const Stretch& stretch) const
    {
        constexpr int Footed = 8;
        constexpr uint64_t Search = 4096 * 8;
        for (uint64_t from = stretch.from; from < std::min(data.bits, stretch.from + Search); from += 8) {
            BitReader bits(data.bytes.data(), from);
            int mcu = 0;
            while (mcu < Footed && bits.Position() < data.bits && AsWritten(bits) && bits.Position() <= data.bits)
                ++mcu;
            if (mcu == Footed)
                return from;
        }
        return std::nullopt;
    }

    // An MCU read code by code, as an encoder of 8-bit samples writes it: DC differences of at
    // most 11 bits, coefficients of at most 10, none past a block's last.
    bool AsWritten(BitReader& bits) const
    {
        for (const Component& component : frame.components)
            for (int block = 0; block < component.across * component.down; ++block) {
                bits.Refill();
                const int category = bits.Decode(frame.tables[size_t(component.dcTable)]);
                if (category < 0 || category > 11)
                    return false;
                bits.Skip(category);
                for (int k = 1; k < 64; ++k) {
                    bits.Refill();
                    const int symbol = bits.Decode(frame.tables[size_t(component.acTable)]);
                    if (symbol < 0 || (symbol & 15) > 10)
                        return false;
                    if (EndsBlock(symbol))
                        break;
                    k += symbol >> 4;
                    if (k > 63)
                        return false;
                    bits.Skip(symbol & 15);
                }
            }
        return true;
    }

    // Whether the stretch has come to where the next one began an MCU; past the next one's
    // beginning, it waits while the next one, still decoding, has not come as far, so that
    // neither decodes what the other does.
    static bool Meets(const Stretch& next, uint64_t at, size_t& nextAt)
    {
        if (at < next.from)
            return false;
        for (;;) {
            const bool over = next.finished.load(std::memory_order_acquire);
            const size_t seen = next.tried.load(std::memory_order_acquire);
            while (nextAt < seen && next.starts[nextAt] < at)
                ++nextAt;
            if (nextAt < seen)
                return next.starts[nextAt] == at;
            if (over)
                return false;
            std::this_thread::yield();
        }
    }

    bool DecodeMcu(BitReader& bits, int16_t* differences, int32_t* quarterSums) const
    {
        for (const Component& component : frame.components) {
            const HuffmanTable& dc = frame.tables[size_t(component.dcTable)];
            const HuffmanTable& ac = frame.tables[size_t(component.acTable)];
            for (int block = 0; block < component.across * component.down; ++block) {
                bits.Refill();
                if (const uint32_t entry = dc.step[bits.Peek(StepBits)]) {
                    bits.Skip(int(entry & 0xFF));
                    *differences++ = int16_t(entry >> 16);
                } else {
                    const int category = bits.Decode(dc);
                    if (category < 0 || category > 11)
                        return false;
                    *differences++ = int16_t(Extend(bits.Take(category), category));
                }
                if (component.scaled == 2) {
                    if (!DecodeQuarter(bits, ac, frame.quant[size_t(component.quantTable)], quarterSums))
                        return false;
                    quarterSums += 4;
                    continue;
                }
                for (int k = 1; k < 64;) {
                    bits.RefillForAStep();
                    const uint32_t entry = ac.step[bits.Peek(StepBits)];
                    const bool ends = entry >> 16;
                    const int moved = int(entry >> 8 & 0xFF);
                    // Codes that would run past the block's last coefficient are taken one by one.
                    if (entry && k + moved <= 64 - int(ends)) {
                        bits.Skip(int(entry & 0xFF));
                        if (ends)
                            break;
                        k += moved;
                        continue;
                    }
                    const int symbol = bits.Decode(ac);
                    if (symbol < 0)
                        return false;
                    if (EndsBlock(symbol))
                        break;
                    const int extra = symbol & 15;
                    bits.Skip(extra);
                    k += extra == 0 ? 16 : (symbol >> 4) + 1;
                }
            }
        }
        return true;
    }

    // A block's AC coefficients, each as libjpeg keeps it, and their part of its four samples.
    static bool DecodeQuarter(BitReader& bits, const HuffmanTable& ac, const std::array<int32_t, 64>& quant,
                              int32_t* sums)
    {
        std::array<int32_t, 64> dequantized{};
        for (int k = 1; k < 64; ++k) {
            bits.RefillForAStep();
            if (const uint32_t entry = ac.value[bits.Peek(StepBits)]) {
                bits.Skip(int(entry & 31));
                if (entry & 1u << 10)
                    break;
                k += int(entry >> 5 & 31);
                const size_t at = NaturalOrder[size_t(k)];
                dequantized[at] = int32_t(int16_t(entry >> 16)) * quant[at];
                continue;
            }
            bits.Refill();
            const int symbol = bits.Decode(ac);
            if (symbol < 0)
                return false;
            if (EndsBlock(symbol))
                break;
            const int extra = symbol & 15;
            k += symbol >> 4;
            if (extra) {
                const size_t at = NaturalOrder[size_t(k)];
                dequantized[at] = int16_t(Extend(bits.Take(extra), extra)) * quant[at];
            }
        }
        const std::array<int32_t, 4> quarter = QuarterSums(dequantized);
        std::copy(quarter.begin(), quarter.end(), sums);
        return true;
    }

    const Frame& frame;
    const CompressedData& data;
};

// A run of MCUs the picture takes from one stretch, and the DC predictions it begins with.
struct Piece {
    const Stretch* stretch = nullptr;
    size_t from = 0;  // in the stretch's own numbering
    size_t until = 0;
    size_t firstMcu = 0;  // in the picture's
    std::array<int64_t, 3> predictions{};
};

// The pieces that the stretches give where they met, in order: nothing unless they make up
// every MCU of the picture, the last ending with the data but for the bits that fill its last
// byte.
std::optional<std::vector<Piece>> JoinStretches(const Frame& frame, const CompressedData& data,
                                                const std::vector<Stretch>& stretches)
{
    const size_t mcuCount = size_t(frame.mcusWide) * size_t(frame.mcusHigh);
    std::vector<Piece> pieces;
    std::array<int64_t, 3> predictions{};
    size_t global = 0;
    size_t from = 0;
    for (const Stretch& stretch : stretches) {
        const size_t until = stretch.handedOver.value_or(from + (mcuCount - global));
        if (until < from || until - from > mcuCount - global || until > stretch.decoded)
            return std::nullopt;
        pieces.push_back({&stretch, from, until, global, predictions});
        if (!stretch.handedOver) {
            const uint64_t end = until < stretch.tried ? stretch.starts[until] : stretch.end;
            if (global + (until - from) != mcuCount || end > data.bits || data.bits - end >= 8)
                return std::nullopt;
            return pieces;
        }
        // The predictions as the next piece begins.
        const int16_t* difference = stretch.differences.get() + from * size_t(frame.blocksInMcu);
        for (size_t mcu = from; mcu < until; ++mcu, ++global) {
            if (frame.restartInterval && global % size_t(frame.restartInterval) == 0)
                predictions = {};
            for (size_t c = 0; c < frame.components.size(); ++c)
                for (int block = 0; block < frame.components[c].across * frame.components[c].down; ++block)
                    predictions[c] += *difference++;
        }
        from = stretch.nextMet;
    }
    return std::nullopt;
}

// Each block's samples in a piece, from its DC coefficient and, for a component scaled 2, the
// rest of its transform.
void FillSamples(Frame& frame, const Piece& piece)
{
    std::array<int64_t, 3> predictions = piece.predictions;
    const Stretch& stretch = *piece.stretch;
    const int16_t* difference = stretch.differences.get() + piece.from * size_t(frame.blocksInMcu);
    const int32_t* quarterSums = stretch.quarterSums.get() + piece.from * size_t(frame.quarterBlocksInMcu) * 4;
    for (size_t global = piece.firstMcu; global < piece.firstMcu + (piece.until - piece.from); ++global) {
        if (frame.restartInterval && global % size_t(frame.restartInterval) == 0)
            predictions = {};
        const size_t mcuX = global % size_t(frame.mcusWide), mcuY = global / size_t(frame.mcusWide);
        for (size_t c = 0; c < frame.components.size(); ++c) {
            Component& component = frame.components[c];
            const int32_t quant = frame.quant[size_t(component.quantTable)][0];
            const size_t scaled = size_t(component.scaled);
            const size_t rowLength = size_t(component.blocksWide) * scaled;
            for (size_t y = 0; y < size_t(component.down); ++y)
                for (size_t x = 0; x < size_t(component.across); ++x) {
                    predictions[c] += *difference++;
                    // The DC coefficient as libjpeg keeps it, in 16 bits, dequantized.
                    const int64_t dc = int64_t(int16_t(predictions[c])) * quant;
                    uint8_t* sample = component.samples.data() +
                                      ((mcuY * size_t(component.down) + y) * rowLength + mcuX * size_t(component.across) + x) * scaled;
                    if (scaled == 1) {
                        // The 1 × 1 inverse transform: the block's mean, its DC coefficient over 8.
                        *sample = RangeLimit((dc + 4) >> 3);
                        continue;
                    }
                    for (size_t row = 0; row < 2; ++row, quarterSums += 2) {
                        sample[row * rowLength] = RangeLimit((dc + quarterSums[0]) >> 3);
                        sample[row * rowLength + 1] = RangeLimit((dc + quarterSums[1]) >> 3);
                    }
                }
        }
    }
}

// Where each stretch but the first begins: at the restart marker that ends its share of the
// intervals where the data has them, else at the byte that begins its share of the data, where
// it has to find its footing.
void PlaceStretches(const Frame& frame, const CompressedData& data, std::vector<Stretch>& stretches)
{
    const size_t most = size_t(frame.mcusWide) * size_t(frame.mcusHigh);
    const size_t parts = stretches.size();
    for (size_t s = 0; s < parts; ++s) {
        Stretch& stretch = stretches[s];
        stretch.starts = std::make_unique_for_overwrite<uint64_t[]>(most);
        stretch.differences = std::make_unique_for_overwrite<int16_t[]>(most * size_t(frame.blocksInMcu));
        stretch.quarterSums = std::make_unique_for_overwrite<int32_t[]>(most * size_t(frame.quarterBlocksInMcu) * 4);
        if (s == 0) {
            stretch.firstMcu = 0;
        } else if (data.restarts.empty()) {
            stretch.from = data.bits / parts * s / 8 * 8;
        } else {
            const size_t restart = data.restarts.size() * s / parts;
            stretch.from = data.restarts[restart];
            stretch.firstMcu = (long long)(restart + 1) * frame.restartInterval;
        }
    }
}

// The picture's rows from `top` to `bottom`, grey for one component, else in colour.
void ToColours(const Frame& frame, QImage& image, int top, int bottom)
{
    const int width = image.width();
    const Component& luma = frame.components[0];
    // A row of a component's samples for the picture's row y, and the picture's pixels to a sample.
    const auto row = [&](const Component& component, int y) {
        const int down = luma.down / component.down / component.scaled;
        return component.samples.data() + size_t(y / down) * size_t(component.blocksWide * component.scaled);
    };
    const auto step = [&](const Component& component) { return luma.across / component.across / component.scaled; };
    for (int y = top; y < bottom; ++y) {
        uchar* bytes = image.scanLine(y);
        const uint8_t* lumaRow = row(luma, y);
        if (frame.components.size() == 1) {
            std::memcpy(bytes, lumaRow, size_t(width));
            continue;
        }
        auto* line = reinterpret_cast<QRgb*>(bytes);
        const uint8_t* blueRow = row(frame.components[1], y);
        const uint8_t* redRow = row(frame.components[2], y);
        const int blueStep = step(frame.components[1]), redStep = step(frame.components[2]);
        for (int x = 0; x < width; ++x) {
            // JFIF's conversion as libjpeg makes it, in 16-bit fixed point.
            const int l = lumaRow[x] << 16, b = blueRow[x / blueStep] - 128, r = redRow[x / redStep] - 128;
            line[x] = qRgb(std::clamp((l + 91881 * r + 32768) >> 16, 0, 255),
                           std::clamp((l - 22554 * b - 46802 * r + 32768) >> 16, 0, 255),
                           std::clamp((l + 116130 * b + 32768) >> 16, 0, 255));
        }
    }
}

// job(0) to job(count - 1), each on a core of its own, the first on the calling thread.
void SideBySide(size_t count, const std::function<void(size_t)>& job)
{
    std::vector<std::jthread> cores;
    for (size_t part = 1; part < count; ++part)
        cores.emplace_back(job, part);
    job(0);
}

}  // namespace

std::optional<QImage> DecodeJpegEighth(const QByteArray& file, int parts, int* joined)
try {
    const auto* bytes = reinterpret_cast<const uint8_t*>(file.constData());
    std::optional<Frame> frame = ReadHeaders(bytes, size_t(file.size()));
    if (!frame)
        return std::nullopt;
    const std::optional<CompressedData> data = Unstuff(bytes, size_t(file.size()), frame->scanStart);
    const size_t mcuCount = size_t(frame->mcusWide) * size_t(frame->mcusHigh);
    const size_t restarts = frame->restartInterval ? (mcuCount - 1) / size_t(frame->restartInterval) : 0;
    if (!data || data->restarts.size() != restarts)
        return std::nullopt;
    // A core's share of less than a megabyte gains less than a thread costs. No two stretches
    // begin at the same restart marker.
    if (parts <= 0)
        parts = int(std::clamp<uint64_t>(data->bits / (8 << 20), 1, uint64_t(std::max(1, QThread::idealThreadCount()))));
    const size_t stretchCount = std::min({size_t(parts), mcuCount, restarts ? restarts + 1 : mcuCount});
    std::vector<Stretch> stretches(stretchCount);
    PlaceStretches(*frame, *data, stretches);
    const EighthDecoder decoder(*frame, *data);
    SideBySide(stretches.size(), [&](size_t s) {
        decoder.Decode(stretches[s], s + 1 < stretches.size() ? &stretches[s + 1] : nullptr);
    });
    const std::optional<std::vector<Piece>> pieces = JoinStretches(*frame, *data, stretches);
    if (!pieces)
        return std::nullopt;
    SideBySide(pieces->size(), [&](size_t piece) { FillSamples(*frame, (*pieces)[piece]); });
    if (joined)
        *joined = int(pieces->size());
    QImage image((frame->width + 7) / 8, (frame->height + 7) / 8,
                 frame->components.size() == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (image.isNull())
        return std::nullopt;
    const size_t bands = stretches.size();
    SideBySide(bands, [&](size_t band) {
        ToColours(*frame, image, int(size_t(image.height()) * band / bands), int(size_t(image.height()) * (band + 1) / bands));
    });
    return image;
} catch (const std::exception&) {
    // Memory or a thread refused: Qt's reader decodes it, or says why it cannot.
    return std::nullopt;
}
