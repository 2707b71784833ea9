#include "ui/FolderPicker.h"

#include <shobjidl.h>

#include "core/Handle.h"
#include "core/rules/AppError.h"

std::optional<std::wstring> PickFolder(HWND owner)
{
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                  dialog.put_void())))
        throw AppError(L"The folder picker cannot be opened");
    // Only this option: none of the dialog's defaults remain.
    dialog->SetOptions(FOS_PICKFOLDERS);
    if (FAILED(dialog->Show(owner)))
        return std::nullopt; // cancelled
    ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(item.put())))
        return std::nullopt;
    wchar_t* path = nullptr;
    // A location without a file-system path gives the empty path, which names no folder.
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path)
        return std::wstring();
    std::wstring result(path);
    ::CoTaskMemFree(path);
    return result;
}
