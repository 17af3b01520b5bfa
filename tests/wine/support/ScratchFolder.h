#pragma once
#include <string>

// A fresh, empty folder under the temporary folder for one test, removed with everything in it at the end.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }  // ends in a backslash
    bool Exists(const std::wstring& name) const;        // a file or folder of that name is in the folder
    std::string Read(const std::wstring& name) const;   // the file's bytes; empty when it cannot be read
    bool Write(const std::wstring& name, const std::string& bytes) const;
    int CountEntries() const;  // files and folders directly inside

  private:
    std::wstring path_;
};
