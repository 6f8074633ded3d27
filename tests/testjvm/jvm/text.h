// Conversions between the encodings a JVM meets: UTF-16 inside, modified UTF-8 at
// the JNI boundary, standard UTF-8 for files and the record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace testjvm {

// Lone surrogates become '?', as Java's own UTF-8 encoder writes them.
std::string toUtf8(std::u16string_view text);
// Malformed bytes become U+FFFD.
std::u16string fromUtf8(std::string_view text);

// JNI's form: U+0000 as C0 80, and each surrogate of a pair as its own 3-byte sequence.
std::string toModifiedUtf8(std::u16string_view text);
// Only modified UTF-8 is accepted; 4-byte sequences and other malformed bytes become U+FFFD.
std::u16string fromModifiedUtf8(std::string_view text);

// One record value on one line: UTF-8 with backslash, control characters and lone
// surrogates written as escapes, so that no text can break the line format.
std::string escapeForRecord(std::u16string_view text);

// "0x" and eight lower-case hex digits, the way JNI versions are usually written.
std::string hex32(uint32_t value);

} // namespace testjvm
