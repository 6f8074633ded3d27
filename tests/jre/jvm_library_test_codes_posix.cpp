// The load failure codes of the system (Linux).
#include <cerrno>
#include <cstdint>
#include <string_view>

namespace launcher {

extern const std::string_view kStandardOutputLineEnd = "\n";
// dlsym sets no errno; the platform layer names the missing symbol ENOENT.
extern const uint32_t kMissingExportCode = ENOENT;
extern const uint32_t kUnloadableImageCode = ENOEXEC;

bool isLoadFailureCode(uint32_t code, bool) {
    return code != 0;
}

} // namespace launcher
