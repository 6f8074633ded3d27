// The names of the files Java's output goes to.
#pragma once

#include "base/wide_string.h"
#include "platform/local_time.h"

#include <cstdint>

namespace launcher {

// Fills in the date and time pattern between the first and the last '%' of the
// name: every L becomes the milliseconds, then the time pictures, then the date
// pictures are formatted; both '%' disappear.
void expandFileNameTime(WideString& name, const platform::LocalTime& time);

} // namespace launcher
