#include "platform/environment.h"

namespace launcher::platform {

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
            at = close + 1;
        } else {
            // Not a reference: keep it, and let its closing '%' open the next one.
            expanded.append(text.substr(open, close - open));
            at = close;
        }
    }
    return expanded;
}

} // namespace launcher::platform
