// The synthesizer's stand-in on Windows: takes open_jtalk's arguments, keeps them (one UTF-8
// line each, as the system split them) and its process id in the voice file's folder, then does
// what KOTAR_SPEECH_STAND_IN says: "speak" copies take.wav of that folder to the -ow file,
// "fail" writes a line to its error output and ends with 3, "hang" waits forever.
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
    std::string args;
    for (int i = 1; i < count; ++i) {
        args += Utf8(argv[i]) + "\n";
        if (i + 1 < count && std::wstring(argv[i]) == L"-m")
            voice = argv[i + 1];
        if (i + 1 < count && std::wstring(argv[i]) == L"-ow")
            out = argv[i + 1];
    }
    const std::filesystem::path folder = voice.parent_path();
    Keep(folder / "args.txt", args);
    Keep(folder / "pid.txt", std::to_string(::GetCurrentProcessId()));

    wchar_t behaviour[16] = L"";
    ::GetEnvironmentVariableW(L"KOTAR_SPEECH_STAND_IN", behaviour, 16);
    const std::wstring what = behaviour;
    if (what == L"fail") {
        std::fputs("cannot load voice\n", stderr);
        return 3;
    }
    if (what == L"hang")
        ::Sleep(INFINITE);
    return ::CopyFileW((folder / "take.wav").c_str(), out.c_str(), FALSE) ? 0 : 1;
}
