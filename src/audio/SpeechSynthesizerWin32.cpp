// SPDX-License-Identifier: GPL-3.0-or-later
// The synthesizer program as a child process: CreateProcessW inside a job object that kills
// whatever it started once the job's handle closes, so a time limit or a cancel stops it all.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "audio/SpeechSynthesizer.h"
#include "common/ProcessFolders.h"
#include "common/Utf8Path.h"
#include "common/WideText.h"
#include "common/WindowsCommandLine.h"

namespace kotar {
namespace {

constexpr DWORD kWaitSliceMs = 10;

struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle && handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    }
};
using Handle = std::unique_ptr<void, HandleCloser>;

SynthesisOutcome CannotStart(const std::string& program, DWORD error) {
    return SynthesisFailed("音声合成プログラム " + program + " を起動できません（" +
                           std::system_category().message(static_cast<int>(error)) + "）。");
}

bool IsAscii(const std::wstring& text) {
    for (const wchar_t c : text) {
        if (c > 0x7F)
            return false;
    }
    return true;
}

// The program reads its arguments in the system's narrow code page, which cannot spell every
// path: a path outside ASCII goes as its short (8.3) name when the volume has one. A file yet
// to be written goes as its folder's short name and its own (ASCII) name.
std::string ProgramPath(const std::filesystem::path& path) {
    const std::wstring wide = path.wstring();
    if (IsAscii(wide))
        return PathToUtf8(path);
    const auto shorten = [](const std::wstring& name) {
        const DWORD size = ::GetShortPathNameW(name.c_str(), nullptr, 0);
        std::wstring out(size, L'\0');
        if (size == 0 || ::GetShortPathNameW(name.c_str(), out.data(), size) >= size)
            return std::wstring();
        out.resize(out.find(L'\0'));
        return out;
    };
    std::wstring short_name = shorten(wide);
    if (short_name.empty() && IsAscii(path.filename().wstring())) {
        const std::wstring folder = shorten(path.parent_path().wstring());
        if (!folder.empty())
            short_name = (std::filesystem::path(folder) / path.filename()).wstring();
    }
    return PathToUtf8(!short_name.empty() && IsAscii(short_name) ? short_name : wide);
}

// A handle the child inherits: the null device or the file of its error output.
Handle InheritableFile(const std::filesystem::path& path, bool write, bool create) {
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return Handle(::CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &security,
                                create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
}

// Kills everything in the job and waits until the program has gone, so that its files can be
// removed with the scratch folder.
void StopJob(HANDLE job, HANDLE process) {
    ::TerminateJobObject(job, 1);
    ::WaitForSingleObject(process, INFINITE);
}

std::string FormatExitCode(DWORD code) {
    // Crashes end with an NTSTATUS code, which reads as hexadecimal.
    if (code < 0x80000000u)
        return std::to_string(code);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(code));
    return buffer;
}

}  // namespace

SpeechPaths DefaultSpeechPaths() {
    const std::filesystem::path folder = ExecutableFolder() / "open_jtalk";
    return {PathToUtf8(folder / "open_jtalk.exe"), PathToUtf8(folder / "dic"),
            PathToUtf8(folder / "voice" / "nitech_jp_atr503_m001.htsvoice")};
}

SynthesisOutcome RunSynthesizer(const std::string& text, const SpeechSettings& settings,
                                const std::filesystem::path& wav_path,
                                const CancelCheck& cancelled) {
    const std::filesystem::path dictionary = PathFromUtf8(settings.dictionary);
    const std::filesystem::path voice = PathFromUtf8(settings.voice);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(dictionary / "sys.dic", ec))
        return SynthesisFailed("音声合成の辞書がありません（" + settings.dictionary + "）。");
    if (!std::filesystem::is_regular_file(voice, ec))
        return SynthesisFailed("音声合成の声がありません（" + settings.voice + "）。");
    const std::filesystem::path folder = wav_path.parent_path();
    const std::filesystem::path text_path = folder / "speech.txt";
    const std::filesystem::path error_path = folder / "speech.err";
    if (!WriteSpeechTextFile(text_path, text)) {
        return SynthesisFailed("音声合成の文章を書けません（" + PathToUtf8(text_path) + "）。");
    }
    const std::string line = WindowsCommandLine(
        settings.program,
        {"-x", ProgramPath(dictionary), "-m", ProgramPath(voice), "-r",
         FormatSpeechRate(settings.rate), "-ow", ProgramPath(wav_path), ProgramPath(text_path)});
    std::wstring command_line = Utf8ToWide(line);

    const Handle null_in = InheritableFile(L"NUL", false, false);
    const Handle null_out = InheritableFile(L"NUL", true, false);
    const Handle errors = InheritableFile(error_path, true, true);
    if (!null_in || null_in.get() == INVALID_HANDLE_VALUE || !null_out ||
        null_out.get() == INVALID_HANDLE_VALUE || !errors || errors.get() == INVALID_HANDLE_VALUE) {
        return CannotStart(settings.program, ::GetLastError());
    }
    // Only these three handles pass to the program, whatever else is inheritable meanwhile.
    HANDLE inherited[] = {null_in.get(), null_out.get(), errors.get()};
    SIZE_T list_size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &list_size);
    std::vector<std::uint8_t> list_memory(list_size);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list_memory.data());
    if (!::InitializeProcThreadAttributeList(attributes, 1, 0, &list_size))
        return CannotStart(settings.program, ::GetLastError());
    const std::unique_ptr<_PROC_THREAD_ATTRIBUTE_LIST, void (*)(LPPROC_THREAD_ATTRIBUTE_LIST)>
        attributes_owner(attributes, ::DeleteProcThreadAttributeList);
    if (!::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                     sizeof inherited, nullptr, nullptr)) {
        return CannotStart(settings.program, ::GetLastError());
    }

    const Handle job(::CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job || !::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                           sizeof limits)) {
        return CannotStart(settings.program, ::GetLastError());
    }

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = null_in.get();
    startup.StartupInfo.hStdOutput = null_out.get();
    startup.StartupInfo.hStdError = errors.get();
    startup.lpAttributeList = attributes;
    PROCESS_INFORMATION info{};
    // Suspended until it is in the job, so that nothing it starts escapes the job; without a
    // console window of its own when the dialog program runs it.
    const BOOL created =
        command_line.empty()
            ? FALSE
            : ::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE,
                               CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT,
                               nullptr, nullptr, &startup.StartupInfo, &info);
    if (!created) {
        const DWORD error = command_line.empty() ? ERROR_FILE_NOT_FOUND : ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return SynthesisFailed("音声合成プログラム " + settings.program + " がありません。");
        return CannotStart(settings.program, error);
    }
    const Handle process(info.hProcess);
    const Handle thread(info.hThread);
    if (!::AssignProcessToJobObject(job.get(), process.get())) {
        const DWORD error = ::GetLastError();
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), INFINITE);
        return CannotStart(settings.program, error);
    }
    ::ResumeThread(thread.get());

    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(settings.timeout_seconds);
    for (;;) {
        const DWORD waited = ::WaitForSingleObject(process.get(), kWaitSliceMs);
        if (waited == WAIT_OBJECT_0)
            break;
        if (waited != WAIT_TIMEOUT) {
            StopJob(job.get(), process.get());
            return SynthesisFailed("音声合成プログラムの終了を確認できません。");
        }
        if (cancelled && cancelled()) {
            StopJob(job.get(), process.get());
            return {false, true, {}};
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            StopJob(job.get(), process.get());
            return SynthesisFailed("音声合成が " + std::to_string(settings.timeout_seconds) +
                                   " 秒以内に終わらないため中止しました。");
        }
    }
    DWORD code = 0;
    if (!::GetExitCodeProcess(process.get(), &code))
        return SynthesisFailed("音声合成プログラムの終了を確認できません。");
    if (code != 0)
        return SynthesisExitFailure(FormatExitCode(code), error_path);
    return {true, false, {}};
}

}  // namespace kotar
