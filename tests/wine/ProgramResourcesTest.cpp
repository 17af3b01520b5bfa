// The built program's resources read back the way Windows reads them.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/AppIcons.h"
#include "framework/ModulePath.h"
#include "services/WString.h"
#include "support/TestForm.h"

namespace {

struct ProgramResources : ::testing::Test {
    // The program sits two folders above the test program (build/tests/wine/wine_tests.exe).
    HMODULE module = LoadLibraryExW((CurrentExecutablePath().folder + L"..\\..\\VoyantaPictures.exe").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    void SetUp() override { ASSERT_NE(module, nullptr) << "cannot open the built program"; }
    ~ProgramResources() override { FreeLibrary(module); }

    std::string_view Bytes(const wchar_t* type, const wchar_t* name) const {
        const HRSRC found = FindResourceExW(module, type, name, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
        const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        return loaded ? std::string_view(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found))
                      : std::string_view();
    }
    // The image Windows picks from an icon group for a size.
    std::string_view Image(const wchar_t* group, int size) const {
        auto* entries = reinterpret_cast<BYTE*>(const_cast<char*>(Bytes(RT_GROUP_ICON, group).data()));
        const int id = entries ? LookupIconIdFromDirectoryEx(entries, TRUE, size, size, LR_DEFAULTCOLOR) : 0;
        return Bytes(RT_ICON, MAKEINTRESOURCEW(id));
    }
};

}  // namespace

TEST_F(ProgramResources, TheProgramsIconIsABitmapAtEverySizeAndAFormShowsTheSamePictureAtFortyEightAndThirtyTwo) {
    // Windows picks an image of each size from the program's first group: a bitmap, which every Windows reads.
    for (int size : {16, 24, 32, 48, 256}) {
        const std::string_view image = Image(L"AAAAA_APPICON", size);
        BITMAPINFOHEADER header{};
        std::memcpy(&header, image.data(), std::min(image.size(), sizeof header));
        EXPECT_EQ(std::tuple(header.biSize, header.biWidth, image == Image(L"ICON_DOWNPIC", size)),
                  std::tuple(DWORD{sizeof header}, LONG{size}, true))
            << size << " px, the same in the form's group";
    }
    const TestForm form(100, 60);
    SetFormIcons(form.Window(), *form.Record(), module);
    for (auto [which, size] : {std::pair{ICON_BIG, 48}, {ICON_SMALL, 32}}) {
        ICONINFO icon{};
        ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(SendMessageW(form.Window(), WM_GETICON, which, 0)), &icon));
        BITMAP color{};
        GetObjectW(icon.hbmColor, sizeof color, &color);
        EXPECT_EQ(color.bmWidth, size);
        DeleteObject(icon.hbmColor);
        DeleteObject(icon.hbmMask);
    }
}

TEST_F(ProgramResources, TheManifestAsksForCommonControlsSixAndPerMonitorDpi) {
    const std::string_view manifest = Bytes(RT_MANIFEST, MAKEINTRESOURCEW(1));
    EXPECT_EQ(manifest.substr(0, 3), "\xEF\xBB\xBF") << "UTF-8 with a byte-order mark";
    for (const char* text : {R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
                             R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)", ">true</dpiAware>",
                             ">PerMonitorV2</dpiAwareness>"}) {
        EXPECT_NE(manifest.find(text), std::string_view::npos) << text;
    }
}

TEST_F(ProgramResources, TheVersionBlockNamesTheProductItsMakerAndVersionOne) {
    // What the file's properties show, read by the system's own reader.
    const auto at = [block = Bytes(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO))](const std::wstring& path) {
        void* value = nullptr;
        UINT length = 0;
        return VerQueryValueW(block.data(), path.c_str(), &value, &length) ? value : nullptr;
    };
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(at(L"\\"));
    EXPECT_EQ(fixed ? fixed->dwFileVersionMS : 0, 0x00010000u);
    for (auto [key, shown] : {std::pair{L"CompanyName", L"Quellan"}, {L"FileDescription", L"Voyanta原图批量下载"}}) {
        const auto* text = static_cast<const wchar_t*>(at(std::wstring(L"\\StringFileInfo\\040904E4\\") + key));
        EXPECT_EQ(std::wstring(text ? text : L"(none)"), shown) << key;
    }
}
