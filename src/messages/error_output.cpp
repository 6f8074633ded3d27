// The error lines: catalogue texts and formats on the one error channel.
#include "messages/error_output.h"

#include "messages/message_catalogue.h"
#include "platform/console.h"

namespace launcher {

void reportError(const WideString& text) {
    platform::writeErrorLine(text.c_str());
}

void reportFormatted(std::u16string_view pattern, std::initializer_list<FormatArgument> arguments) {
    reportError(formatText(pattern, arguments));
}

void reportMessage(uint16_t id, std::initializer_list<FormatArgument> arguments) {
    reportFormatted(MessageCatalogue::load(id), arguments);
}

void reportEscapedError(uint32_t code) noexcept {
    static constexpr char16_t kPrefix[] = u"internal error 0x";
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    char16_t line[sizeof(kPrefix) / sizeof(char16_t) + 8] = {};
    size_t at = 0;
    for (; kPrefix[at] != 0; ++at) {
        line[at] = kPrefix[at];
    }
    for (int shift = 28; shift >= 0; shift -= 4) {
        line[at++] = kDigits[(code >> shift) & 0xF];
    }
    line[at] = 0;
    platform::writeErrorLine(line);
}

} // namespace launcher
