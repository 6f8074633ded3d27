// The argument area of the instance block: encoding, reading back, and handing
// it from one second instance to the primary.
#include "service/instance_block.h"

#include <algorithm>
#include <array>

namespace launcher {

uint64_t argumentAreaSize(const WideStringList& arguments) noexcept {
    uint64_t bytes = sizeof(char16_t);
    for (const WideString& argument : arguments) {
        bytes += 2 * static_cast<uint64_t>(argument.length()) + sizeof(char16_t);
    }
    return bytes;
}

bool encodeArgumentArea(std::span<char16_t, kArgumentAreaUnits> area,
                        const WideStringList& arguments) {
    if (argumentAreaSize(arguments) > kArgumentAreaBytes) {
        return false;
    }
    std::fill(area.begin(), area.end(), u'\0');
    auto next = area.begin();
    for (const WideString& argument : arguments) {
        next = std::copy(argument.view().begin(), argument.view().end(), next) + 1;
    }
    return true;
}

WideStringList readArgumentArea(std::span<const char16_t> area) {
    constexpr size_t kWalkUnits = (kArgumentWalkEnd - 12) / sizeof(char16_t);
    auto unitAt = [&area](size_t index) {
        return index < area.size() ? area[index] : u'\0';
    };
    WideStringList list;
    WideString current;
    for (size_t index = 0; index < kWalkUnits; ++index) {
        char16_t unit = unitAt(index);
        if (unit != u'\0') {
            current.append(unit);
            continue;
        }
        list.push_back(current);
        if (index + 1 >= kWalkUnits || unitAt(index + 1) == u'\0') {
            return list;
        }
        current.clear();
    }
    // Only a walk through a full block of characters gets here.
    list.push_back(current);
    return list;
}

WideStringList readArgumentArea(std::span<const char16_t> area, size_t count) {
    WideStringList list;
    size_t index = 0;
    while (list.size() < std::max<size_t>(count, 1)) {
        WideString current;
        for (; index < area.size() && area[index] != u'\0'; ++index) {
            current.append(area[index]);
        }
        list.push_back(std::move(current));
        ++index;
        if (index >= area.size()) {
            break; // a count larger than the area holds: the rest is not there
        }
    }
    return list;
}

bool writeForwardedArguments(InstanceBlock& block, const WideStringList& arguments,
                             uint32_t requester) {
    if (argumentAreaSize(arguments) > kArgumentAreaBytes) {
        return false;
    }
    publish(block.argumentsWriter, 0);
    std::atomic_thread_fence(std::memory_order_seq_cst);
    encodeArgumentArea(block.arguments, arguments);
    publish(block.argumentCount, static_cast<uint32_t>(arguments.size() + 1));
    publish(block.argumentsWriter, requester);
    return true;
}

std::optional<WideStringList> takeForwardedArguments(InstanceBlock& block, uint32_t requester) {
    if (requester == 0 || observe(block.argumentsWriter) != requester) {
        return std::nullopt;
    }
    uint32_t count = observe(block.argumentCount);
    std::array<char16_t, kArgumentAreaUnits> copy;
    std::copy(std::begin(block.arguments), std::end(block.arguments), copy.begin());
    // The copy counts only when nobody started writing while it was taken.
    std::atomic_thread_fence(std::memory_order_acquire);
    if (observe(block.argumentsWriter) != requester) {
        return std::nullopt;
    }
    publish(block.argumentsTaken, requester);
    return count == 0 ? readArgumentArea(copy) : readArgumentArea(copy, count - 1);
}

} // namespace launcher
