#include <gtest/gtest.h>

#include <string>

#include "framework/Win32.h"
#include "services/FolderPath.h"
#include "services/WString.h"

namespace {

// "图片连接" stored as code page 936 bytes, and the same caption in UTF-16.
const RtString kCaption936 = "\xCD\xBC\xC6\xAC\xC1\xAC\xBD\xD3";
const wchar_t kCaptionWide[] = L"\u56FE\u7247\u8FDE\u63A5";

std::wstring TempFolder(const wchar_t* name) {
    wchar_t base[MAX_PATH]{};
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + name + std::to_wstring(GetCurrentProcessId());
    return folder;
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

bool IsFolder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TEST(TextModel, ChineseCaptionRoundTripsThroughCodePage936) {
    const WString wide(kCaption936);
    EXPECT_EQ(wide.Str(), kCaptionWide);
    EXPECT_EQ(wide.ToRtString(), kCaption936);
    EXPECT_EQ(WString(L"").ToRtString(), "");
    EXPECT_EQ(WString(RtString()).Length(), 0u);
    EXPECT_EQ(WString(static_cast<const wchar_t*>(nullptr)).Length(), 0u);
    EXPECT_EQ(*WString(static_cast<const wchar_t*>(nullptr)).Data(), L'\0');
    EXPECT_EQ(WString(L"\u00E9\u0663").ToRtString().back(), '?') << "unmappable characters become the default";
}

TEST(TextModel, WStringOperations) {
    WString text(int32_t{-42});
    EXPECT_EQ(text.Str(), L"-42");
    text.Append(L"ab", 2);
    EXPECT_EQ(text.Str(), L"-42ab");
    EXPECT_EQ(text.Length(), 5u);
    const WString copy = text;
    text.Clear();
    EXPECT_EQ(copy.Str(), L"-42ab") << "a copy owns its buffer";
    EXPECT_EQ(text.Length(), 0u);
    text.Assign(kCaption936);
    EXPECT_EQ(text.Str(), kCaptionWide);
    text.Assign(text);
    EXPECT_EQ(text.Str(), kCaptionWide) << "assigning to itself keeps the text";
    EXPECT_EQ(WString::Concat(WString(L"a"), WString(L"b")).Str(), L"ab");
}

TEST(TextModel, BstrHoldsExactlyTheConvertedText) {
    Bstr caption(kCaption936);
    ASSERT_NE(caption.Get(), nullptr);
    EXPECT_EQ(SysStringLen(caption.Get()), 4u);
    EXPECT_EQ(std::wstring(caption.Get()), kCaptionWide);
    Bstr empty(RtString{});
    ASSERT_NE(empty.Get(), nullptr) << "an empty text gives an empty, non-null BSTR";
    EXPECT_EQ(SysStringLen(empty.Get()), 0u);
    Bstr utf8(RtStringToBstr("\xE5\x9B\xBE", CP_UTF8));
    EXPECT_EQ(std::wstring(utf8.Get()), L"\u56FE");
    Bstr fromWide(WString(L"x"));
    EXPECT_EQ(SysStringLen(fromWide.Get()), 1u);
    FreeBstr(nullptr);
}

TEST(TextModel, ControlTextGoesThroughTheWindow) {
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(GetControlText(edit).Length(), 0u) << "an empty edit box gives empty text";
    EXPECT_TRUE(SetControlText(edit, WString(kCaption936)));
    EXPECT_EQ(GetControlText(edit).Str(), kCaptionWide);
    EXPECT_EQ(GetControlText(edit).ToRtString(), kCaption936);
    DestroyWindow(edit);
}

TEST(TextModel, CreatePathMakesEveryMissingLevel) {
    const std::wstring root = TempFolder(L"createpath");
    RemoveTree(root);
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    CreatePath(root + L"\\one");
    EXPECT_TRUE(IsFolder(root + L"\\one")) << "the last level under an existing parent";

    CreatePath(root + L"\\two/three\\");
    EXPECT_TRUE(IsFolder(root + L"\\two\\three")) << "two missing levels, a forward slash and a trailing backslash";

    CreatePath(root + L"\\\u904B\\J\u00F6rg");
    EXPECT_TRUE(IsFolder(root + L"\\\u904B\\J\u00F6rg")) << "a name outside code page 936 below one ending in 0x5C there";

    const std::wstring file = root + L"\\plain";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    CreatePath(root + L"\\plain");
    EXPECT_FALSE(IsFolder(file)) << "an existing plain file is left alone";

    uint32_t attributes = 0;
    EXPECT_EQ(FindDirectoryEntry(WString(root + L"\\tw*"), FILE_ATTRIBUTE_DIRECTORY, &attributes).Str(), L"two");
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    attributes = 7;
    EXPECT_TRUE(FindDirectoryEntry(WString(root + L"\\pl*"), FILE_ATTRIBUTE_DIRECTORY, &attributes).Empty());
    EXPECT_EQ(attributes, 7u) << "no match leaves the attributes alone";
    RemoveTree(root);
}

TEST(TextModel, CreatePathWithADriveLetterCreatesTheLevelsBelowIt) {
    const std::wstring root = TempFolder(L"createdrive");
    RemoveTree(root);
    ASSERT_GE(root.size(), 3u);
    ASSERT_EQ(root[1], L':');
    CreatePath(root + L"\\a\\b");
    EXPECT_TRUE(IsFolder(root + L"\\a\\b"));
    RemoveTree(root);
}

TEST(TextModel, CreatePathLeavesNetworkPathsAlone) {
    // Nothing may be created: neither a share nor a local folder named after it.
    CreatePath(L"\\\\nosuchserver\\share\\x");
    EXPECT_FALSE(IsFolder(L"\\\\nosuchserver\\share\\x"));
    EXPECT_FALSE(IsFolder(L"nosuchserver"));
}
