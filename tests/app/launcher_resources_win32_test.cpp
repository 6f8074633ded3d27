// The resources of the built launcher executable itself: the catalogue's string
// table, the manifest, the version resource and the dialogs' templates.
#include "base/wide_string.h"
#include "messages/catalogue_texts.h"
#include "messages/message_catalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
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
    for (uint16_t id : {192, 193, 200, 201, 232, 239}) {
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

// The windowed launcher is the same program: every string and the manifest are
// those of the console one, byte for byte.
TEST_F(LauncherResources, TheWindowedLauncherCarriesTheSameStringsAndManifest) {
    HMODULE windowed = LoadLibraryExW(LAUNCHER_WINDOWED_EXECUTABLE, nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(windowed, nullptr) << "error " << GetLastError();
    auto bytesOf = [](HMODULE from, LPCWSTR type, LPCWSTR name) {
        HRSRC found = FindResourceW(from, name, type);
        if (found == nullptr) {
            return std::string();
        }
        const char* data = static_cast<const char*>(LockResource(LoadResource(from, found)));
        return std::string(data, SizeofResource(from, found));
    };
    for (const auto& [id, text] : expectedTexts()) {
        LPCWSTR block = MAKEINTRESOURCEW(id / 16 + 1);
        std::string console = bytesOf(module, reinterpret_cast<LPCWSTR>(RT_STRING), block);
        EXPECT_FALSE(console.empty()) << id;
        EXPECT_EQ(bytesOf(windowed, reinterpret_cast<LPCWSTR>(RT_STRING), block), console) << id;
    }
    std::string manifest =
        bytesOf(module, reinterpret_cast<LPCWSTR>(RT_MANIFEST), MAKEINTRESOURCEW(1));
    EXPECT_FALSE(manifest.empty());
    EXPECT_EQ(bytesOf(windowed, reinterpret_cast<LPCWSTR>(RT_MANIFEST), MAKEINTRESOURCEW(1)),
              manifest);
    FreeLibrary(windowed);
}

// The version resource as Explorer's properties read it, through the version API:
// this build sets no identity options, so the fields are the launcher's own.
TEST(LauncherVersion, VersionApiReadsTheDefaultFields) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(LAUNCHER_WINDOWS_EXECUTABLE, &ignored);
    ASSERT_NE(size, 0u) << "error " << GetLastError();
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(LAUNCHER_WINDOWS_EXECUTABLE, 0, size, block.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    const std::pair<const wchar_t*, std::u16string> fields[] = {
        {L"FileDescription", u"Java application launcher"},
        {L"FileVersion", u"1.0.0.0"},
        {L"InternalName", u"launcher"},
        {L"OriginalFilename", u"launcher.exe"},
        {L"ProductName", u"Java application launcher"},
        {L"ProductVersion", u"1.0.0.0"},
        {L"CompanyName", u""},
        {L"LegalCopyright", u""},
    };
    for (const auto& [key, expected] : fields) {
        std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
        value = nullptr;
        length = 0;
        std::u16string found;
        if (VerQueryValueW(block.data(), query.c_str(), &value, &length) && length > 0) {
            found = static_cast<const char16_t*>(value);
        }
        EXPECT_EQ(found, expected) << std::string(query.begin(), query.end());
    }
}

// Reads a dialog template of the extended form, word by word.
class TemplateReader {
  public:
    explicit TemplateReader(std::span<const char16_t> words) : words_(words) {}
    uint16_t word() { return at_ < words_.size() ? static_cast<uint16_t>(words_[at_++]) : 0; }
    uint32_t dword() {
        uint32_t low = word();
        return low | (static_cast<uint32_t>(word()) << 16);
    }
    // A name, or "#n" for an ordinal.
    std::u16string nameOrOrdinal() {
        uint16_t first = word();
        if (first == 0xFFFF) {
            std::string number = "#" + std::to_string(word());
            return std::u16string(number.begin(), number.end());
        }
        std::u16string name;
        for (uint16_t unit = first; unit != 0; unit = word()) {
            name.push_back(static_cast<char16_t>(unit));
        }
        return name;
    }
    uint16_t ordinalOrZero() {
        uint16_t first = word();
        if (first == 0xFFFF) {
            return word();
        }
        while (first != 0) {
            first = word();
        }
        return 0;
    }
    std::u16string text() {
        std::u16string text;
        for (uint16_t unit = word(); unit != 0; unit = word()) {
            text.push_back(static_cast<char16_t>(unit));
        }
        return text;
    }
    void alignToDword() { at_ += at_ % 2; }

  private:
    std::span<const char16_t> words_;
    size_t at_ = 0;
};

// One control of a dialog template.
struct DialogItem {
    uint32_t style;
    int16_t x, y, cx, cy;
    int32_t id;
    uint16_t windowClass; // 0x80 button, 0x81 edit, 0x82 static
    std::u16string text;  // "#n" for the icon's ordinal
    friend bool operator==(const DialogItem&, const DialogItem&) = default;
};

void PrintTo(const DialogItem& item, std::ostream* out) {
    *out << "{id " << item.id << ", style " << std::hex << item.style << std::dec << ", " << item.x
         << "," << item.y << "," << item.cx << "," << item.cy << ", class " << item.windowClass
         << ", \"" << std::string(item.text.begin(), item.text.end()) << "\"}";
}

struct DialogTemplate {
    uint32_t style = 0;
    int16_t cx = 0, cy = 0;
    std::u16string caption, font;
    uint16_t points = 0;
    std::vector<DialogItem> items;
};

// Reads an extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items).
DialogTemplate readDialogTemplate(std::span<const char16_t> words) {
    DialogTemplate dialog;
    TemplateReader reader(words);
    EXPECT_EQ(reader.word(), 1);      // version
    EXPECT_EQ(reader.word(), 0xFFFF); // extended template
    reader.dword();                   // help id
    EXPECT_EQ(reader.dword(), 0u);    // extended style
    dialog.style = reader.dword();
    uint16_t count = reader.word();
    int16_t frame[4];
    for (int16_t& value : frame) {
        value = static_cast<int16_t>(reader.word());
    }
    dialog.cx = frame[2];
    dialog.cy = frame[3];
    EXPECT_EQ(reader.ordinalOrZero(), 0); // no menu
    EXPECT_EQ(reader.ordinalOrZero(), 0); // the dialog class
    dialog.caption = reader.text();
    dialog.points = reader.word();
    reader.word(); // weight
    reader.word(); // italic, character set
    dialog.font = reader.text();
    for (uint16_t index = 0; index < count; ++index) {
        DialogItem item{};
        reader.alignToDword();
        reader.dword(); // help id
        EXPECT_EQ(reader.dword(), 0u) << index;
        item.style = reader.dword();
        int16_t rectangle[4];
        for (int16_t& value : rectangle) {
            value = static_cast<int16_t>(reader.word());
        }
        item.x = rectangle[0];
        item.y = rectangle[1];
        item.cx = rectangle[2];
        item.cy = rectangle[3];
        item.id = static_cast<int32_t>(reader.dword());
        // The class is a predefined ordinal or its name, which mean the same.
        std::u16string className = reader.nameOrOrdinal();
        const std::u16string names[] = {u"#128", u"#129", u"#130"};
        const std::u16string classNames[] = {u"button", u"edit", u"static"};
        for (uint16_t kind = 0; kind < 3; ++kind) {
            if (className == names[kind] || equalsIgnoreAsciiCase(className, classNames[kind])) {
                item.windowClass = static_cast<uint16_t>(0x80 + kind);
            }
        }
        item.text = reader.nameOrOrdinal();
        uint16_t extra = reader.word();
        for (uint16_t skipped = 0; skipped < (extra + 1) / 2; ++skipped) {
            reader.word();
        }
        dialog.items.push_back(item);
    }
    return dialog;
}

class DialogTemplates : public LauncherResources {
  protected:
    DialogTemplate dialog(int id) const {
        std::span<const char16_t> words =
            resource(reinterpret_cast<LPCWSTR>(RT_DIALOG), MAKEINTRESOURCEW(id),
                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        if (words.empty()) {
            words = resource(reinterpret_cast<LPCWSTR>(RT_DIALOG), MAKEINTRESOURCEW(id),
                             MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
        }
        EXPECT_FALSE(words.empty()) << "dialog " << id;
        return words.empty() ? DialogTemplate{} : readDialogTemplate(words);
    }
    static constexpr uint32_t kChild = WS_CHILD | WS_VISIBLE;
};

TEST_F(DialogTemplates, JreNotFoundDialogIsAsDesigned) {
    DialogTemplate found = dialog(201);
    EXPECT_EQ(found.style, static_cast<uint32_t>(DS_SETFONT | DS_MODALFRAME | WS_POPUP |
                                                 WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(found.cx, 219);
    EXPECT_EQ(found.cy, 145);
    EXPECT_EQ(found.caption, u"JRE Not Found");
    EXPECT_EQ(found.points, 8);
    EXPECT_EQ(found.font, u"MS Shell Dlg");
    const std::vector<DialogItem> expected = {
        {kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 107, 122, 50, 14, 1, 0x80, u"OK"},
        {kChild | WS_TABSTOP | BS_PUSHBUTTON, 161, 122, 50, 14, 2, 0x80, u"Cancel"},
        {kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | ES_READONLY, 60, 89, 94, 14, 201, 0x81,
         u""},
        {kChild | WS_GROUP | SS_LEFT, 12, 92, 45, 8, -1, 0x82, u"JRE Path:"},
        {kChild | WS_TABSTOP | BS_PUSHBUTTON, 157, 89, 50, 14, 202, 0x80, u"Browse..."},
        {kChild | BS_GROUPBOX, 8, 11, 203, 103, -1, 0x80, u"Missing JRE"},
        {kChild | SS_ICON, 16, 24, 20, 20, 204, 0x82, u"#32513"},
        {kChild | WS_GROUP | SS_LEFT, 42, 24, 149, 24, 203, 0x82, u""},
        {kChild | WS_GROUP | SS_LEFT, 44, 55, 75, 8, 205, 0x82, u"https://adoptium.net/"},
        {kChild | WS_GROUP | SS_LEFT, 12, 73, 195, 8, 206, 0x82,
         u"If you have a JRE installed you can browse for it below:"},
    };
    EXPECT_EQ(found.items, expected);
}

TEST_F(DialogTemplates, JavaExceptionDialogIsAsDesigned) {
    DialogTemplate found = dialog(231);
    EXPECT_EQ(found.style, static_cast<uint32_t>(DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU |
                                                 WS_THICKFRAME));
    EXPECT_EQ(found.cx, 275);
    EXPECT_EQ(found.cy, 242);
    EXPECT_EQ(found.caption, u"Java Exception");
    EXPECT_EQ(found.points, 8);
    EXPECT_EQ(found.font, u"MS Shell Dlg");
    const std::vector<DialogItem> expected = {
        {kChild | BS_GROUPBOX, 8, 11, 259, 221, 209, 0x80, u"Uncaught Exception"},
        {kChild | SS_ICON, 16, 26, 20, 20, 204, 0x82, u"#32513"},
        {kChild | WS_GROUP | SS_LEFT, 42, 28, 217, 16, 210, 0x82,
         u"The java process has thrown the following uncaught exception:"},
        {kChild | WS_TABSTOP | WS_BORDER | ES_MULTILINE | WS_VSCROLL | WS_HSCROLL, 16, 54, 243, 102,
         208, 0x81, u""},
        {kChild | WS_GROUP | SS_LEFT, 16, 164, 243, 18, 211, 0x82,
         u"Press Ignore to continue and ignore the exception or press Stop to close the "
         u"application."},
        {kChild | WS_GROUP | SS_LEFT, 16, 187, 243, 18, 212, 0x82,
         u"WARNING: If you choose to Stop the application any unsaved data will be lost."},
        {kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 153, 210, 50, 14, 1, 0x80, u"Ignore"},
        {kChild | WS_TABSTOP | BS_PUSHBUTTON, 209, 210, 50, 14, 2, 0x80, u"Stop"},
    };
    EXPECT_EQ(found.items, expected);
}

} // namespace
} // namespace launcher
