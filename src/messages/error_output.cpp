// The error lines: catalogue texts and formats on the one error channel.
#include "messages/error_output.h"

#include "messages/message_catalogue.h"
#include "platform/console.h"

#include <atomic>

namespace launcher {

namespace {

std::atomic<ErrorDisplay> errorDisplay{nullptr};

// The line stops at a zero character, as the C runtime's formatting would.
void writeErrorLine(std::u16string_view text) noexcept {
    text = text.substr(0, text.find(u'\0'));
    ErrorDisplay display = errorDisplay.load();
    if (display != nullptr && !platform::standardOutputIsOpen()) {
        display(text);
        return;
    }
    platform::writeStandardOutput({u"Error: ", text, u" \n"});
}

} // namespace

void setErrorDisplay(ErrorDisplay display) noexcept {
    errorDisplay.store(display);
}

void reportError(const WideString& text) {
    writeErrorLine(text.view());
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
    writeErrorLine(std::u16string_view(line, at));
}

} // namespace launcher
