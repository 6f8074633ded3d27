// Dated output file names.
#include "java/output_files.h"

#include "base/text_format.h"

namespace launcher {

void expandFileNameTime(WideString& name, const platform::LocalTime& time) {
    int32_t first = name.find(u'%');
    int32_t last = name.findLast(u'%');
    if (first == WideString::kNotFound) {
        return;
    }
    WideString pattern = first < last ? name.mid(first + 1, last - first - 1) : WideString();
    if (pattern.contains(u'L')) {
        WideString milliseconds(decimalText(uint64_t{time.milliseconds}));
        WideString filled;
        for (char16_t unit : pattern.view()) {
            if (unit == u'L') {
                filled.append(milliseconds);
            } else {
                filled.append(unit);
            }
        }
        pattern = filled;
    }
    WideString formatted =
        platform::formatDatePictures(platform::formatTimePictures(pattern, time), time);
    name = name.left(first).append(formatted).append(name.mid(last + 1));
}

} // namespace launcher
