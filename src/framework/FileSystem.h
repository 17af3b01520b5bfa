#pragma once
#include <string_view>

#include "framework/Win32.h"

// The platform's scripting file-system object (class FileSystemObject) through its interface IFileSystem3, used to
// ask whether a folder exists. The SDK headers of this build do not declare it: the table below follows the
// interface's published order (IDispatch, then IFileSystem, then IFileSystem3). Only FolderExists is called; the
// other entries hold their places.
struct IFileSystem3 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Drives(IDispatch** drives) = 0;
    virtual HRESULT STDMETHODCALLTYPE BuildPath(BSTR path, BSTR name, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDriveName(BSTR path, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetParentFolderName(BSTR path, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFileName(BSTR path, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBaseName(BSTR path, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExtensionName(BSTR path, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAbsolutePathName(BSTR path, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTempName(BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE DriveExists(BSTR path, VARIANT_BOOL* exists) = 0;
    virtual HRESULT STDMETHODCALLTYPE FileExists(BSTR path, VARIANT_BOOL* exists) = 0;
    virtual HRESULT STDMETHODCALLTYPE FolderExists(BSTR path, VARIANT_BOOL* exists) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDrive(BSTR path, IDispatch** drive) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFile(BSTR path, IDispatch** file) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, IDispatch** folder) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSpecialFolder(int which, IDispatch** folder) = 0;
    // The next four are named with a suffix: windows.h turns their plain names into macros.
    virtual HRESULT STDMETHODCALLTYPE DeleteFileEntry(BSTR path, VARIANT_BOOL force) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteFolderEntry(BSTR path, VARIANT_BOOL force) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveFileEntry(BSTR source, BSTR destination) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveFolderEntry(BSTR source, BSTR destination) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyFileEntry(BSTR source, BSTR destination, VARIANT_BOOL overwrite) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyFolderEntry(BSTR source, BSTR destination, VARIANT_BOOL overwrite) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFolderEntry(BSTR path, IDispatch** folder) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateTextFile(BSTR name, VARIANT_BOOL overwrite, VARIANT_BOOL unicode,
                                                     IDispatch** stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenTextFile(BSTR name, int mode, VARIANT_BOOL create, int format,
                                                   IDispatch** stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStandardStream(int type, VARIANT_BOOL unicode, IDispatch** stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFileVersion(BSTR name, BSTR* version) = 0;
};

// {0D43FE01-F093-11CF-8940-00A0C9054228}
inline constexpr CLSID kFileSystemObjectClass = {
    0x0D43FE01, 0xF093, 0x11CF, {0x89, 0x40, 0x00, 0xA0, 0xC9, 0x05, 0x42, 0x28}};
// {2A0B9D10-4B87-11D3-A97A-00104B365C9F}
inline constexpr IID kFileSystem3Interface = {
    0x2A0B9D10, 0x4B87, 0x11D3, {0xA9, 0x7A, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F}};

// The holder of the one scripting file-system object of the process: initialises COM on the thread that makes it
// (and undoes that when it goes), keeps the interface pointer and the HRESULT of the last call. A failed creation
// leaves the pointer null. Use it on the thread that made it (the window thread).
class FileSystemObject {
  public:
    FileSystemObject() noexcept;
    ~FileSystemObject();
    FileSystemObject(const FileSystemObject&) = delete;
    FileSystemObject& operator=(const FileSystemObject&) = delete;

    IFileSystem3* Get() const noexcept { return object_; }
    HRESULT LastResult() const noexcept { return result_; }
    // Whether the folder exists (UTF-16; a trailing separator is allowed). False for a missing path, for an empty text
    // and when the object could not be made or the call failed.
    bool FolderExists(std::wstring_view folder) noexcept;

  private:
    IFileSystem3* object_ = nullptr;
    HRESULT result_ = E_FAIL;
    bool uninitialize_ = false;
};

// FolderExists of the process's file-system object.
bool FolderExists(std::wstring_view folder) noexcept;
