#include <windows.h>

#include <string>

#include "link/LogFolder.h"

namespace kotar {
namespace {

std::wstring EnvironmentValue(const wchar_t* name) {
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

}  // namespace

std::filesystem::path UserStateFolder() {
    std::filesystem::path base = EnvironmentValue(L"LOCALAPPDATA");
    if (base.empty() || !base.is_absolute()) {
        base = EnvironmentValue(L"USERPROFILE");
        base /= L"AppData\\Local";
    }
    return base / L"KOTAR";
}

bool FolderTakesNewFiles(const std::filesystem::path& folder) {
    if (folder.empty())
        return false;
    // Permissions under Program Files are not plain bits: only making a file tells.
    const std::filesystem::path probe =
        folder / (L".kotar-probe-" + std::to_wstring(::GetCurrentProcessId()));
    HANDLE handle = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(handle);
    return true;
}

}  // namespace kotar
