// The built program's resources, read back from the executable the way Windows reads them.
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "framework/ModulePath.h"
#include "framework/Win32.h"
#include "services/resources/version.h"

namespace {

constexpr WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);  // 2052

#pragma pack(push, 2)
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

// The program sits two folders above the test program (build/tests/wine/wine_tests.exe, build/VoyantaPictures.exe).
std::wstring ProgramPath() {
    return CurrentExecutablePath().folder + L"..\\..\\VoyantaPictures.exe";
}

struct ResourceModule {
    HMODULE module =
        LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ~ResourceModule() {
        if (module) FreeLibrary(module);
    }
};

std::string_view ResourceBytes(HMODULE module, const wchar_t* type, const wchar_t* name) {
    HRSRC found = FindResourceExW(module, type, name, kChinesePrc);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {static_cast<const char*>(bytes), SizeofResource(module, found)};
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
    auto* names = reinterpret_cast<std::vector<std::wstring>*>(list);
    names->push_back(IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name)) : name);
    return TRUE;
}

struct IconImage {
    int size;
    int bits;
    WORD id;
};

// The images of one icon group, each checked against its own icon resource.
std::vector<IconImage> GroupImages(HMODULE module, const wchar_t* group) {
    std::vector<IconImage> images;
    const std::string_view bytes = ResourceBytes(module, RT_GROUP_ICON, group);
    if (bytes.size() < sizeof(GroupIconHeader)) {
        ADD_FAILURE() << "no icon group";
        return images;
    }
    GroupIconHeader header;
    std::memcpy(&header, bytes.data(), sizeof header);
    EXPECT_EQ(header.type, 1);
    if (bytes.size() < sizeof header + header.count * sizeof(GroupIconEntry)) {
        ADD_FAILURE() << "icon group cut short";
        return images;
    }
    for (WORD i = 0; i < header.count; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, bytes.data() + sizeof header + i * sizeof entry, sizeof entry);
        const int size = entry.width == 0 ? 256 : entry.width;
        images.push_back({size, entry.bitCount, entry.id});

        const std::string_view image = ResourceBytes(module, RT_ICON, MAKEINTRESOURCEW(entry.id));
        SCOPED_TRACE("image of " + std::to_string(size) + " px");
        EXPECT_EQ(image.size(), entry.bytesInRes);
        // A bitmap image (not PNG): the header of a device-independent bitmap, twice as high for its mask.
        if (image.size() < sizeof(BITMAPINFOHEADER)) {
            ADD_FAILURE() << "image missing or cut short";
            continue;
        }
        EXPECT_NE(image.substr(0, 4), std::string_view("\x89PNG", 4));
        BITMAPINFOHEADER bitmap;
        std::memcpy(&bitmap, image.data(), sizeof bitmap);
        EXPECT_EQ(bitmap.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(bitmap.biWidth, size);
        EXPECT_EQ(bitmap.biHeight, 2 * size);
        EXPECT_EQ(bitmap.biBitCount, entry.bitCount);
    }
    return images;
}

// Reads one value of the version block with the system's own reader (version.dll, loaded here by name so that
// the program itself never imports it).
class VersionBlock {
  public:
    explicit VersionBlock(const std::wstring& path) {
        if (!library_) return;
        using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
        using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
        auto size = reinterpret_cast<SizeFn>(Procedure("GetFileVersionInfoSizeW"));
        auto info = reinterpret_cast<InfoFn>(Procedure("GetFileVersionInfoW"));
        query_ = reinterpret_cast<QueryFn>(Procedure("VerQueryValueW"));
        if (!size || !info || !query_) return;
        DWORD ignored = 0;
        block_.resize(size(path.c_str(), &ignored));
        if (block_.empty() || !info(path.c_str(), 0, static_cast<DWORD>(block_.size()), block_.data())) block_.clear();
    }
    ~VersionBlock() {
        if (library_) FreeLibrary(library_);
    }
    bool Loaded() const { return !block_.empty(); }

    std::string_view Value(const wchar_t* path) {
        void* value = nullptr;
        UINT length = 0;
        if (!Loaded() || !query_(block_.data(), path, &value, &length) || !value) return {};
        return {static_cast<const char*>(value), length};
    }
    std::wstring Text(const wchar_t* path) {
        const std::string_view value = Value(path);
        std::wstring text(reinterpret_cast<const wchar_t*>(value.data()), value.size());
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        return text;
    }

  private:
    void* Procedure(const char* name) const { return reinterpret_cast<void*>(GetProcAddress(library_, name)); }

    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
    HMODULE library_ = LoadLibraryW(L"version.dll");
    QueryFn query_ = nullptr;
    std::vector<char> block_;
};

}  // namespace

TEST(ProgramResources, IconGroupsHoldFiveSizesWithTheLargestAsBitmap) {
    ResourceModule program;
    ASSERT_NE(program.module, nullptr) << "cannot open the built program";

    std::vector<std::wstring> groups;
    EnumResourceNamesW(program.module, RT_GROUP_ICON, CollectName, reinterpret_cast<LONG_PTR>(&groups));
    // The shell shows the first group of the file.
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0], L"AAAAA_APPICON");
    EXPECT_EQ(groups[1], L"ICON_DOWNPIC");

    const std::vector<IconImage> app = GroupImages(program.module, L"AAAAA_APPICON");
    const std::vector<IconImage> form = GroupImages(program.module, L"ICON_DOWNPIC");
    for (const auto* images : {&app, &form}) {
        ASSERT_EQ(images->size(), 5u);
        std::set<std::pair<int, int>> sizes;
        for (const IconImage& image : *images) sizes.insert({image.size, image.bits});
        EXPECT_EQ(sizes, (std::set<std::pair<int, int>>{{16, 8}, {24, 8}, {32, 8}, {48, 8}, {256, 32}}));
    }
    // Same pixels, images of its own.
    for (size_t i = 0; i < app.size() && i < form.size(); ++i) {
        EXPECT_NE(app[i].id, form[i].id);
        EXPECT_EQ(app[i].size, form[i].size);
        EXPECT_EQ(ResourceBytes(program.module, RT_ICON, MAKEINTRESOURCEW(app[i].id)),
                  ResourceBytes(program.module, RT_ICON, MAKEINTRESOURCEW(form[i].id)));
    }
}

TEST(ProgramResources, FormIconsLoadAtTheirOwnSizes) {
    ResourceModule program;
    ASSERT_NE(program.module, nullptr);
    for (int size : {48, 32, 16, 256}) {
        HICON icon = static_cast<HICON>(LoadImageW(program.module, L"ICON_DOWNPIC", IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP color{};
        GetObjectW(info.hbmColor, sizeof color, &color);
        EXPECT_EQ(color.bmWidth, size);
        EXPECT_EQ(color.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(ProgramResources, ManifestAsksForCommonControlsSixAndPerMonitorDpi) {
    ResourceModule program;
    ASSERT_NE(program.module, nullptr);
    const std::string_view manifest = ResourceBytes(program.module, RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(manifest.empty());
    EXPECT_EQ(manifest.substr(0, 3), "\xEF\xBB\xBF") << "UTF-8 with a byte-order mark";
    const char* required[] = {
        R"(<assemblyIdentity version="1.0.0.0" processorArchitecture="*")",
        R"(type="win32")",
        "<description>" VOYANTA_PRODUCT_NAME "</description>",
        R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
        R"(publicKeyToken="6595b64144ccf1df" language="*")",
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
        R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)",
        ">true</dpiAware>",
        ">PerMonitorV2</dpiAwareness>",
    };
    for (const char* text : required) EXPECT_NE(manifest.find(text), std::string_view::npos) << text;
}

TEST(ProgramResources, VersionBlockNamesTheProductAndItsMaker) {
    VersionBlock version(ProgramPath());
    ASSERT_TRUE(version.Loaded());

    const std::string_view fixedBytes = version.Value(L"\\");
    ASSERT_EQ(fixedBytes.size(), sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, fixedBytes.data(), sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0u);
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));

    const std::string_view translation = version.Value(L"\\VarFileInfo\\Translation");
    ASSERT_EQ(translation.size(), 4u);
    WORD pair[2];
    std::memcpy(pair, translation.data(), sizeof pair);
    EXPECT_EQ(pair[0], 0x0804);
    EXPECT_EQ(pair[1], 0x04E4);

    EXPECT_EQ(version.Text(L"\\StringFileInfo\\040904E4\\CompanyName"), L"Quellan");
    EXPECT_EQ(version.Text(L"\\StringFileInfo\\040904E4\\ProductName"), L"Voyanta原图批量下载");
    EXPECT_EQ(version.Text(L"\\StringFileInfo\\040904E4\\FileDescription"), L"Voyanta原图批量下载");
    EXPECT_EQ(version.Text(L"\\StringFileInfo\\040904E4\\FileVersion"), L"1.0.0.0");
    EXPECT_EQ(version.Text(L"\\StringFileInfo\\040904E4\\ProductVersion"), L"1.0.0.0");
}
