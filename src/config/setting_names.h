// The sections of the main INI file, named once for every reader.
#pragma once

namespace launcher {

inline constexpr char16_t kProductSection[] = u"Product Information";
inline constexpr char16_t kJreSection[] = u"Java Runtime Environment";
inline constexpr char16_t kApplicationSection[] = u"Application";
inline constexpr char16_t kClassPathSection[] = u"Class Path";

inline constexpr char16_t kJrePathKey[] = u"JRE Path";

} // namespace launcher
