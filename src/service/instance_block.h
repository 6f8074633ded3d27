// The block every start of one executable maps: the primary's header, the
// arguments a second instance forwards, and the fields that keep starts apart.
#pragma once

#include "base/wide_string.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace launcher {

inline constexpr size_t kInstanceBlockSize = 2092;
inline constexpr size_t kArgumentAreaBytes = 1040;
inline constexpr size_t kArgumentAreaUnits = kArgumentAreaBytes / sizeof(char16_t);
// The walk over the area never reads at or beyond this byte of the block.
inline constexpr size_t kArgumentWalkEnd = 2090;
// Set last in a primary's header, once requests can be taken.
inline constexpr uint32_t kHeaderComplete = 0x4B4F5049; // "IPOK"

// Little-endian on every system this builds for. The second half of the block is
// left alone by the header and the area; the fields there are written only by this
// launcher, and a block without them (all zeros) reads as "header not complete".
struct InstanceBlock {
    uint32_t messageThreadId;
    uint32_t processId;
    uint32_t messageId;
    char16_t arguments[kArgumentAreaUnits];
    uint32_t headerComplete;
    // Whose arguments the area holds: 0 while a second instance writes them.
    uint32_t argumentsWriter;
    // Whose arguments the primary copied last.
    uint32_t argumentsTaken;
    // How many arguments the area holds, plus one; 0 for an area written without
    // a count, which is read by the layout's rules alone.
    uint32_t argumentCount;
    unsigned char unused[kInstanceBlockSize - 1068];
};
static_assert(offsetof(InstanceBlock, processId) == 4);
static_assert(offsetof(InstanceBlock, messageId) == 8);
static_assert(offsetof(InstanceBlock, arguments) == 12);
static_assert(offsetof(InstanceBlock, headerComplete) == 1052);
static_assert(offsetof(InstanceBlock, argumentCount) == 1064);
static_assert(sizeof(InstanceBlock) == kInstanceBlockSize);

// The block is shared with other processes: its fields are read and written as
// atomics, so that what one process publishes is seen whole by the others.
inline uint32_t observe(uint32_t& field) noexcept {
    return std::atomic_ref<uint32_t>(field).load(std::memory_order_acquire);
}
inline void publish(uint32_t& field, uint32_t value) noexcept {
    std::atomic_ref<uint32_t>(field).store(value, std::memory_order_release);
}

// Bytes the arguments take in the area: 2n + 2 for an argument of n units, plus 2
// for the final NUL.
uint64_t argumentAreaSize(const WideStringList& arguments) noexcept;

// Fills the area with zeros and then the arguments, each followed by its NUL.
// False, with nothing written, when they need more than the area's 1040 bytes.
bool encodeArgumentArea(std::span<char16_t, kArgumentAreaUnits> area,
                        const WideStringList& arguments);

// The area read back: a NUL followed by a NUL ends the list, a NUL followed by a
// character starts the next argument. The layout cannot tell an empty argument
// from the end, so an empty argument after the first ends the list. Units past
// the end of `area` read as the zeros of the block's unused half.
WideStringList readArgumentArea(std::span<const char16_t> area);
// The area read back knowing how many arguments it holds, so that empty ones
// arrive too; no arguments still arrive as one empty argument.
WideStringList readArgumentArea(std::span<const char16_t> area, size_t count);

// A second instance's side: writes the arguments for `requester`, marked as
// incomplete while they are written. False when they do not fit.
bool writeForwardedArguments(InstanceBlock& block, const WideStringList& arguments,
                             uint32_t requester);
// The primary's side, when `requester`'s request arrives: the arguments, copied
// out, or nothing when the area holds someone else's (a request whose sender
// gave up, or one overwritten while it was copied).
std::optional<WideStringList> takeForwardedArguments(InstanceBlock& block, uint32_t requester);

} // namespace launcher
