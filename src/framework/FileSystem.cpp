#include "framework/FileSystem.h"

#include "framework/App.h"
#include "framework/Win32.h"
#include "services/WString.h"

FileSystemObject::FileSystemObject() noexcept {
    const HRESULT init = CoInitialize(nullptr);
    uninitialize_ = init == S_OK || init == S_FALSE;
    void* object = nullptr;
    result_ = CoCreateInstance(kFileSystemObjectClass, nullptr, CLSCTX_INPROC_SERVER, kFileSystem3Interface, &object);
    if (SUCCEEDED(result_)) object_ = static_cast<IFileSystem3*>(object);
}

FileSystemObject::~FileSystemObject() {
    if (object_ != nullptr) object_->Release();
    object_ = nullptr;
    if (uninitialize_) CoUninitialize();
}

bool FileSystemObject::FolderExists(std::wstring_view folder) noexcept {
    if (object_ == nullptr) return false;
    const Bstr path{WString(folder)};
    VARIANT_BOOL exists = VARIANT_FALSE;
    result_ = object_->FolderExists(path.Get(), &exists);
    return SUCCEEDED(result_) && exists != VARIANT_FALSE;
}

bool FolderExists(std::wstring_view folder) noexcept {
    return ProcessFileSystem().FolderExists(folder);
}
