// Zip files as far as packing needs them: the names a jar holds, and one folder
// written as a zip (stored, so that no compression library is needed).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::pack {

// The entry names of the central directory; throws PackError when the bytes are
// no zip file.
std::vector<std::string> zipEntryNames(std::string_view bytes);

// Writes `folder` and everything below it to `zip`, each entry named from the
// folder's own name on ("MyApp/lib/app.jar"). Throws PackError on a write error
// or a file of 4 GB or more.
void writeFolderZip(const std::filesystem::path& folder, const std::filesystem::path& zip);

uint32_t crc32(std::string_view bytes, uint32_t crc = 0);

} // namespace launcher::pack
