// The message texts built into the executable, by id.
#pragma once

#include "base/text_format.h"
#include "base/wide_string.h"

#include <cstdint>
#include <span>

namespace launcher {

class MessageCatalogue {
  public:
    // The text of the id, or the empty string when the catalogue has none.
    static WideString load(uint16_t id);
    // The text of the id formatted with the arguments; raises E_FAIL when the id has no text.
    static WideString format(uint16_t id, std::initializer_list<FormatArgument> arguments);
};

// One block of a string-table resource holds 16 entries, each a 16-bit length
// followed by that many code units. Returns the entry at `index` (0 to 15), or an
// empty view when it is empty or lies beyond the end of the block.
std::u16string_view stringBlockEntry(std::span<const char16_t> block, unsigned index) noexcept;

// The reason text for a failed JNI invocation call; empty for unlisted results.
WideString jniFailureReason(int32_t result);

} // namespace launcher
