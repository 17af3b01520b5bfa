#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Where pictures are saved and under which names. Folders and target paths are UTF-16 from the platform to the call
// that writes the file, never converted to an 8-bit code page. A picture's file name is made from its address, which
// is 8-bit text (code page 936); the caller converts that name to UTF-16 once, at the join with the folder.

inline constexpr std::wstring_view kPicturesFolderName = L"DadAzizEzaz";

// The executable folder (ending in a separator) + "DadAzizEzaz", without a trailing backslash.
std::wstring PicturesRootFolder(std::wstring_view executableFolder);
// The executable folder + "DadAzizEzaz\": the folder shown at start-up.
std::wstring DefaultFolder(std::wstring_view executableFolder);
// The default folder + note id + "\". While the id is empty, or is no name a folder can have (a separator, a
// character Windows forbids, only dots), the default folder: a note id never moves the folder out of the default one.
std::wstring NoteFolder(std::wstring_view executableFolder, std::wstring_view noteId);
// The download folder for the text of the folder box: blanks around it dropped, "/" made "\", and a backslash added
// when it does not end in one, so that " D:/pics " means the folder D:\pics. A text of blanks only gives empty text.
std::wstring FolderFromBoxText(std::wstring_view boxText);

// True when the text holds a byte Windows forbids in a file name: \ / : * ? " < > | or a control character.
bool HasForbiddenNameByte(std::string_view text);

// The extension kept for a picture: the address's tail from its last ".", when that "." stands after the address's
// last "/" and the tail holds no forbidden byte; otherwise empty.
std::string_view PictureExtension(std::string_view address);
// The row number (row index + 1, in decimal) followed by the picture's extension: always one valid file name.
std::string MakeFileName(size_t rowIndex, std::string_view address);
// The target under its copy number, for a name already taken by other bytes: "D:\p\12.jpg" with copy 2 gives
// "D:\p\12 (2).jpg", "D:\p\7" gives "D:\p\7 (2)". Copy 1 is the target itself.
std::wstring NumberedTarget(std::wstring_view target, unsigned copy);
