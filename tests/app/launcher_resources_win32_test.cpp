// The resources of the built launcher executable itself: the catalogue's string
// table and the manifest.
#include "messages/catalogue_texts.h"
#include "messages/message_catalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <windows.h>

namespace launcher {
namespace {

class LauncherResources : public ::testing::Test {
  protected:
    void SetUp() override {
        module = LoadLibraryExW(LAUNCHER_WINDOWS_EXECUTABLE, nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << "cannot open the launcher, error " << GetLastError();
    }
    void TearDown() override {
        if (module != nullptr) {
            FreeLibrary(module);
        }
    }

    std::span<const char16_t> resource(LPCWSTR type, LPCWSTR name, WORD language) const {
        HRSRC found = FindResourceExW(module, type, name, language);
        if (found == nullptr) {
            return {};
        }
        const void* data = LockResource(LoadResource(module, found));
        return {static_cast<const char16_t*>(data),
                SizeofResource(module, found) / sizeof(char16_t)};
    }

    HMODULE module = nullptr;
};

TEST_F(LauncherResources, StringTableHoldsEveryCatalogueTextForUsEnglish) {
    for (const auto& [id, text] : expectedTexts()) {
        std::span<const char16_t> block =
            resource(reinterpret_cast<LPCWSTR>(RT_STRING), MAKEINTRESOURCEW(id / 16 + 1),
                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        ASSERT_FALSE(block.empty()) << "no block for " << id;
        EXPECT_EQ(stringBlockEntry(block, id % 16), text) << "id " << id;
    }
    // Nothing else is stored in the blocks the catalogue uses.
    for (uint16_t id : {192, 193, 200, 201, 231, 239}) {
        std::span<const char16_t> block =
            resource(reinterpret_cast<LPCWSTR>(RT_STRING), MAKEINTRESOURCEW(id / 16 + 1),
                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        EXPECT_TRUE(stringBlockEntry(block, id % 16).empty()) << "id " << id;
    }
}

TEST_F(LauncherResources, ManifestAsksForAdministratorDpiAwarenessAndCommonControls6) {
    HRSRC found =
        FindResourceW(module, MAKEINTRESOURCEW(1), reinterpret_cast<LPCWSTR>(RT_MANIFEST));
    ASSERT_NE(found, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    std::string manifest(data, SizeofResource(module, found));
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos)
        << manifest;
}

} // namespace
} // namespace launcher
