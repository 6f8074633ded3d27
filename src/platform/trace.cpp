// The trace's line format and its switch; the destinations are per system.
#include "platform/trace.h"

#include "platform/environment.h"
#include "platform/system_error.h"
#include "platform/text.h"

namespace launcher::platform {

namespace {

constexpr char16_t kTraceVariable[] = u"LAUNCHER_TRACE";

bool isPlainValueCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '/' || c == ':' || c == '+' || c == '-';
}

// Control characters, and what cmd.exe or sh would read as a command, a variable
// or a quote: a trace file run as a script runs nothing that a value brought.
bool needsHexEscape(char c) {
    auto unit = static_cast<unsigned char>(c);
    if (unit < 0x20 || unit == 0x7F) {
        return true;
    }
    return std::string_view("$`%!&|<>^;'()").find(c) != std::string_view::npos;
}

void appendHexEscape(std::string& text, unsigned char unit) {
    static constexpr char kDigits[] = "0123456789abcdef";
    text.append("\\x");
    text += kDigits[unit >> 4];
    text += kDigits[unit & 0xF];
}

bool startTrace() noexcept {
    try {
        WideString setting;
        if (!getEnvironmentVariable(kTraceVariable, setting) || setting.empty()) {
            return false;
        }
        if (!openTraceDestination(setting.view())) {
            // The user asked for a trace: the lines go to the standard error instead.
            if (!openTraceDestination(u"1")) {
                return false;
            }
            writeTraceText("trace: trace-file-not-opened path=" +
                           traceValue(wideToUtf8(setting.view())) + "\n");
        }
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

bool traceEnabled() noexcept {
    static const bool enabled = startTrace();
    return enabled;
}

std::string traceValue(std::string_view utf8) {
    bool plain = !utf8.empty();
    for (char c : utf8) {
        plain = plain && isPlainValueCharacter(c);
    }
    if (plain) {
        return std::string(utf8);
    }
    std::string quoted = "\"";
    for (char c : utf8) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n"; // a line end would break the one-line-per-decision form
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (needsHexEscape(c)) {
            appendHexEscape(quoted, static_cast<unsigned char>(c));
        } else {
            quoted += c;
        }
    }
    return quoted += '"';
}

TraceLine::TraceLine(std::string_view event) noexcept : active_(traceEnabled()) {
    if (!active_) {
        return;
    }
    try {
        text_.reserve(128);
        text_.append("trace: ").append(event);
    } catch (...) {
        active_ = false;
    }
}

TraceLine::~TraceLine() {
    if (!active_) {
        return;
    }
    try {
        text_ += '\n';
        writeTraceText(text_);
    } catch (...) {
    }
}

void TraceLine::addName(std::string_view name) {
    text_.append(" ").append(name).append("=");
}

TraceLine& TraceLine::add(std::string_view name, std::string_view value) noexcept {
    if (active_) {
        try {
            addName(name);
            text_.append(traceValue(value));
        } catch (...) {
            active_ = false;
        }
    }
    return *this;
}

TraceLine& TraceLine::add(std::string_view name, std::u16string_view value) noexcept {
    if (active_) {
        try {
            // Bytes of a Linux file name that are not UTF-8 come back as they were.
            return add(name, std::string_view(encodeUtf8Escaped(value)));
        } catch (...) {
            active_ = false;
        }
    }
    return *this;
}

TraceLine& TraceLine::addNumber(std::string_view name, int64_t value, bool isUnsigned) noexcept {
    if (active_) {
        try {
            addName(name);
            text_.append(isUnsigned ? std::to_string(static_cast<uint64_t>(value))
                                    : std::to_string(value));
        } catch (...) {
            active_ = false;
        }
    }
    return *this;
}

TraceLine& TraceLine::add(std::string_view name, bool value) noexcept {
    return add(name, std::string_view(value ? "yes" : "no"));
}

TraceLine& TraceLine::add(const SystemError& error) noexcept {
    if (!active_) {
        return *this;
    }
    add("call", error.call);
    add("error", error.code);
    try {
        std::string reason = error.detail.empty() ? systemErrorText(error.code) : error.detail;
        if (!reason.empty()) {
            add("reason", std::string_view(reason));
        }
    } catch (...) {
        active_ = false;
    }
    return *this;
}

} // namespace launcher::platform
