// SPDX-License-Identifier: GPL-3.0-or-later
// The synthesizer's stand-in on Windows: takes open_jtalk's arguments, keeps them (one UTF-8
// line each, as the system split them), its process id, the rate ("rate") and a copy of the text
// file ("text") in the voice file's folder, then does what the file "behaviour" there or else
// KOTAR_SPEECH_STAND_IN says: "speak" copies take.wav of that folder to the -ow file, "silent"
// silent.wav, "fail" writes a line to its error output and ends with 3, "hang" waits forever,
// "crash" ends as by an access violation, "garbage" writes a file that is no WAV file,
// "nooutput" ends with 0 and writes nothing.
#include <windows.h>
// clang-format off
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

std::string Utf8(const std::wstring& wide) {
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

void Keep(const std::filesystem::path& path, const std::string& text) {
    if (std::FILE* file = ::_wfopen(path.c_str(), L"wb")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::filesystem::path voice;
    std::filesystem::path out;
    std::string rate;
    std::string args;
    for (int i = 1; i < count; ++i) {
        args += Utf8(argv[i]) + "\n";
        if (i + 1 < count && std::wstring(argv[i]) == L"-m")
            voice = argv[i + 1];
        if (i + 1 < count && std::wstring(argv[i]) == L"-ow")
            out = argv[i + 1];
        if (i + 1 < count && std::wstring(argv[i]) == L"-r")
            rate = Utf8(argv[i + 1]);
    }
    const std::filesystem::path folder = voice.parent_path();
    Keep(folder / "args.txt", args);
    Keep(folder / "pid.txt", std::to_string(::GetCurrentProcessId()));
    Keep(folder / "rate", rate + "\n");
    if (count > 1)
        ::CopyFileW(argv[count - 1], (folder / "text").c_str(), FALSE);

    wchar_t behaviour[16] = L"";
    ::GetEnvironmentVariableW(L"KOTAR_SPEECH_STAND_IN", behaviour, 16);
    std::string what = Utf8(behaviour);
    if (std::FILE* file = ::_wfopen((folder / "behaviour").c_str(), L"rb")) {
        char word[16] = {};
        what.assign(word, std::fread(word, 1, sizeof word - 1, file));
        std::fclose(file);
    }
    if (what == "silent")
        return ::CopyFileW((folder / "silent.wav").c_str(), out.c_str(), FALSE) ? 0 : 1;
    if (what == "crash")
        ::TerminateProcess(::GetCurrentProcess(), 0xC0000005);
    if (what == "nooutput")
        return 0;
    if (what == "garbage") {
        Keep(out, "garbage\n");
        return 0;
    }
    if (what == "fail") {
        std::fputs("cannot load voice\n", stderr);
        return 3;
    }
    if (what == "hang")
        ::Sleep(INFINITE);
    return ::CopyFileW((folder / "take.wav").c_str(), out.c_str(), FALSE) ? 0 : 1;
}
