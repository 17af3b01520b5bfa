#pragma once
#include <string>
#include <string_view>

#include "framework/Win32.h"

// The folder pictures are saved into, as the folder box shows it and as the download reads it. Texts are UTF-16 from
// the platform to the download call, never converted to an 8-bit code page, and end in a separator when the tool made
// them.

// The download folder last set by a search or by the start of a download run; empty before either. Any thread: reads
// and writes are mutually excluded, so a reader always sees one whole text.
std::wstring CurrentDownloadFolder();
void SetDownloadFolder(const std::wstring& folder);

// The executable's folder, ending in its separator.
std::wstring ExecutableFolder();

// Creates the folder, and every missing folder above it, when the file-system object does not report it present.
void EnsureFolderExists(const std::wstring& folder);

// Start-up: the default folder (executable folder + "DadAzizEzaz\") into the folder box, created when missing. The
// download folder itself stays as it is.
void ShowDefaultFolder(HWND folderBox);
// End of a search: the note's folder becomes the download folder and is shown in the folder box. Not created here.
// The note id is 8-bit text (code page 936), as the address it came from.
void ShowNoteFolder(HWND folderBox, std::string_view noteId);
// Start of a download run: the folder box's text becomes the download folder (blanks around it dropped, "/" read as
// "\", a trailing separator added) and is created when missing. The box keeps what the user typed. An empty box means
// the default folder, which it then shows. Returns the folder.
std::wstring TakeFolderFromBox(HWND folderBox);
