#pragma once
// The main window's own captions, headers and notices, each written once. The compiler turns these UTF-8 source
// literals into UTF-16, which is what the window receives; every one of them is representable in code page 936.
#include "scrape/SearchTexts.h"

inline constexpr wchar_t kForm1Caption[] = L"Voyanta原图批量下载 --- Quellan[ZRT]";
inline constexpr wchar_t kForm1ClassName[] = L"Quellan";

inline constexpr wchar_t kAddressHint[] = L"(双击此处,自动粘贴剪切板内容)";
inline constexpr wchar_t kFindPicturesCaption[] = L"查找图片";
inline constexpr wchar_t kDownloadSelectedCaption[] = L"下载选中";
inline constexpr wchar_t kAddressLabel[] = L"网页地址:";
inline constexpr wchar_t kFolderLabel[] = L"下载目录:";

inline constexpr wchar_t kNumberHeader[] = L"序号";
inline constexpr wchar_t kLinkHeader[] = L"图片连接";

// The link column's header after a copy of all links ends so, after the search's count start and the count; the
// search's own header texts, and the status column's, are in scrape/SearchTexts.h.
inline constexpr wchar_t kLinkHeaderCopiedEnd[] = L"个  )  ,   ☆☆☆☆☆已复制全部图片地址到剪切板☆☆☆☆☆ ";
