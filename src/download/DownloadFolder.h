#pragma once
#include <string_view>

#include "framework/Win32.h"
#include "services/RtString.h"

// The folder pictures are saved into, as the folder box shows it and as the download reads it. Texts are 8-bit
// (code page 936) and always end in a separator when the tool made them.

// The download folder last set by a search or by the start of a download run; empty before either. Any thread: reads
// and writes are mutually excluded, so a reader always sees one whole text.
RtString CurrentDownloadFolder();
void SetDownloadFolder(const RtString& folder);

// The executable's folder, ending in its separator, in code page 936.
RtString ExecutableFolderText();

// Creates the folder, and every missing folder above it, when the file-system object does not report it present.
void EnsureFolderExists(const RtString& folder);

// Start-up: the default folder (executable folder + "DadAzizEzaz\") into the folder box, created when missing. The
// download folder itself stays as it is.
void ShowDefaultFolder(HWND folderBox);
// End of a search: the note's folder becomes the download folder and is shown in the folder box. Not created here.
void ShowNoteFolder(HWND folderBox, std::string_view noteId);
// Start of a download run: the folder box's text becomes the download folder (a text without a trailing separator
// names a folder, so one is added) and is created when missing. An empty box means the default folder, which it
// then shows. Returns the folder.
RtString TakeFolderFromBox(HWND folderBox);
