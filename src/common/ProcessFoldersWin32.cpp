// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>
// clang-format off
#include <sddl.h>
#include <shlobj.h>
// clang-format on

#include <string>
#include <vector>

#include "common/ProcessFolders.h"
#include "common/WideText.h"

namespace kotar {

std::filesystem::path ExecutableFolder() {
    // Long paths need more than MAX_PATH: grow until the name fits.
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size()) {
            name.resize(length);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
}

std::filesystem::path DefaultWorkFolder() {
    return std::filesystem::path(L"C:\\MEVAN\\DATA");
}

bool CanEnterFolder(const std::filesystem::path& folder) {
    if (folder.empty())
        return false;
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return false;
    // Entering needs the right to list the folder: open it as a directory handle.
    HANDLE handle = ::CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(handle);
    return true;
}

std::string UserIdentity() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    std::string identity;
    LPWSTR text = nullptr;
    if (size > 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        identity = WideToUtf8(text);
        ::LocalFree(text);
    }
    ::CloseHandle(token);
    return identity;
}

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

PrivateFolder UserRuntimeFolder() {
    // GetTempPathW: the user's own (under the user's profile).
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    return {folder, ec ? FolderProblem::CannotMake : FolderProblem::None};
}

std::string LocalServerAddress(const std::filesystem::path&, const std::string& name) {
    return name;
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

namespace {

// True when `folder` is `base` or lies below it (Windows paths: letter case does not count).
bool IsWithin(const std::filesystem::path& folder, const std::filesystem::path& base) {
    if (base.empty())
        return false;
    std::wstring inner = folder.lexically_normal().wstring();
    std::wstring outer = base.lexically_normal().wstring();
    while (!outer.empty() && (outer.back() == L'\\' || outer.back() == L'/'))
        outer.pop_back();
    if (inner.size() < outer.size())
        return false;
    if (inner.size() > outer.size() && inner[outer.size()] != L'\\' && inner[outer.size()] != L'/')
        return false;
    return ::CompareStringOrdinal(inner.data(), static_cast<int>(outer.size()), outer.data(),
                                  static_cast<int>(outer.size()), TRUE) == CSTR_EQUAL;
}

std::filesystem::path KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::filesystem::path folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path)))
        folder = path;
    ::CoTaskMemFree(path);
    return folder;
}

}  // namespace

std::filesystem::path SettingsFolder(const std::filesystem::path& start_directory) {
    const bool program_folder = IsWithin(start_directory, KnownFolder(FOLDERID_ProgramFiles)) ||
                                IsWithin(start_directory, KnownFolder(FOLDERID_ProgramFilesX86));
    if (!program_folder && FolderTakesNewFiles(start_directory))
        return start_directory;
    const std::filesystem::path folder = UserStateFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

}  // namespace kotar
