// Catalogue formatting, the string-block reader and the JNI failure reasons.
#include "messages/message_catalogue.h"

#include "base/launcher_error.h"
#include "messages/message_ids.h"

namespace launcher {

std::u16string_view stringBlockEntry(std::span<const char16_t> block, unsigned index) noexcept {
    size_t at = 0;
    for (unsigned skipped = 0; skipped < index; ++skipped) {
        if (at >= block.size()) {
            return {};
        }
        at += 1 + size_t{block[at]};
    }
    if (at >= block.size()) {
        return {};
    }
    size_t length = block[at];
    if (length == 0 || length > block.size() - at - 1) {
        return {};
    }
    return std::u16string_view(block.data() + at + 1, length);
}

WideString MessageCatalogue::format(uint16_t id, std::initializer_list<FormatArgument> arguments) {
    WideString pattern = load(id);
    if (pattern.empty()) {
        raiseLauncherError(kErrorFail);
    }
    return formatText(pattern, arguments);
}

WideString jniFailureReason(int32_t result) {
    // JNI_ERR (-1) to JNI_EINVAL (-6) map onto consecutive catalogue ids.
    if (result <= -1 && result >= -6) {
        return MessageCatalogue::load(static_cast<uint16_t>(msg::kReasonUnknown - 1 - result));
    }
    return WideString();
}

} // namespace launcher
