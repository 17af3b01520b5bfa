#include "download/FileNames.h"

#include <algorithm>
#include <type_traits>

namespace {

constexpr std::wstring_view kSeparators = L"\\/";
constexpr std::wstring_view kBlanks = L" \t\r\n\v\f";

template <typename Char>
bool IsForbiddenNameChar(Char c) {
    constexpr std::string_view kForbidden = "\\/:*?\"<>|";
    const auto code = static_cast<std::make_unsigned_t<Char>>(c);
    return code < 0x20 || code == 0x7F || (code < 0x80 && kForbidden.find(static_cast<char>(code)) != kForbidden.npos);
}

bool HasForbiddenNameChar(std::wstring_view text) {
    return std::any_of(text.begin(), text.end(), IsForbiddenNameChar<wchar_t>);
}

// A folder name that Windows resolves to itself: no separator or forbidden character, and not "." or ".." (nor any
// other run of dots and blanks, which Windows trims to nothing).
bool IsPlainFolderName(std::wstring_view name) {
    if (name.empty() || HasForbiddenNameChar(name)) return false;
    return name.find_first_not_of(L". ") != std::wstring_view::npos;
}

}  // namespace

std::wstring PicturesRootFolder(std::wstring_view executableFolder) {
    return std::wstring(executableFolder).append(kPicturesFolderName);
}

std::wstring DefaultFolder(std::wstring_view executableFolder) {
    return PicturesRootFolder(executableFolder).append(L"\\");
}

std::wstring NoteFolder(std::wstring_view executableFolder, std::wstring_view noteId) {
    std::wstring folder = DefaultFolder(executableFolder);
    if (IsPlainFolderName(noteId)) folder.append(noteId).append(L"\\");
    return folder;
}

std::wstring FolderFromBoxText(std::wstring_view boxText) {
    const size_t first = boxText.find_first_not_of(kBlanks);
    if (first == std::wstring_view::npos) return {};
    std::wstring folder(boxText.substr(first, boxText.find_last_not_of(kBlanks) - first + 1));
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    if (folder.back() != L'\\') folder.push_back(L'\\');
    return folder;
}

bool HasForbiddenNameByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(), IsForbiddenNameChar<char>);
}

std::string_view PictureExtension(std::string_view address) {
    const size_t dot = address.rfind('.');
    if (dot == std::string_view::npos) return {};
    const size_t slash = address.rfind('/');
    if (slash != std::string_view::npos && slash > dot) return {};  // the "." belongs to the host or a folder
    const std::string_view tail = address.substr(dot);
    return HasForbiddenNameByte(tail) ? std::string_view() : tail;
}

std::string MakeFileName(size_t rowIndex, std::string_view address) {
    return std::to_string(rowIndex + 1).append(PictureExtension(address));
}

std::wstring NumberedTarget(std::wstring_view target, unsigned copy) {
    if (copy <= 1) return std::wstring(target);
    const size_t nameStart = target.find_last_of(kSeparators) + 1;  // 0 when the target has no folder part
    size_t dot = target.rfind(L'.');
    if (dot == std::wstring_view::npos || dot < nameStart) dot = target.size();
    return std::wstring(target.substr(0, dot))
        .append(L" (")
        .append(std::to_wstring(copy))
        .append(L")")
        .append(target.substr(dot));
}
