// Files a program keeps for one user alone: folders only that user can enter,
// entries checked for who else may change them, and file names compared the way
// the system compares them.
#pragma once

#include "base/wide_string.h"

#include <cstdint>
#include <string_view>

namespace launcher::platform {

// Whether the entry (not a link) belongs to this user and no one else may write
// it: an entry another user could change is neither mapped nor removed.
bool onlyThisUserMayWrite(const WideString& path);

// Creates one folder only this user may enter (Linux: mode 0700; Windows: the
// protection it inherits from the per-user folder above). 0 when it was made
// (`made` set) or exists already, else the system error code.
uint32_t createPrivateFolderLevel(const WideString& path, bool& made);

// Whether two file names name one entry of a folder: without regard to case on
// Windows (the system's ordinal rule, not a language's), exactly elsewhere.
bool fileNamesEqual(std::u16string_view first, std::u16string_view second) noexcept;

// The text with letters as the system folds them for file names (upper case on
// Windows), so that two spellings of one name give one text; unchanged elsewhere.
WideString foldedForFileNames(std::u16string_view text);

} // namespace launcher::platform
