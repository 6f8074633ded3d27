// The load failure codes of the system (Windows).
#include <windows.h>

#include <cstdint>
#include <string_view>

namespace launcher {

extern const std::string_view kStandardOutputLineEnd = "\r\n";
extern const uint32_t kMissingExportCode = ERROR_PROC_NOT_FOUND;
extern const uint32_t kUnloadableImageCode = ERROR_BAD_EXE_FORMAT;

bool isLoadFailureCode(uint32_t code, bool missing) {
    return missing ? code == ERROR_MOD_NOT_FOUND : code == ERROR_BAD_EXE_FORMAT;
}

} // namespace launcher
