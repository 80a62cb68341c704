// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>

#include "ScriptedPrompter.h"
#include "SystemFaults.h"
#include "TempDir.h"
#include "WavBuilder.h"
#include "audio/WaveFile.h"
#include "common/UserAbort.h"

namespace kotar {
namespace {

using test::ReadBytes;
using test::ScriptedPrompter;
using test::TempDir;
using test::WavBuilder;
using test::WriteBytes;

// Reading a file must fail with message 110 (exclamation icon) and the user-abort exception.
void ExpectReadFails(const std::filesystem::path& path, int mode) {
    ScriptedPrompter prompter;
    EXPECT_THROW(CWaveFile(path.string(), mode, prompter), UserAbort);
    ASSERT_EQ(prompter.MessageIds(), std::vector<int>{110});
    EXPECT_EQ(prompter.prompts()[0].message.icon, MessageIcon::Exclamation);
    EXPECT_EQ(prompter.prompts()[0].message.text, "サウンドファイルを開けませんでした。");
}

CWaveFile RecordingBuffer(std::uint32_t capacity, ScriptedPrompter& prompter) {
    return CWaveFile(1, 1, 8000, 16, capacity, prompter);
}

TEST(WaveFileSave, OddDataWithoutAttribute_IsCanonicalLayoutWithPadByte) {
    TempDir dir;
    ScriptedPrompter prompter;
    CWaveFile wave(1, 1, 8000, 16, 4, prompter);
    std::uint8_t* d = wave.data();
    d[0] = 0x11, d[1] = 0x22, d[2] = 0x33, d[3] = 0x44;
    wave.set_length(3);
    ASSERT_EQ(wave.Save((dir / "a.wav").string(), ""), 1);

    const std::vector<std::uint8_t> expected = {
        'R',  'I',  'F', 'F', 42,   0,    0,   0,  // 4 + 26 + 8 + 3 + 1 pad
        'W',  'A',  'V', 'E', 'f',  'm',  't', ' ', 18,   0,    0,    0,   1, 0, 1, 0,
        0x40, 0x1F, 0,   0,   0x80, 0x3E, 0,   0,   2,    0,    16,   0,   0, 0,  // format record
        'd',  'a',  't', 'a', 3,    0,    0,   0,   0x11, 0x22, 0x33, 0x00};
    EXPECT_EQ(ReadBytes(dir / "a.wav"), expected);
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST(WaveFileSave, AttributeGoesIntoListInfoAtrbAfterTheRiffForm) {
    TempDir dir;
    ScriptedPrompter prompter;
    CWaveFile wave(7, 1, 8000, 8, 2, prompter);
    wave.data()[0] = 0xAB;
    wave.data()[1] = 0xCD;
    wave.set_length(2);
    ASSERT_EQ(wave.Save((dir / "b.wav").string(), "ABCDE"), 1);

    const std::vector<std::uint8_t> expected = {
        'R', 'I',  'F',  'F', 40,  0,   0,   0,  'W', 'A',  'V',  'E', 'f', 'm',  't',
        ' ', 18,   0,    0,   0,   7,   0,   1,  0,   0x40, 0x1F, 0,   0,   0x40, 0x1F,
        0,   0,    1,    0,   8,   0,   0,   0,  'd', 'a',  't',  'a', 2,   0,    0,
        0,   0xAB, 0xCD, 'L', 'I', 'S', 'T', 18, 0,   0,    0,    'I', 'N', 'F',  'O',
        'a', 't',  'r',  'b', 5,   0,   0,   0,  'A', 'B',  'C',  'D', 'E', 0x00};
    EXPECT_EQ(ReadBytes(dir / "b.wav"), expected);
}

TEST(WaveFileSave, JapaneseAttributeIsStoredAsCp932AndReadBackAsUtf8) {
    TempDir dir;
    ScriptedPrompter prompter;
    CWaveFile wave = RecordingBuffer(16000, prompter);
    wave.set_length(16000);
    ASSERT_EQ(wave.Save((dir / "c.wav").string(), "音声"), 1);
    std::vector<std::uint8_t> bytes = ReadBytes(dir / "c.wav");
    ASSERT_EQ(bytes.size(), 46u + 16000 + 12 + 8 + 4);
    const std::vector<std::uint8_t> tail = {'a', 't', 'r', 'b', 4, 0, 0, 0, 0x89, 0xB9, 0x90, 0xBA};
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), bytes.end() - 12));

    CWaveFile attribute((dir / "c.wav").string(), CWaveFile::kAttributeMode, prompter);
    EXPECT_EQ(attribute.AttributeText(), "音声");
    EXPECT_EQ(attribute.length(), 16000u);
    EXPECT_EQ(attribute.capacity(), 4u);
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST(WaveFileSave, FailingSaveLeavesTheEarlierFileIntact) {
    TempDir dir;
    ScriptedPrompter prompter;
    const auto path = dir / "keep.wav";
    WriteBytes(path, std::vector<std::uint8_t>(100, 0x5A));

    CWaveFile wave = RecordingBuffer(4000, prompter);
    wave.set_length(4000);
    // A file-size limit below the new file's size makes the write fail part-way (also as root).
    if (!test::FileSizeLimit::Supported())
        GTEST_SKIP() << "no file size limit on this system";
    int result = 0;
    {
        test::FileSizeLimit limit(1000);
        result = wave.Save(path.string(), "text");
    }

    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadBytes(path), std::vector<std::uint8_t>(100, 0x5A));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);  // no temporary file left behind
    EXPECT_EQ(wave.Save((dir / "missing" / "x.wav").string(), ""), 0);
}

TEST(WaveFileSave, ScratchSaveWritesTheSameBytesAndLeavesNoPartFile) {
    TempDir dir;
    ScriptedPrompter prompter;
    CWaveFile wave = RecordingBuffer(101, prompter);
    wave.set_length(101);
    wave.data()[100] = 0x42;
    ASSERT_EQ(wave.Save((dir / "durable.wav").string(), "abc"), 1);
    WriteBytes(dir / "scratch.wav", {1, 2, 3});
    ASSERT_EQ(wave.Save((dir / "scratch.wav").string(), "abc", CWaveFile::Durability::kScratch), 1);
    EXPECT_EQ(ReadBytes(dir / "scratch.wav"), ReadBytes(dir / "durable.wav"));
    EXPECT_FALSE(std::filesystem::exists(dir / "scratch.wav.part"));
    EXPECT_EQ(wave.Save((dir / "no" / "x.wav").string(), "", CWaveFile::Durability::kScratch), 0);
}

TEST(WaveFileRead, FmtChunkOf16_18And40BytesGivesTheFirst18Bytes) {
    TempDir dir;
    ScriptedPrompter prompter;
    const std::vector<std::uint8_t> samples = {1, 2, 3, 4};

    WriteBytes(dir / "16.wav", WavBuilder::Pcm(1, 1, 8000, 16, samples));
    CWaveFile plain((dir / "16.wav").string(), CWaveFile::kAudioMode, prompter);
    EXPECT_EQ(plain.format().cb_size, 0);
    EXPECT_EQ(plain.format().samples_per_sec, 8000u);
    EXPECT_EQ(plain.length(), 4u);
    EXPECT_EQ(plain.capacity(), 4u);
    EXPECT_EQ(std::vector<std::uint8_t>(plain.data(), plain.data() + 4), samples);

    WavBuilder b18;
    b18.Tag("RIFF").U32(4 + 26 + 12).Tag("WAVE").Tag("fmt ").U32(18);
    b18.Format(2, 2, 22050, 4).U16(0x1234);
    b18.Tag("data").U32(4).Bytes(samples);
    WriteBytes(dir / "18.wav", b18.bytes());
    CWaveFile full((dir / "18.wav").string(), CWaveFile::kAudioMode, prompter);
    EXPECT_EQ(full.format().format_tag, 2);
    EXPECT_EQ(full.format().channels, 2);
    EXPECT_EQ(full.format().cb_size, 0x1234);

    // WAVE_FORMAT_EXTENSIBLE: 40 bytes, of which the record takes 18 (cbSize 22).
    WavBuilder b40;
    b40.Tag("RIFF").U32(4 + 48 + 12).Tag("WAVE").Tag("fmt ").U32(40);
    b40.Format(0xFFFE, 2, 44100, 16).U16(22).U16(16).U32(3).Fill(16, 0xEE);
    b40.Tag("data").U32(4).Bytes(samples);
    WriteBytes(dir / "40.wav", b40.bytes());
    CWaveFile extensible((dir / "40.wav").string(), CWaveFile::kAudioMode, prompter);
    EXPECT_EQ(extensible.format().format_tag, 0xFFFE);
    EXPECT_EQ(extensible.format().samples_per_sec, 44100u);
    EXPECT_EQ(extensible.format().block_align, 4);
    EXPECT_EQ(extensible.format().cb_size, 22);
    EXPECT_EQ(std::vector<std::uint8_t>(extensible.data(), extensible.data() + 4), samples);
    EXPECT_TRUE(prompter.prompts().empty());

    WavBuilder short_fmt;
    short_fmt.Tag("RIFF").U32(4 + 22 + 12).Tag("WAVE").Tag("fmt ").U32(14);
    short_fmt.U16(1).U16(1).U32(8000).U32(16000).U16(2);
    short_fmt.Tag("data").U32(4).Bytes(samples);
    WriteBytes(dir / "14.wav", short_fmt.bytes());
    ExpectReadFails(dir / "14.wav", CWaveFile::kAudioMode);
}

TEST(WaveFileRead, DataLimitIs1024000BytesInAudioMode) {
    TempDir dir;
    ScriptedPrompter prompter;
    WriteBytes(dir / "max.wav",
               WavBuilder::Pcm(1, 1, 8000, 16, std::vector<std::uint8_t>(1'024'000, 7)));
    CWaveFile max((dir / "max.wav").string(), CWaveFile::kAudioMode, prompter);
    EXPECT_EQ(max.length(), 1'024'000u);
    EXPECT_EQ(max.data()[1'023'999], 7);
    EXPECT_TRUE(prompter.prompts().empty());

    WriteBytes(dir / "over.wav",
               WavBuilder::Pcm(1, 1, 8000, 16, std::vector<std::uint8_t>(1'024'001, 7)));
    ExpectReadFails(dir / "over.wav", CWaveFile::kAudioMode);
}

TEST(WaveFileRead, BrokenFilesFailWith110AndNeverReadPastTheFile) {
    TempDir dir;
    ExpectReadFails(dir / "absent.wav", CWaveFile::kAudioMode);

    std::vector<std::uint8_t> good = WavBuilder::Pcm(1, 1, 8000, 16, {1, 2, 3, 4});
    std::vector<std::uint8_t> not_wave = good;
    not_wave[8] = 'A';  // form type "AAVE"
    WriteBytes(dir / "form.wav", not_wave);
    ExpectReadFails(dir / "form.wav", CWaveFile::kAudioMode);

    std::vector<std::uint8_t> truncated(good.begin(), good.end() - 2);  // data size runs past
    WriteBytes(dir / "short.wav", truncated);
    ExpectReadFails(dir / "short.wav", CWaveFile::kAudioMode);
    ExpectReadFails(dir / "short.wav", CWaveFile::kAttributeMode);

    WavBuilder huge_chunk;  // an unknown chunk whose size points far past the end
    huge_chunk.Tag("RIFF").U32(100).Tag("WAVE").Tag("junk").U32(0xFFFFFFF0).Fill(8, 0);
    WriteBytes(dir / "junk.wav", huge_chunk.bytes());
    ExpectReadFails(dir / "junk.wav", CWaveFile::kAudioMode);

    WavBuilder no_data;
    no_data.Tag("RIFF").U32(28).Tag("WAVE").Tag("fmt ").U32(16).Format(1, 1, 8000, 16);
    WriteBytes(dir / "nodata.wav", no_data.bytes());
    ExpectReadFails(dir / "nodata.wav", CWaveFile::kAudioMode);

    WriteBytes(dir / "empty.wav", {});
    ExpectReadFails(dir / "empty.wav", CWaveFile::kAudioMode);
}

TEST(WaveFileRead, AttributeModeNeedsTheListChunk) {
    TempDir dir;
    ScriptedPrompter prompter;
    CWaveFile wave = RecordingBuffer(80, prompter);
    ASSERT_EQ(wave.Save((dir / "plain.wav").string(), ""), 1);
    EXPECT_EQ(ReadBytes(dir / "plain.wav").size(), 46u);  // length 0: no data, no LIST
    ExpectReadFails(dir / "plain.wav", CWaveFile::kAttributeMode);

    // Chunks between data and LIST, and a LIST of another type first, are walked over.
    std::vector<std::uint8_t> bytes = WavBuilder::Pcm(1, 1, 8000, 16, {9, 9, 9});
    WavBuilder tail;
    tail.Tag("LIST").U32(12).Tag("adtl").Tag("note").U32(0);
    tail.Tag("LIST").U32(4 + 8 + 3 + 1).Tag("INFO").Tag("atrb").U32(3).Tag("xyz").Fill(1, 0);
    bytes.insert(bytes.end(), tail.bytes().begin(), tail.bytes().end());
    WriteBytes(dir / "list.wav", bytes);
    CWaveFile attribute((dir / "list.wav").string(), CWaveFile::kAttributeMode, prompter);
    EXPECT_EQ(attribute.AttributeText(), "xyz");
    EXPECT_EQ(attribute.length(), 3u);
    EXPECT_TRUE(prompter.prompts().empty());

    // An atrb chunk that claims more than its LIST holds is refused.
    std::vector<std::uint8_t> liar = WavBuilder::Pcm(1, 1, 8000, 16, {9, 9});
    WavBuilder bad;
    bad.Tag("LIST").U32(4 + 8 + 2).Tag("INFO").Tag("atrb").U32(6).Tag("ab").Tag("LIST");
    liar.insert(liar.end(), bad.bytes().begin(), bad.bytes().end());
    WriteBytes(dir / "liar.wav", liar);
    ExpectReadFails(dir / "liar.wav", CWaveFile::kAttributeMode);
}

TEST(WaveFileBuffer, ConstructorsSetFormatAndOwnTheirBlocks) {
    ScriptedPrompter prompter;
    CWaveFile empty;
    EXPECT_EQ(empty.data(), nullptr);
    EXPECT_EQ(empty.capacity(), 0u);
    std::uint8_t sink[4] = {};
    EXPECT_EQ(empty.CopyTo(sink, 4), 0);

    CWaveFile wave(7, 1, 8000, 8, 10, prompter);
    EXPECT_EQ(wave.format().block_align, 1);
    EXPECT_EQ(wave.format().avg_bytes_per_sec, 8000u);
    EXPECT_EQ(wave.capacity(), 10u);
    EXPECT_EQ(wave.length(), 0u);
    EXPECT_EQ(wave.data()[9], 0);
    wave.data()[0] = 42;
    wave.set_length(20);
    EXPECT_EQ(wave.length(), 10u);  // never past capacity

    CWaveFile copy(wave);
    wave.data()[0] = 1;
    EXPECT_EQ(copy.data()[0], 42);
    EXPECT_EQ(copy.capacity(), 10u);
    EXPECT_EQ(copy.length(), 10u);
    EXPECT_EQ(CWaveFile::EncodeFormat(copy.format()), CWaveFile::EncodeFormat(wave.format()));
    EXPECT_EQ(copy.CopyTo(sink, 4), 1);
    EXPECT_EQ(sink[0], 42);

    CWaveFile stereo;
    stereo.SetFormat(1, 2, 44100, 16);
    EXPECT_EQ(stereo.format().block_align, 4);
    EXPECT_EQ(stereo.format().avg_bytes_per_sec, 88200u);  // rate x bytes per sample only
    stereo.Allocate(6, prompter);
    EXPECT_EQ(stereo.length(), 6u);
    EXPECT_EQ(stereo.capacity(), 6u);
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST(WaveFileBuffer, ImpossibleAllocationShows109AndAborts) {
#ifdef KOTAR_SANITIZE_ADDRESS
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of shadow memory: under an "
                    "address-space limit it cannot map it and ends the test";
#endif
    ScriptedPrompter prompter;
    // An address-space limit far below 4 GiB makes the allocation fail at once, whatever the
    // kernel's overcommit policy.
    if (!test::AddressSpaceLimit::Supported())
        GTEST_SKIP() << "no address space limit on this system";
    auto limit = std::make_unique<test::AddressSpaceLimit>(std::uint64_t{1} << 31);
    bool aborted = false;
    try {
        CWaveFile huge(1, 1, 8000, 16, 0xFFFFFFFFu, prompter);
    } catch (const UserAbort&) {
        aborted = true;
    }
    CWaveFile source(1, 1, 8000, 16, 4, prompter);
    CWaveFile empty;
    bool allocate_aborted = false;
    try {
        empty.Allocate(0xFFFFFFFFu, prompter);
    } catch (const UserAbort&) {
        allocate_aborted = true;
    }
    limit.reset();
    EXPECT_TRUE(aborted);
    EXPECT_TRUE(allocate_aborted);
    EXPECT_EQ(empty.data(), nullptr);
    EXPECT_EQ(prompter.MessageIds(), (std::vector<int>{109, 109}));
}

TEST(WaveFileBuffer, DurationAndBlockArithmetic) {
    EXPECT_EQ(CWaveFile::BytesForDuration(1, 8000, 16, 1), 16u);
    EXPECT_EQ(CWaveFile::BytesForDuration(1, 8000, 16, 20000), 320'000u);
    EXPECT_EQ(CWaveFile::BytesForDuration(1, 8000, 8, 8192), 65'536u);
    EXPECT_EQ(CWaveFile::BytesForDuration(2, 44100, 16, 100000), 17'640'000u);
    EXPECT_EQ(CWaveFile::RoundUpToBlock(1, 8000, 16, 0), 40u);
    EXPECT_EQ(CWaveFile::RoundUpToBlock(1, 8000, 16, 40), 80u);
    EXPECT_EQ(CWaveFile::RoundUpToBlock(1, 8000, 16, 41), 80u);
    EXPECT_EQ(CWaveFile::RoundUpToBlock(1, 8000, 8, 20), 40u);
    EXPECT_EQ(CWaveFile::RoundUpToBlock(1, 8000, 16, 131072), 131080u);
}

}  // namespace
}  // namespace kotar
