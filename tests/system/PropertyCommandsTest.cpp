// SPDX-License-Identifier: GPL-3.0-or-later
// kotar-cli's property commands run as a whole program on a work folder made by hand.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>

#include "../store/StoreFixtures.h"
#include "CliRunner.h"
#include "TempDir.h"
#include "common/Cp932.h"

namespace kotar {
namespace {

using test::CliRun;
using test::MakeSlotWav;
using test::PutFile;
using test::ReadText;
using test::TempDir;

namespace fs = std::filesystem;

class PropertyCommands : public ::testing::Test {
protected:
    PropertyCommands() {
        fs::create_directories(work_);
        // The start folder's MEVAN.INI names the work folder; everything else is corrected.
        PutFile(start_ / "MEVAN.INI", "[CONFIG]\r\nPATH=" + work_.string() + "\r\n");
    }
    CliRun Run(const std::vector<std::string>& args) {
        return test::RunCli(args, start_, dir_.path());
    }
    void Phrase(const std::string& folder, int slot, const std::string& text) {
        PutFile(work_ / folder / SlotWavNameFor(slot), MakeSlotWav(1600, Utf8ToCp932(text)));
    }
    static std::string SlotWavNameFor(int slot) { return "0" + std::to_string(slot) + ".wav"; }
    std::vector<std::string> Entries(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir_;
    fs::path start_ = dir_ / "start";
    fs::path work_ = dir_ / "work";
};

TEST_F(PropertyCommands, PropertiesListsNamesAndSlotFlagsInListOrder) {
    Phrase("TR_beta", 2, "B");
    Phrase("tr_Alpha", 1, "音声A");
    Phrase("tr_Alpha", 3, "音声AB");
    fs::create_directories(work_ / "TR_gamma" / "TEMP");
    fs::create_directories(work_ / "TEMP");
    PutFile(work_ / "TR_file", "");

    CliRun run = Run({"properties"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, "Alpha\t1 0 1\nbeta\t0 1 0\ngamma\t0 0 0\n");
    EXPECT_EQ(run.err, "");
    // The start folder's INI was loaded and completed as the desktop program does.
    EXPECT_NE(ReadText(start_ / "MEVAN.INI").find("RECDELAY=3\r\nPORT=1\r\nDISK=5\r\n"),
              std::string::npos);
}

TEST_F(PropertyCommands, AnUnreadableSlotFileIsReportedAndTheListGoesOn) {
    Phrase("TR_a", 1, "A");
    PutFile(work_ / "TR_a" / "02.wav", "garbage");
    Phrase("TR_a", 3, "AB");
    Phrase("TR_b", 3, "AB");
    CliRun run = Run({"properties"});
    EXPECT_EQ(run.exit_status, 1);
    // The broken file hides nothing of the slot after it.
    EXPECT_EQ(run.out, "a\t1 0 1\nb\t0 0 1\n");
    EXPECT_EQ(run.err, "サウンドファイルを開けませんでした。\n");
}

TEST_F(PropertyCommands, WorkOverrideIsUsedAndNotWritten) {
    fs::path other = dir_ / "other";
    fs::create_directories(other / "TR_x");
    CliRun run = Run({"--work", other.string(), "properties"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, "x\t0 0 0\n");
    EXPECT_NE(ReadText(start_ / "MEVAN.INI").find("PATH=" + work_.string() + "\r\n"),
              std::string::npos);

    CliRun missing = Run({"--work", (dir_ / "none").string(), "properties"});
    EXPECT_EQ(missing.exit_status, 1);
    EXPECT_NE(missing.err.find("work folder not found"), std::string::npos);
}

TEST_F(PropertyCommands, AWorkFolderWithALineBreakIsRefusedAndNothingChanges) {
    const std::string before = ReadText(start_ / "MEVAN.INI");
    for (const std::string& path : {work_.string() + "\n[CONFIG]", work_.string() + "\rx"}) {
        CliRun run = Run({"--work", path, "new", "x"});
        EXPECT_EQ(run.exit_status, 2);
        EXPECT_EQ(run.err,
                  "kotar-cli: --work: a path with a line break (CR or LF) cannot be used\n");
    }
    EXPECT_EQ(ReadText(start_ / "MEVAN.INI"), before);
    EXPECT_TRUE(fs::is_empty(work_));
}

TEST_F(PropertyCommands, NewCreatesEmptyOrCopiedProperties) {
    Phrase("TR_src", 1, "A");
    PutFile(work_ / "TR_src" / "TEMP" / "back.snd", "snd");

    CliRun empty = Run({"new", "Empty"});
    EXPECT_EQ(empty.exit_status, 0) << empty.err;
    EXPECT_TRUE(fs::is_directory(work_ / "TR_Empty"));
    EXPECT_TRUE(fs::is_empty(work_ / "TR_Empty"));

    CliRun copy = Run({"new", "copy", "--copy-from", "src"});
    EXPECT_EQ(copy.exit_status, 0) << copy.err;
    EXPECT_EQ(ReadText(work_ / "TR_copy" / "01.wav"), ReadText(work_ / "TR_src" / "01.wav"));
    EXPECT_EQ(ReadText(work_ / "TR_copy" / "TEMP" / "back.snd"), "snd");

    EXPECT_EQ(Run({"properties"}).out, "copy\t1 0 0\nEmpty\t0 0 0\nsrc\t1 0 0\n");
}

TEST_F(PropertyCommands, NewRefusalsPrintTheSystemsTexts) {
    fs::create_directories(work_ / "TR_Site");
    CliRun duplicate = Run({"new", "SITE"});
    EXPECT_EQ(duplicate.exit_status, 1);
    EXPECT_EQ(duplicate.err, "同一名称の物件が存在します。\n名前を変えてください。\n");

    CliRun forbidden = Run({"new", "a|b"});
    EXPECT_EQ(forbidden.exit_status, 1);
    EXPECT_EQ(forbidden.err,
              "エラー: ファイル名には次の文字はつかえません。\r\n \\ / : * ? \" < > |\n");

    // DISK=100 on any real disk cannot be met.
    PutFile(start_ / "MEVAN.INI", "[CONFIG]\r\nPATH=" + work_.string() + "\r\nDISK=100\r\n");
    CliRun quota = Run({"new", "other"});
    EXPECT_EQ(quota.exit_status, 1);
    EXPECT_EQ(quota.err,
              "空きディスク容量が無くなってきたため、\n新規物件の登録が出来ません。\n\n"
              "不要な物件を削除願います。\n");
    EXPECT_EQ(Entries(work_), std::vector<std::string>{"TR_Site"});

    EXPECT_EQ(Run({"new"}).exit_status, 2);
    EXPECT_EQ(Run({"new", "a", "--copy"}).exit_status, 2);
}

TEST_F(PropertyCommands, DeleteWithYesRemovesTheWholePropertyWithoutAsking) {
    Phrase("TR_a", 1, "A");
    PutFile(work_ / "TR_a" / "TEMP" / "x.snd", "x");
    fs::create_directories(work_ / "TR_b");
    CliRun run = Run({"delete", "a", "--yes"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "");  // no question that nobody waits for
    EXPECT_EQ(Entries(work_), std::vector<std::string>{"TR_b"});

    CliRun missing = Run({"delete", "a", "--yes"});
    EXPECT_EQ(missing.exit_status, 1);
    EXPECT_NE(missing.err.find("no property named 'a'"), std::string::npos);
    EXPECT_EQ(Run({"delete"}).exit_status, 2);
}

// A pseudo-terminal for a program's stdin. Its other end is held open, so that a typed line
// waits in it until a program reads it.
struct Terminal {
    Terminal() : master(::posix_openpt(O_RDWR | O_NOCTTY)) {
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) {
            path = ::ptsname(master);
            held = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        }
    }
    ~Terminal() {
        ::close(held);
        ::close(master);
    }
    bool Type(const std::string& line) const {
        return ::write(master, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    }
    int master;
    int held = -1;
    fs::path path;
};

struct DeleteCase {
    std::vector<std::string> args;
    std::string question;
    std::string gone;  // the property folder or the slot file
};
void PrintTo(const DeleteCase& c, std::ostream* out) {
    *out << c.args[0];
}

class DeleteQuestion : public PropertyCommands, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteQuestion, IsAskedOnATerminalAndRefusedWithoutOne) {
    Phrase("TR_a", 1, "A");
    const fs::path gone = work_ / GetParam().gone;
    // Without a terminal and without --yes: a usage error before anything is touched.
    CliRun refused = Run(GetParam().args);
    EXPECT_EQ(refused.exit_status, 2);
    EXPECT_EQ(refused.err.find(GetParam().question), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("--yes"), std::string::npos) << refused.err;
    EXPECT_TRUE(fs::exists(gone));

    Terminal terminal;
    ASSERT_GE(terminal.held, 0);
    ASSERT_TRUE(terminal.Type("n\n"));
    CliRun declined = test::RunCli(GetParam().args, start_, dir_.path(), terminal.path);
    EXPECT_EQ(declined.exit_status, 1);
    EXPECT_EQ(declined.err, GetParam().question + " [y/N] ");
    EXPECT_TRUE(fs::exists(gone));

    ASSERT_TRUE(terminal.Type("はい\n"));
    CliRun confirmed = test::RunCli(GetParam().args, start_, dir_.path(), terminal.path);
    EXPECT_EQ(confirmed.exit_status, 0) << confirmed.err;
    EXPECT_EQ(confirmed.err, GetParam().question + " [y/N] ");
    EXPECT_FALSE(fs::exists(gone));
}

INSTANTIATE_TEST_SUITE_P(
    BothDeletions, DeleteQuestion,
    ::testing::Values(DeleteCase{{"delete", "a"}, "本物件を削除しますか？", "TR_a"},
                      DeleteCase{{"delete-phrase", "a", "1"},
                                 "音声情報を削除してもよろしいですか？",
                                 "TR_a/01.wav"}),
    [](const ::testing::TestParamInfo<DeleteCase>& param_info) {
        std::string name = param_info.param.args[0];
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

// A command names a property by its exact name; of names that differ only in letter case it
// never picks one.
struct CaseVariantCase {
    std::vector<std::string> args;
    std::string refusal;
};
void PrintTo(const CaseVariantCase& c, std::ostream* out) {
    for (const std::string& arg : c.args)
        *out << arg << ' ';
}

class CaseVariantNames : public PropertyCommands,
                         public ::testing::WithParamInterface<CaseVariantCase> {};

TEST_P(CaseVariantNames, AreRefusedWithTheVariantsNamedAndNothingChanges) {
    Phrase("TR_abc", 1, "A");
    Phrase("TR_ABC", 3, "B");
    const std::string before = Run({"properties"}).out;
    ASSERT_EQ(before, "ABC\t0 0 1\nabc\t1 0 0\n");
    CliRun run = Run(GetParam().args);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.err.find(GetParam().refusal), std::string::npos) << run.err;
    EXPECT_EQ(Run({"properties"}).out, before);
    EXPECT_EQ(Entries(work_), (std::vector<std::string>{"TR_ABC", "TR_abc"}));
}

const std::string kCliRefusal = "names that differ only in letter case: 'ABC', 'abc'";
INSTANTIATE_TEST_SUITE_P(
    EveryCommand, CaseVariantNames,
    ::testing::Values(
        CaseVariantCase{{"delete", "Abc", "--yes"}, kCliRefusal},
        CaseVariantCase{{"delete-phrase", "Abc", "1", "--yes"}, kCliRefusal},
        CaseVariantCase{{"import", "Abc", "1", "in.wav"}, kCliRefusal},
        CaseVariantCase{{"export", "Abc", "out.snd"}, kCliRefusal},
        CaseVariantCase{{"write", "Abc"}, kCliRefusal},
        CaseVariantCase{
            {"new", "x", "--copy-from", "Abc"},
            "コピー元の物件が見つかりません。\nAbc\n大文字・小文字だけが異なる物件：ABC、abc"}),
    [](const ::testing::TestParamInfo<CaseVariantCase>& param_info) {
        std::string name = param_info.param.args[0];
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST_F(PropertyCommands, TheExactNameActsOnItsOwnFolderOnly) {
    Phrase("TR_abc", 1, "A");
    Phrase("TR_ABC", 3, "B");
    EXPECT_EQ(Run({"delete-phrase", "ABC", "3", "--yes"}).exit_status, 0);
    EXPECT_EQ(Run({"delete", "abc", "--yes"}).exit_status, 0);
    EXPECT_EQ(Run({"properties"}).out, "ABC\t0 0 0\n");
}

TEST_F(PropertyCommands, DeletePhraseRemovesTheSlotsFiles) {
    for (int slot = 1; slot <= 3; ++slot)
        Phrase("TR_p", slot, "t");
    for (const char* name : {"01.snd", "02.snd", "03.snd", "04.snd"}) {
        PutFile(work_ / "TR_p" / name, name);
    }
    CliRun two = Run({"delete-phrase", "p", "2", "--yes"});
    EXPECT_EQ(two.exit_status, 0) << two.err;
    EXPECT_EQ(two.err, "");
    EXPECT_EQ(Entries(work_ / "TR_p"),
              (std::vector<std::string>{"01.snd", "01.wav", "03.snd", "03.wav"}));

    EXPECT_EQ(Run({"delete-phrase", "p", "3", "--yes"}).exit_status, 0);
    EXPECT_EQ(Entries(work_ / "TR_p"), (std::vector<std::string>{"01.snd", "01.wav"}));
    EXPECT_EQ(Run({"properties"}).out, "p\t1 0 0\n");

    EXPECT_EQ(Run({"delete-phrase", "p", "4"}).exit_status, 2);
    EXPECT_EQ(Run({"delete-phrase", "p", "0"}).exit_status, 2);
    EXPECT_EQ(Run({"delete-phrase", "p"}).exit_status, 2);
    EXPECT_EQ(Run({"delete-phrase", "q", "1", "--yes"}).exit_status, 1);
}

TEST_F(PropertyCommands, FirstRunWithoutIniCreatesItAndTheDefaultFolder) {
    fs::remove(start_ / "MEVAN.INI");
    CliRun run = Run({"properties"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "作業フォルダが見つかりませんでした。\n初期状態の作業フォルダを適用します。\n");
    EXPECT_TRUE(fs::is_directory(dir_ / "MEVAN" / "DATA"));
    EXPECT_EQ(
        ReadText(start_ / "MEVAN.INI").substr(0, 15 + (dir_ / "MEVAN" / "DATA").string().size()),
        "[CONFIG]\r\nPATH=" + (dir_ / "MEVAN" / "DATA").string());
}

TEST_F(PropertyCommands, HelpNamesTheCommandsAndBadCommandsAreUsageErrors) {
    CliRun help = Run({"--help"});
    EXPECT_EQ(help.exit_status, 0);
    for (const char* usage : {"properties", "new NAME [--copy-from OTHER]", "delete NAME [--yes]",
                              "delete-phrase NAME SLOT [--yes]"}) {
        EXPECT_NE(help.out.find(usage), std::string::npos) << usage;
    }
    EXPECT_EQ(Run({"no-such-command"}).exit_status, 2);
    EXPECT_EQ(Run({"properties", "extra"}).exit_status, 2);
    EXPECT_EQ(Run({}).exit_status, 2);
}

}  // namespace
}  // namespace kotar
