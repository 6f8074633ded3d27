// File-name wildcards (* and ?) as the file search matches them.
#include "platform/file_system.h"

namespace launcher::platform {

bool matchesWildcard(std::u16string_view pattern, std::u16string_view name) noexcept {
    size_t p = 0;
    size_t n = 0;
    size_t starAt = std::u16string_view::npos;
    size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt != std::u16string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace launcher::platform
