// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/CodecLibraries.h"

namespace kotar {
namespace {

template <class Function>
bool Bind(const SharedLibrary& library, const char* symbol, Function& function) {
    function = reinterpret_cast<Function>(library.Symbol(symbol));
    return function != nullptr;
}

}  // namespace

CodecLibraryNames& CodecLibraryNamesInUse() {
    static CodecLibraryNames names = SystemCodecLibraryNames();
    return names;
}

std::unique_ptr<SndFileLibrary> SndFileLibrary::Load() {
    std::unique_ptr<SndFileLibrary> lib(new SndFileLibrary(CodecLibraryNamesInUse().sndfile));
    const SharedLibrary& so = lib->library_;
    if (!so.is_open() || !Bind(so, kOpenPathSymbol, lib->open_path_) ||
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
