// The Windows time and date pictures, written out for systems without them: the
// English (United States) names and markers.
#pragma once

#include "base/wide_string.h"
#include "platform/local_time.h"

#include <optional>

namespace launcher::platform {

enum class PictureKind { Time, Date };

// One pass over the pattern; nothing when the result would exceed kMaxPictureResult.
std::optional<WideString> renderPictures(std::u16string_view pattern, const LocalTime& time,
                                         PictureKind kind);

} // namespace launcher::platform
