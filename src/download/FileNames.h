#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Where pictures are saved and under which names. All texts are 8-bit (code page 936), as the download folder is;
// the caller converts a target path to UTF-16 right before the call that writes the file.

inline constexpr std::string_view kPicturesFolderName = "DadAzizEzaz";

// The executable folder (ending in a separator) + "DadAzizEzaz", without a trailing backslash.
std::string PicturesRootFolder(std::string_view executableFolder);
// The executable folder + "DadAzizEzaz\": the folder shown at start-up.
std::string DefaultFolder(std::string_view executableFolder);
// The default folder + note id + "\". While the id is empty, or is no name a folder can have (a separator, a
// character Windows forbids, only dots), the default folder: a note id never moves the folder out of the default one.
std::string NoteFolder(std::string_view executableFolder, std::string_view noteId);
// The download folder for the text of the folder box: the text, with a backslash added when it does not already end
// in "\" or "/", so that "D:\pics" means the folder D:\pics. An empty text stays empty.
std::string FolderFromBoxText(std::string_view boxText);

// True when the text holds a byte Windows forbids in a file name: \ / : * ? " < > | or a control character.
bool HasForbiddenNameByte(std::string_view text);

// The extension kept for a picture: the address's tail from its last ".", when that "." stands after the address's
// last "/" and the tail holds no forbidden byte; otherwise empty.
std::string_view PictureExtension(std::string_view address);
// The row number (row index + 1, in decimal) followed by the picture's extension: always one valid file name.
std::string MakeFileName(size_t rowIndex, std::string_view address);
// The folder directly followed by the file name: the folder text already ends in its separator.
std::string TargetPath(std::string_view folder, std::string_view fileName);
