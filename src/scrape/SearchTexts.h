#pragma once
// The picture list's header texts that a search writes, each written once. UTF-8 source literals, turned into the
// UTF-16 the list receives; every one of them is representable in code page 936.

inline constexpr wchar_t kStatusHeader[] = L"下载状态";  // the status column's header as the list is built

// Link column header while a search runs, and the parts around the picture count once it has ended (a copy of all
// links uses the same start).
inline constexpr wchar_t kLinkHeaderSearching[] = L"图片连接:  正在查找所有图片.........";
inline constexpr wchar_t kLinkHeaderCountStart[] = L"图片连接: (  ";
inline constexpr wchar_t kLinkHeaderFoundEnd[] = L"个  )  ,  ★★★★★点击这里复制所有图片的连接★★★★★ ";
