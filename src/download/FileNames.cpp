#include "download/FileNames.h"

#include <algorithm>

namespace {

// A folder name that Windows resolves to itself: no separator or forbidden byte, and not "." or ".." (nor any other
// run of dots and blanks, which Windows trims to nothing).
bool IsPlainFolderName(std::string_view name) {
    if (name.empty() || HasForbiddenNameByte(name)) return false;
    return name.find_first_not_of(". ") != std::string_view::npos;
}

}  // namespace

std::string PicturesRootFolder(std::string_view executableFolder) {
    return std::string(executableFolder).append(kPicturesFolderName);
}

std::string DefaultFolder(std::string_view executableFolder) {
    return PicturesRootFolder(executableFolder).append("\\");
}

std::string NoteFolder(std::string_view executableFolder, std::string_view noteId) {
    std::string folder = DefaultFolder(executableFolder);
    if (IsPlainFolderName(noteId)) folder.append(noteId).append("\\");
    return folder;
}

std::string FolderFromBoxText(std::string_view boxText) {
    std::string folder(boxText);
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder.push_back('\\');
    return folder;
}

bool HasForbiddenNameByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    });
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

std::string TargetPath(std::string_view folder, std::string_view fileName) {
    return std::string(folder).append(fileName);
}
