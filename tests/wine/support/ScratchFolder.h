#pragma once
// Files on disk as the window tests see them.
#include <set>
#include <string>

std::string ReadFileBytes(const std::wstring& path);  // empty when it cannot be read
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Every file and folder under the folder (which ends in a separator), relative to it; folder names end in "\".
std::set<std::wstring> ListTree(const std::wstring& folder);
// Removes the folder with everything in it. Only a full path below a drive's root that ends in a separator: an empty
// or relative path would name the current folder.
void RemoveTree(const std::wstring& folder);

// A fresh, empty folder under the temporary folder for one test, removed with everything in it at the end.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& Path() const { return path_; }  // ends in a backslash
    bool Write(const std::wstring& name, const std::string& bytes) const { return WriteFileBytes(path_ + name, bytes); }

  private:
    std::wstring path_;
};
