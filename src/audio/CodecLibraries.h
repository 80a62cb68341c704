// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sndfile.h>
#include <soxr.h>

#include <filesystem>
#include <memory>
#include <string>

namespace kotar {

// A shared library opened at run time and closed with its owner (one source per system). The
// codec libraries pull in a dozen further libraries, so a process that converts nothing (or
// only 16-bit PCM) should not pay for loading them at start-up.
class SharedLibrary {
public:
    // Not open when the library cannot be loaded.
    explicit SharedLibrary(const std::string& name);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool is_open() const { return handle_ != nullptr; }
    // The address of `symbol`, or nullptr when it is missing.
    void* Symbol(const char* symbol) const;

private:
    void* handle_ = nullptr;
};

// The library file names the converter loads; tests name a missing one.
struct CodecLibraryNames {
    std::string sndfile;
    std::string soxr;
};
// The libraries of this system: the installed ones by name, on Windows the DLLs beside the
// executable by their full path.
CodecLibraryNames SystemCodecLibraryNames();
CodecLibraryNames& CodecLibraryNamesInUse();

// libsndfile's functions the converter calls.
class SndFileLibrary {
public:
    // Nullptr when the library or one of its functions cannot be found.
    static std::unique_ptr<SndFileLibrary> Load();

    // Opens a file for reading by its path (through sf_open, on Windows sf_wchar_open).
    SNDFILE* OpenForReading(const std::filesystem::path& path, SF_INFO* info) const;
    decltype(&sf_open_virtual) open_virtual = nullptr;
    decltype(&sf_seek) seek = nullptr;
    decltype(&sf_readf_float) readf_float = nullptr;
    decltype(&sf_close) close = nullptr;

private:
    explicit SndFileLibrary(const std::string& name) : library_(name) {}
    // The name of the path-opening function of this system and its address.
    static const char* const kOpenPathSymbol;
    void* open_path_ = nullptr;
    SharedLibrary library_;
};

// libsoxr's functions the converter calls.
class SoxrLibrary {
public:
    // Nullptr when the library or one of its functions cannot be found.
    static std::unique_ptr<SoxrLibrary> Load();

    decltype(&soxr_create) create = nullptr;
    decltype(&soxr_process) process = nullptr;
    decltype(&soxr_delete) destroy = nullptr;
    decltype(&soxr_io_spec) io_spec = nullptr;
    decltype(&soxr_quality_spec) quality_spec = nullptr;

private:
    explicit SoxrLibrary(const std::string& name) : library_(name) {}
    SharedLibrary library_;
};

}  // namespace kotar
