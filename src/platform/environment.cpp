// %NAME% expansion by the Windows rules, written once for any variable look-up.
#include "platform/environment.h"

namespace launcher::platform {

// An undefined name stays as written, both '%' included, and the scan goes on
// after its closing '%': "%UNDEFINED%PATH%" keeps "%UNDEFINED%" and then reads
// "PATH%" as plain text ending in a lone '%'. That is what the platform's
// expansion does (checked against ExpandEnvironmentStringsW under Wine).
WideString expandReferences(std::u16string_view text,
                            const std::function<bool(std::u16string_view, WideString&)>& lookup) {
    WideString expanded;
    size_t at = 0;
    while (at < text.size()) {
        size_t open = text.find(u'%', at);
        if (open == std::u16string_view::npos) {
            expanded.append(text.substr(at));
            break;
        }
        expanded.append(text.substr(at, open - at));
        size_t close = text.find(u'%', open + 1);
        if (close == std::u16string_view::npos) {
            expanded.append(text.substr(open));
            break;
        }
        std::u16string_view name = text.substr(open + 1, close - open - 1);
        WideString value;
        if (!name.empty() && lookup(name, value)) {
            expanded.append(value);
        } else {
            expanded.append(text.substr(open, close - open + 1));
        }
        at = close + 1;
    }
    return expanded;
}

} // namespace launcher::platform
