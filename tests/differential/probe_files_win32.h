// Whole-file reads and writes for the Windows probe programs.
#pragma once

#include <string>

namespace launcher::probe {

inline const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

bool readAll(const wchar_t* path, std::string& bytes);
bool writeAll(const wchar_t* path, const std::string& bytes);

} // namespace launcher::probe
