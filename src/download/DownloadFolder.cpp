#include "download/DownloadFolder.h"

#include <mutex>

#include "download/FileNames.h"
#include "framework/FileSystem.h"
#include "framework/ModulePath.h"
#include "framework/Win32.h"
#include "services/FolderPath.h"
#include "services/WString.h"

namespace {

std::mutex folderLock;
std::wstring downloadFolder;  // guarded by folderLock

}  // namespace

std::wstring CurrentDownloadFolder() {
    std::lock_guard<std::mutex> hold(folderLock);
    return downloadFolder;
}

void SetDownloadFolder(const std::wstring& folder) {
    std::lock_guard<std::mutex> hold(folderLock);
    downloadFolder = folder;
}

std::wstring ExecutableFolder() {
    return CurrentExecutablePath().folder;
}

void EnsureFolderExists(const std::wstring& folder) {
    if (!FolderExists(folder)) CreatePath(folder);
}

void ShowDefaultFolder(HWND folderBox) {
    const std::wstring folder = DefaultFolder(ExecutableFolder());
    SetControlText(folderBox, WString(folder));
    EnsureFolderExists(folder);
}

void ShowNoteFolder(HWND folderBox, std::string_view noteId) {
    const std::wstring folder = NoteFolder(ExecutableFolder(), WideFromText(noteId));
    SetDownloadFolder(folder);
    SetControlText(folderBox, WString(folder));
}

std::wstring TakeFolderFromBox(HWND folderBox) {
    std::wstring folder = FolderFromBoxText(GetControlText(folderBox).Str());
    if (folder.empty()) {
        // An emptied box would put the pictures into whatever the current folder is: the default folder is meant.
        folder = DefaultFolder(ExecutableFolder());
        SetControlText(folderBox, WString(folder));
    }
    SetDownloadFolder(folder);
    EnsureFolderExists(folder);
    return folder;
}
