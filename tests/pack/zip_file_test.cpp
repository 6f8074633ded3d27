// The zip the packer writes reads back: its names from the folder's own name on,
// and the check value of the format's reference text.
#include "pack/pack_error.h"
#include "pack/zip_file.h"
#include "support/file_bytes.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

namespace launcher::pack {
namespace {

TEST(PackZip, TheFolderReadsBackUnderItsOwnName) {
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
    testing::TestFolder folder;
    folder.write("App/App.ini", "[Class Path]\n");
    folder.write("App/lib/app.jar", std::string(70000, 'j'));
    std::filesystem::path zip = folder.path() / "App.zip";
    writeFolderZip(folder.path() / "App", zip);
    std::string bytes = testing::readFile(zip);
    EXPECT_EQ(zipEntryNames(bytes), (std::vector<std::string>{"App/App.ini", "App/lib/app.jar"}));
    // Stored: each file's bytes follow its local header as they are.
    EXPECT_NE(bytes.find("App/App.ini[Class Path]\n"), std::string::npos);
    EXPECT_THROW(zipEntryNames(bytes.substr(0, bytes.size() - 10)), PackError);
}

} // namespace
} // namespace launcher::pack
