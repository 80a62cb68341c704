// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>

#include "audio/CodecLibraries.h"
#include "common/ProcessFolders.h"
#include "common/Utf8Path.h"
#include "common/WideText.h"

namespace kotar {

// A library named by a full path is loaded from there and nowhere else; its own dependencies
// are looked for in its folder first (LOAD_WITH_ALTERED_SEARCH_PATH). The library stays
// loaded for the rest of the process, as on other systems: a later conversion finds it mapped.
SharedLibrary::SharedLibrary(const std::string& name)
    : handle_(reinterpret_cast<void*>(::LoadLibraryExW(
          Utf8ToWide(name).c_str(), nullptr,
          PathFromUtf8(name).is_absolute() ? LOAD_WITH_ALTERED_SEARCH_PATH : 0))) {}

SharedLibrary::~SharedLibrary() = default;

void* SharedLibrary::Symbol(const char* symbol) const {
    if (handle_ == nullptr)
        return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), symbol));
}

// sf_open takes a path in the narrow code page; the wide variant takes any file name.
const char* const SndFileLibrary::kOpenPathSymbol = "sf_wchar_open";

SNDFILE* SndFileLibrary::OpenForReading(const std::filesystem::path& path, SF_INFO* info) const {
    using WideOpen = SNDFILE* (*)(const wchar_t*, int, SF_INFO*);
    return reinterpret_cast<WideOpen>(open_path_)(path.c_str(), SFM_READ, info);
}

CodecLibraryNames SystemCodecLibraryNames() {
    // The DLL names of the libraries the build found (libsndfile.dll, or libsndfile-1.dll as
    // MSYS2 names it), copied beside the programs.
    const std::filesystem::path folder = ExecutableFolder();
    return {PathToUtf8(folder / KOTAR_SNDFILE_DLL), PathToUtf8(folder / KOTAR_SOXR_DLL)};
}

}  // namespace kotar
