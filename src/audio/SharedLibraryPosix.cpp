// SPDX-License-Identifier: GPL-3.0-or-later
#include <dlfcn.h>

#include "audio/CodecLibraries.h"

namespace kotar {

// RTLD_NODELETE: a later conversion finds the library still mapped instead of loading its
// dependencies again, and whatever the library leaves behind (threads, exit handlers) keeps
// its code.
SharedLibrary::SharedLibrary(const std::string& name)
    : handle_(dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)) {}

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr)
        dlclose(handle_);
}

void* SharedLibrary::Symbol(const char* symbol) const {
    return handle_ != nullptr ? dlsym(handle_, symbol) : nullptr;
}

const char* const SndFileLibrary::kOpenPathSymbol = "sf_open";

SNDFILE* SndFileLibrary::OpenForReading(const std::filesystem::path& path, SF_INFO* info) const {
    return reinterpret_cast<decltype(&sf_open)>(open_path_)(path.c_str(), SFM_READ, info);
}

CodecLibraryNames SystemCodecLibraryNames() {
    return {"libsndfile.so.1", "libsoxr.so.0"};
}

}  // namespace kotar
