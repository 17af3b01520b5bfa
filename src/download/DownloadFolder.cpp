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
RtString downloadFolder;  // guarded by folderLock

}  // namespace

RtString CurrentDownloadFolder() {
    std::lock_guard<std::mutex> hold(folderLock);
    return downloadFolder;
}

void SetDownloadFolder(const RtString& folder) {
    std::lock_guard<std::mutex> hold(folderLock);
    downloadFolder = folder;
}

RtString ExecutableFolderText() {
    return TextFromWide(CurrentExecutablePath().folder);
}

void EnsureFolderExists(const RtString& folder) {
    if (!FolderExists(folder)) CreatePath(folder);
}

void ShowDefaultFolder(HWND folderBox) {
    const RtString folder = DefaultFolder(ExecutableFolderText());
    SetControlText(folderBox, WString(folder));
    EnsureFolderExists(folder);
}

void ShowNoteFolder(HWND folderBox, std::string_view noteId) {
    const RtString folder = NoteFolder(ExecutableFolderText(), noteId);
    SetDownloadFolder(folder);
    SetControlText(folderBox, WString(folder));
}

RtString TakeFolderFromBox(HWND folderBox) {
    RtString folder = FolderFromBoxText(GetControlText(folderBox).ToRtString());
    if (folder.empty()) {
        // An emptied box would put the pictures into whatever the current folder is: the default folder is meant.
        folder = DefaultFolder(ExecutableFolderText());
        SetControlText(folderBox, WString(folder));
    }
    SetDownloadFolder(folder);
    EnsureFolderExists(folder);
    return folder;
}
