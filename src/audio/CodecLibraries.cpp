#include "audio/CodecLibraries.h"

#include <dlfcn.h>

namespace kotar {
namespace {

template <class Function>
bool Bind(const SharedLibrary& library, const char* symbol, Function& function) {
    function = reinterpret_cast<Function>(library.Symbol(symbol));
    return function != nullptr;
}

}  // namespace

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

CodecLibraryNames& CodecLibraryNamesInUse() {
    static CodecLibraryNames names;
    return names;
}

std::unique_ptr<SndFileLibrary> SndFileLibrary::Load() {
    std::unique_ptr<SndFileLibrary> lib(new SndFileLibrary(CodecLibraryNamesInUse().sndfile));
    const SharedLibrary& so = lib->library_;
    if (!so.is_open() || !Bind(so, "sf_open", lib->open) ||
        !Bind(so, "sf_open_virtual", lib->open_virtual) || !Bind(so, "sf_seek", lib->seek) ||
        !Bind(so, "sf_readf_float", lib->readf_float) || !Bind(so, "sf_close", lib->close)) {
        return nullptr;
    }
    return lib;
}

std::unique_ptr<SoxrLibrary> SoxrLibrary::Load() {
    std::unique_ptr<SoxrLibrary> lib(new SoxrLibrary(CodecLibraryNamesInUse().soxr));
    const SharedLibrary& so = lib->library_;
    if (!so.is_open() || !Bind(so, "soxr_create", lib->create) ||
        !Bind(so, "soxr_process", lib->process) || !Bind(so, "soxr_delete", lib->destroy) ||
        !Bind(so, "soxr_io_spec", lib->io_spec) ||
        !Bind(so, "soxr_quality_spec", lib->quality_spec)) {
        return nullptr;
    }
    return lib;
}

}  // namespace kotar
