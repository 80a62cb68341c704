// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SpeechSynthesizer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

#include "audio/ImportChain.h"
#include "audio/LevelAnalysis.h"
#include "common/AtomicFile.h"
#include "common/FileRead.h"
#include "common/UserAbort.h"
#include "common/Utf8Path.h"

namespace kotar {
namespace {

constexpr const char* kSpeechCaption = "音声合成";
// A spoken-text file larger than this was not written by the program.
constexpr std::uintmax_t kMaxSpokenTextFileBytes = 64 * 1024;

std::optional<double> ParseDecimal(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Decodes one UTF-8 sequence at text[i]; false for a malformed, overlong or surrogate one.
bool NextCodePoint(const std::string& text, std::size_t& i, char32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t count = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        ++i;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        count = 1, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        count = 2, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        count = 3, cp = lead & 0x07, min = 0x10000;
    } else {
        return false;
    }
    for (std::size_t k = 1; k <= count; ++k) {
        if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    i += count + 1;
    return true;
}

bool IsBlank(char32_t cp) {
    return cp == U' ' || cp == U'\u3000';
}

[[noreturn]] void Fail(Prompter& prompter, const std::string& text) {
    prompter.ShowText(text, kSpeechCaption, MessageIcon::Exclamation);
    throw UserAbort();
}

}  // namespace

SpeechSettings ReadSpeechSettings(const ProfileFile& ini) {
    SpeechSettings settings;
    const auto text = [&](const char* key, std::string& out) {
        if (const auto value = ini.GetValue(kSpeechSection, key); value && !value->empty())
            out = *value;
    };
    text("PROGRAM", settings.program);
    text("DICTIONARY", settings.dictionary);
    text("VOICE", settings.voice);
    if (const auto value = ini.GetValue(kSpeechSection, "RATE")) {
        if (const auto rate = ParseSpeechRate(*value))
            settings.rate = *rate;
    }
    if (const auto value = ini.GetValue(kSpeechSection, "TIMEOUT")) {
        if (const auto seconds = ParseDecimal(*value); seconds && *seconds >= 1 && *seconds <= 3600)
            settings.timeout_seconds = static_cast<int>(*seconds);
    }
    return settings;
}

std::optional<double> ParseSpeechRate(const std::string& text) {
    const auto value = ParseDecimal(text);
    if (!value || *value < kMinSpeechRate || *value > kMaxSpeechRate)
        return std::nullopt;
    return value;
}

bool WriteSpeechRate(ProfileFile& ini, double rate) {
    rate = std::clamp(rate, kMinSpeechRate, kMaxSpeechRate);
    if (FormatSpeechRate(ReadSpeechSettings(ini).rate) == FormatSpeechRate(rate))
        return true;
    return ini.WriteString(kSpeechSection, "RATE", FormatSpeechRate(rate));
}

std::optional<std::string> CleanSpeechText(const std::string& text, std::string& error) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        char32_t cp = 0;
        if (!NextCodePoint(text, i, cp)) {
            error = "文章に読み取れない文字があります（UTF-8 ではありません）。";
            return std::nullopt;
        }
        if (cp == U'\r' || cp == U'\n' || cp == U'\t') {
            out += ' ';
        } else if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) {
            error = "文章に制御文字があります。";
            return std::nullopt;
        } else {
            out.append(text, start, i - start);
        }
    }
    // Surrounding blanks, half and full width, go.
    std::size_t first = std::string::npos;
    std::size_t last = 0;
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t start = i;
        char32_t cp = 0;
        NextCodePoint(out, i, cp);
        if (!IsBlank(cp)) {
            if (first == std::string::npos)
                first = start;
            last = i;
        }
    }
    if (first == std::string::npos) {
        error = "読み上げる文章を入力してください。";
        return std::nullopt;
    }
    out = out.substr(first, last - first);
    if (out.size() > kMaxSpeechTextBytes) {
        error = "文章が長すぎます（最大 1000 バイト、全角で約 330 文字）。";
        return std::nullopt;
    }
    return out;
}

SpeechJob SpeechJob::Prepare(const std::string& text, const SpeechSettings& settings,
                             const std::filesystem::path& scratch_parent, Prompter& prompter) {
    std::string error;
    std::optional<std::string> clean = CleanSpeechText(text, error);
    if (!clean)
        Fail(prompter, error);
    std::optional<ScratchFolder> scratch = ScratchFolder::Create(scratch_parent);
    if (!scratch)
        Fail(prompter, "作業用フォルダを作れません（" + PathToUtf8(scratch_parent) + "）。");
    return SpeechJob(std::move(*clean), settings, std::move(*scratch));
}

SynthesisOutcome SpeechJob::Run(const CancelCheck& cancelled) const {
    return RunSynthesizer(text_, settings_, WavPath(), cancelled);
}

std::unique_ptr<CWaveFile> SpeechJob::Finish(const SynthesisOutcome& outcome,
                                             Prompter& prompter) const {
    if (outcome.cancelled)
        throw UserAbort();
    if (!outcome.ok)
        Fail(prompter, outcome.error);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(WavPath(), ec))
        Fail(prompter, "音声合成プログラムが音声を書きませんでした。");
    std::unique_ptr<CWaveFile> sound = ConvertToRecordingFormat(PathToUtf8(WavPath()), prompter);
    // Text of nothing but characters the dictionary does not know comes out silent.
    if (MeasureLevels(*sound).loudness_lufs == -std::numeric_limits<double>::infinity())
        Fail(prompter, "文章を読み上げられませんでした（辞書にない文字だけの文章です）。");
    return sound;
}

std::unique_ptr<CWaveFile> SynthesizeSpeech(const std::string& text, const SpeechSettings& settings,
                                            const std::filesystem::path& scratch_parent,
                                            Prompter& prompter, const CancelCheck& cancelled) {
    const SpeechJob job = SpeechJob::Prepare(text, settings, scratch_parent, prompter);
    return job.Finish(job.Run(cancelled), prompter);
}

std::filesystem::path SpokenTextPath(const std::filesystem::path& slot_wav) {
    std::filesystem::path path = slot_wav;
    path.replace_extension(".speech");
    return path;
}

std::string ReadSpokenText(const std::filesystem::path& slot_wav) {
    const std::filesystem::path path = SpokenTextPath(slot_wav);
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxSpokenTextFileBytes)
        return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    if (!ReadFileOfExactSize(path, text.size(), reinterpret_cast<std::uint8_t*>(text.data())))
        return {};
    std::string error;
    // A damaged file reads as no text rather than as text the synthesizer would refuse.
    return CleanSpeechText(text, error) ? text : std::string();
}

bool WriteSpokenText(const std::filesystem::path& slot_wav, const std::string& text) {
    return WriteFileAtomically(SpokenTextPath(slot_wav), std::string_view(text));
}

std::string FormatSpeechRate(double rate) {
    char buffer[32];
    const auto [ptr, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, rate, std::chars_format::fixed, 2);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("1.00");
}

std::string FirstErrorLine(const std::filesystem::path& path) {
    FileHandle file(OpenFile(path, "rb"));
    if (!file)
        return {};
    char line[512];
    if (!std::fgets(line, sizeof line, file.get()))
        return {};
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

bool WriteSpeechTextFile(const std::filesystem::path& path, const std::string& text) {
    const std::string line = text + "\n";
    return ReplaceFileQuickly(
        path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(line.data()),
                                            line.size()));
}

SynthesisOutcome SynthesisFailed(std::string text) {
    return {false, false, std::move(text)};
}

SynthesisOutcome SynthesisExitFailure(const std::string& code,
                                      const std::filesystem::path& errors) {
    std::string message = "音声合成に失敗しました（終了コード " + code +
                          "）。\n文章に読めない文字（記号、絵文字など）がないか確かめてください。";
    if (const std::string line = FirstErrorLine(errors); !line.empty())
        message += "\n" + line;
    return SynthesisFailed(message);
}

}  // namespace kotar
