// The built program's resources, read back from the executable the way Windows reads them.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "framework/AppIcons.h"
#include "framework/ModulePath.h"
#include "framework/Win32.h"
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

    // The images of an icon group: size in pixels -> bit count, and the bytes of each image.
    std::map<int, int> Images(const wchar_t* group, std::vector<std::string_view>& images) const {
        std::map<int, int> sizes;
        const std::string_view entries = Bytes(RT_GROUP_ICON, group);
        for (size_t at = 6; at + 14 <= entries.size(); at += 14) {  // a 6-byte header, then 14 bytes an image
            WORD bits = 0, id = 0;
            std::memcpy(&bits, &entries[at + 6], 2);
            std::memcpy(&id, &entries[at + 12], 2);
            const int size = static_cast<BYTE>(entries[at]) == 0 ? 256 : static_cast<BYTE>(entries[at]);
            sizes[size] = bits;
            images.push_back(Bytes(RT_ICON, MAKEINTRESOURCEW(id)));
            // A bitmap, which every Windows reads, not a PNG: it starts with a 40-byte BITMAPINFOHEADER.
            EXPECT_EQ(images.back().substr(0, 4), std::string_view("\x28\0\0\0", 4)) << size << " px";
        }
        return sizes;
    }
};

}  // namespace

TEST_F(ProgramResources, TheShellIconComesFirstAndBothGroupsHoldTheSameFiveBitmaps) {
    std::vector<std::wstring> groups;
    EnumResourceNamesW(
        module, RT_GROUP_ICON,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) -> BOOL {
            reinterpret_cast<std::vector<std::wstring>*>(list)->push_back(IS_INTRESOURCE(name) ? L"#" : name);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ(groups, (std::vector<std::wstring>{L"AAAAA_APPICON", L"ICON_DOWNPIC"}));
    std::vector<std::string_view> shell, form;
    const std::map<int, int> sizes{{16, 8}, {24, 8}, {32, 8}, {48, 8}, {256, 32}};
    EXPECT_EQ(Images(L"AAAAA_APPICON", shell), sizes);
    EXPECT_EQ(Images(L"ICON_DOWNPIC", form), sizes);
    EXPECT_EQ(shell, form) << "the same pictures";
}

TEST_F(ProgramResources, FormIconsAreTheFormGroupsFortyEightAndThirtyTwoPixelImagesReleasedWithTheForm) {
    HICON big = nullptr, small = nullptr;
    {
        const TestForm form(100, 60);
        SetFormIcons(form.Window(), *form.Record(), module);
        big = reinterpret_cast<HICON>(SendMessageW(form.Window(), WM_GETICON, ICON_BIG, 0));
        small = reinterpret_cast<HICON>(SendMessageW(form.Window(), WM_GETICON, ICON_SMALL, 0));
        for (auto [icon, size] : {std::pair{big, 48}, std::pair{small, 32}}) {
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(icon, &info)) << size;
            BITMAP color{};
            GetObjectW(info.hbmColor, sizeof color, &color);
            EXPECT_EQ(std::pair(color.bmWidth, color.bmHeight), std::pair(LONG{size}, LONG{size}));
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
    }
    ICONINFO gone{};
    EXPECT_FALSE(GetIconInfo(big, &gone) || GetIconInfo(small, &gone)) << "destroyed with the form";
}

TEST_F(ProgramResources, TheManifestAsksForCommonControlsSixAndPerMonitorDpi) {
    const std::string_view manifest = Bytes(RT_MANIFEST, MAKEINTRESOURCEW(1));
    EXPECT_EQ(manifest.substr(0, 3), "\xEF\xBB\xBF") << "UTF-8 with a byte-order mark";
    for (const char* text : {
             R"(<assemblyIdentity version="1.0.0.0" processorArchitecture="*")",
             R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
             R"(publicKeyToken="6595b64144ccf1df")",
             "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Windows Vista
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
             R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)",
             ">true</dpiAware>",
             ">PerMonitorV2</dpiAwareness>",
         }) {
        EXPECT_NE(manifest.find(text), std::string_view::npos) << text;
    }
}

TEST_F(ProgramResources, TheVersionBlockNamesTheProductItsMakerAndVersionOne) {
    const std::string_view resource = Bytes(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO));
    std::vector<char> block(resource.begin(), resource.end());
    // The system's own reader, looked up by name: the build links no import library for version.dll.
    const auto query = reinterpret_cast<BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT)>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"version.dll"), "VerQueryValueW")));
    ASSERT_TRUE(query != nullptr && !block.empty());
    const auto value = [&](const std::wstring& path) {
        void* at = nullptr;
        UINT length = 0;
        return query(block.data(), path.c_str(), &at, &length) && at ? at : nullptr;
    };
    const auto text = [&](const wchar_t* key) {
        const void* at = value(std::wstring(L"\\StringFileInfo\\040904E4\\") + key);
        return at ? std::wstring(static_cast<const wchar_t*>(at)) : std::wstring();
    };
    VS_FIXEDFILEINFO fixed{};
    if (const void* at = value(L"\\")) std::memcpy(&fixed, at, sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(std::pair(fixed.dwFileVersionMS, fixed.dwFileVersionLS), std::pair(DWORD{0x00010000}, DWORD{0}));
    EXPECT_EQ(std::pair(fixed.dwProductVersionMS, fixed.dwProductVersionLS), std::pair(DWORD{0x00010000}, DWORD{0}));
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
    const void* translation = value(L"\\VarFileInfo\\Translation");
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(std::string_view(static_cast<const char*>(translation), 4), std::string_view("\x04\x08\xE4\x04", 4));
    EXPECT_EQ(text(L"CompanyName"), L"Quellan");
    EXPECT_EQ(text(L"ProductName"), L"Voyanta原图批量下载");
    EXPECT_EQ(text(L"FileDescription"), L"Voyanta原图批量下载");
    EXPECT_EQ(text(L"FileVersion"), L"1.0.0.0");
    EXPECT_EQ(text(L"ProductVersion"), L"1.0.0.0");
}
