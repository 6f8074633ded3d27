// Conversions between UTF-16 and the system's narrow encodings.
#pragma once

#include "base/wide_string.h"

#include <span>
#include <string>
#include <string_view>

namespace launcher::platform {

// Narrow text in the thread's ANSI code page (Windows) or UTF-8 (elsewhere).
// Text that converts to nothing gives the empty string.
WideString narrowToWide(std::string_view narrow);
// Characters without a mapping become the code page's default character.
// Elsewhere a lone surrogate U+DC80 to U+DCFF, which fileNameToWide makes of a
// byte that is not UTF-8, becomes that byte again; other lone surrogates "?".
std::string wideToNarrow(std::u16string_view wide);
// Whether wideToNarrow keeps every character, so that the narrow text names what
// the wide one does. Linux: the locale's encoding decides, which the VM decodes
// narrow text with; one that is not UTF-8 is trusted with ASCII only, and a
// byte encoding other than ASCII also with the bytes of file names that are no
// UTF-8.
bool narrowKeeps(std::u16string_view wide);

// A file name as the system gives it (readdir, readlink). Linux names are bytes:
// each byte of one that is not part of valid UTF-8 becomes the lone surrogate
// U+DC00 + byte ("surrogateescape"), so that wideToNarrow gives the name back
// unchanged. Windows: narrowToWide.
WideString fileNameToWide(std::string_view name);

// UTF-8 conversions, used where a file or a protocol is UTF-8 on every system.
// Damaged input gives the replacement characters the Windows converter gives.
WideString utf8ToWide(std::string_view utf8);
// The same, telling whether the input was valid UTF-8.
std::u16string decodeUtf8(std::string_view bytes, bool& valid);
std::string wideToUtf8(std::u16string_view wide);

// UTF-8 with each byte outside a valid sequence as U+DC00 + byte, and back:
// any bytes survive the round trip. (The INI reader keeps decodeUtf8, whose
// replacement characters are the Windows converter's.)
std::u16string decodeUtf8Escaped(std::string_view bytes);
std::string encodeUtf8Escaped(std::u16string_view wide);
// The same into a buffer, without allocating: encodes the characters that fit,
// removes them from `wide` and returns the bytes written.
size_t encodeUtf8EscapedInto(std::u16string_view& wide, std::span<char> out) noexcept;

} // namespace launcher::platform
