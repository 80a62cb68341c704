// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/PropertyStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <thread>

#include "ScriptedPrompter.h"
#include "StoreFixtures.h"
#include "SystemFaults.h"
#include "TempDir.h"
#include "common/Cp932.h"
#include "common/Messages.h"

namespace kotar {
namespace {

using test::FakeSpaceSource;
using test::MakeSlotWav;
using test::PutFile;
using test::ReadText;
using test::ScriptedPrompter;
using test::TempDir;

namespace fs = std::filesystem;

class PropertyStoreTest : public ::testing::Test {
protected:
    PropertyStoreTest() { fs::create_directory(work_); }

    // A property folder with a phrase (cp932 attribute text) in each slot given.
    fs::path MakeProperty(const std::string& folder_name,
                          const std::vector<std::pair<int, std::string>>& phrases = {}) {
        fs::path folder = work_ / folder_name;
        fs::create_directories(folder);
        for (const auto& [slot, text] : phrases) {
            PutFile(folder / SlotWavName(slot - 1), MakeSlotWav(800, Utf8ToCp932(text)));
        }
        return folder;
    }

    TempDir dir_;
    fs::path work_ = dir_ / "DATA";
    ProfileFile ini_{dir_ / "MEVAN.INI"};
    ScriptedPrompter prompter_;
    FakeSpaceSource space_;
    PropertyStore store_{ini_, prompter_, space_};
};

TEST_F(PropertyStoreTest, ListsPropertyFoldersOnlyInCaseBlindOrder) {
    MakeProperty("TR_beta");
    MakeProperty("tr_alpha");
    MakeProperty("Tr_Gamma");
    MakeProperty("TR_Alpha2");
    MakeProperty("TEMP");
    MakeProperty("other");
    MakeProperty("TR_");
    PutFile(work_ / "TR_file", "not a folder");
    PutFile(work_ / "TR_x.wav", "");

    EXPECT_EQ(ListProperties(work_),
              (std::vector<std::string>{"alpha", "Alpha2", "beta", "Gamma"}));
    EXPECT_TRUE(ListProperties(dir_ / "missing").empty());
}

TEST_F(PropertyStoreTest, AWorkFolderWithoutPropertiesLeavesOnlyNewPropertyUsable) {
    MakeProperty("TEMP");
    EXPECT_TRUE(store_.Reload(work_));
    EXPECT_TRUE(store_.names().empty());
    EXPECT_EQ(store_.selection(), -1);
    for (const SlotView& view : store_.slot_views()) {
        EXPECT_EQ(view.state, SlotState::Cleared);
        EXPECT_EQ(view.status_text, "");
        EXPECT_FALSE(view.create_enabled || view.play_enabled || view.delete_enabled);
    }
    PropertyButtons buttons = store_.Buttons(false);
    EXPECT_TRUE(buttons.new_property);
    EXPECT_FALSE(buttons.delete_property || buttons.search || buttons.write_read ||
                 buttons.rom_writer);
    EXPECT_TRUE(prompter_.prompts().empty());
}

TEST_F(PropertyStoreTest, SelectionScansEverySlotIntoThreeRecords) {
    fs::path folder = MakeProperty("TR_site", {{2, "音声フレーズＢ"}});
    ASSERT_TRUE(store_.Reload(work_));
    ASSERT_EQ(store_.selection(), 0);
    EXPECT_EQ(store_.current_name(), "site");
    EXPECT_EQ(store_.current_folder(), folder);

    const SlotList& slots = store_.slots();
    ASSERT_EQ(slots.size(), 3u);
    EXPECT_EQ(slots[0].wav_path, (folder / "01.wav").string());
    EXPECT_EQ(slots[0].attribute_text, "");
    EXPECT_EQ(slots[1].wav_path, (folder / "02.wav").string());
    EXPECT_EQ(slots[1].attribute_text, "音声フレーズＢ");
    EXPECT_EQ(slots[2].wav_path, (folder / "03.wav").string());

    const auto& views = store_.slot_views();
    EXPECT_EQ(views[0].status_text, "データなし");
    EXPECT_TRUE(views[0].create_enabled);
    EXPECT_FALSE(views[0].play_enabled || views[0].delete_enabled);
    EXPECT_EQ(views[1].status_text, "データあり");
    EXPECT_TRUE(views[1].create_enabled && views[1].play_enabled && views[1].delete_enabled);
    EXPECT_EQ(views[2].state, SlotState::Empty);

    // The ROM-writer button follows the mode: slot 2 counts in A/B mode, slot 3 otherwise.
    EXPECT_TRUE(store_.Buttons(true).rom_writer);
    EXPECT_FALSE(store_.Buttons(false).rom_writer);
    PropertyButtons buttons = store_.Buttons(false);
    EXPECT_TRUE(buttons.new_property && buttons.delete_property && buttons.search &&
                buttons.write_read);
    EXPECT_TRUE(prompter_.prompts().empty());
}

TEST_F(PropertyStoreTest, AttributeTextIsCutToThirtyTwoBytesAtACharacterBoundary) {
    std::string text = "a";
    for (int i = 0; i < 16; ++i)
        text += "音";  // 33 bytes
    MakeProperty("TR_p", {{3, text}});
    ASSERT_TRUE(store_.Reload(work_));
    std::string expected = "a";
    for (int i = 0; i < 15; ++i)
        expected += "音";  // 31 bytes
    EXPECT_EQ(store_.slots()[2].attribute_text, expected);
    EXPECT_TRUE(store_.Buttons(false).rom_writer);
}

TEST_F(PropertyStoreTest, AnUnreadableSlotFileAfterMessage110HidesNothingOfTheOthers) {
    fs::path folder = MakeProperty("TR_p", {{1, "A"}, {3, "AB"}});
    PutFile(folder / "02.wav", "RIFF but not really a wave file");
    EXPECT_FALSE(store_.Reload(work_));

    EXPECT_EQ(prompter_.MessageIds(), std::vector<int>{kMsgCannotOpenSound});
    EXPECT_EQ(prompter_.prompts()[0].message.icon, MessageIcon::Exclamation);
    EXPECT_EQ(store_.selection(), 0);
    EXPECT_FALSE(store_.all_slots_readable());
    ASSERT_EQ(store_.slots().size(), 3u);
    EXPECT_EQ(store_.slots()[0].attribute_text, "A");
    EXPECT_EQ(store_.slots()[1].attribute_text, "");
    EXPECT_EQ(store_.slots()[1].wav_path, (folder / "02.wav").string());
    EXPECT_EQ(store_.slots()[2].attribute_text, "AB");
    EXPECT_EQ(store_.slot_views()[0].state, SlotState::Filled);
    EXPECT_EQ(store_.slot_views()[2].state, SlotState::Filled);
    // Shown without a phrase; it can be replaced or deleted, not played.
    const SlotView& broken = store_.slot_views()[1];
    EXPECT_EQ(broken.state, SlotState::Unreadable);
    EXPECT_EQ(broken.status_text, kSlotStatusNoData);
    EXPECT_TRUE(broken.create_enabled && broken.delete_enabled);
    EXPECT_FALSE(broken.play_enabled);
    EXPECT_TRUE(store_.Buttons(true).rom_writer);
    EXPECT_TRUE(store_.Buttons(false).rom_writer);

    EXPECT_EQ(store_.DeleteSlotPhrase(1), SlotDeleteOutcome::Deleted);
    EXPECT_FALSE(fs::exists(folder / "02.wav"));
    EXPECT_EQ(store_.slot_views()[1].state, SlotState::Empty);
}

TEST_F(PropertyStoreTest, AWavFileWithoutAttributeIsUnreadable) {
    fs::path folder = MakeProperty("TR_p");
    PutFile(folder / "01.wav", MakeSlotWav(10, ""));
    EXPECT_FALSE(store_.Reload(work_));
    EXPECT_EQ(prompter_.MessageIds(), std::vector<int>{kMsgCannotOpenSound});
    EXPECT_EQ(store_.slot_views()[0].state, SlotState::Unreadable);
}

TEST_F(PropertyStoreTest, CreationWithCopyTakesEveryFileAndSelectsTheNewProperty) {
    fs::path source = MakeProperty("TR_old", {{1, "音声A"}, {3, "音声AB"}});
    PutFile(source / "01.snd", std::string(16, '\xff'));
    PutFile(source / "TEMP" / "read.snd", "read back");
    MakeProperty("TR_zzz");
    ASSERT_TRUE(store_.Reload(work_));

    CreateResult result = store_.Create("New", std::string("old"));
    EXPECT_EQ(result.outcome, CreateOutcome::Created);
    EXPECT_FALSE(result.new_property_disabled);
    EXPECT_TRUE(prompter_.prompts().empty());

    fs::path copy = work_ / "TR_New";
    EXPECT_EQ(ReadText(copy / "01.wav"), ReadText(source / "01.wav"));
    EXPECT_EQ(ReadText(copy / "03.wav"), ReadText(source / "03.wav"));
    EXPECT_EQ(ReadText(copy / "01.snd"), std::string(16, '\xff'));
    EXPECT_EQ(ReadText(copy / "TEMP" / "read.snd"), "read back");
    EXPECT_EQ(store_.names(), (std::vector<std::string>{"New", "old", "zzz"}));
    EXPECT_EQ(store_.selection(), 0);
    EXPECT_EQ(store_.slots()[0].wav_path, (copy / "01.wav").string());
    EXPECT_EQ(store_.slots()[0].attribute_text, "音声A");
    EXPECT_EQ(store_.slots()[2].attribute_text, "音声AB");
}

TEST_F(PropertyStoreTest, CreationWithoutCopyMakesAnEmptyProperty) {
    MakeProperty("TR_a", {{1, "x"}});
    ASSERT_TRUE(store_.Reload(work_));
    ASSERT_EQ(store_.Create("b", std::nullopt).outcome, CreateOutcome::Created);
    EXPECT_TRUE(fs::is_empty(work_ / "TR_b"));
    EXPECT_EQ(store_.selection(), 1);
    EXPECT_EQ(store_.slot_views()[0].state, SlotState::Empty);
}

TEST_F(PropertyStoreTest, AFailedCopyShows139AndLeavesNothing) {
    fs::path source = MakeProperty("TR_old", {{1, "x"}});
    if (!test::MakeSpecialFile(source / "pipe"))
        GTEST_SKIP() << "no special files in the file system of this system";
    ASSERT_TRUE(store_.Reload(work_));

    EXPECT_EQ(store_.Create("new", std::string("old")).outcome, CreateOutcome::CopyFailed);
    ASSERT_EQ(prompter_.MessageIds(), std::vector<int>{kMsgCopyFailed});
    EXPECT_EQ(prompter_.prompts()[0].message.text,
              "音声ファイルのコピーに失敗しました。\n物件は作成されませんでした。");
    EXPECT_EQ(prompter_.prompts()[0].message.icon, MessageIcon::Exclamation);
    EXPECT_FALSE(fs::exists(work_ / "TR_new"));
    EXPECT_EQ(store_.names(), std::vector<std::string>{"old"});
    EXPECT_EQ(store_.selection(), 0);
    EXPECT_EQ(store_.current_name(), "old");
}

TEST_F(PropertyStoreTest, TheDiskRuleRefusesWith137AndCreatesNothing) {
    ini_.WriteString("CONFIG", "DISK", "100");
    space_.figures = DiskSpace{10'099, 9'999, 9'999};
    ASSERT_TRUE(store_.Reload(work_));
    EXPECT_EQ(store_.Create("p", std::nullopt).outcome, CreateOutcome::QuotaRefused);
    ASSERT_EQ(prompter_.MessageIds(), std::vector<int>{kMsgDiskQuota});
    EXPECT_EQ(prompter_.prompts()[0].message.icon, MessageIcon::Error);
    EXPECT_FALSE(fs::exists(work_ / "TR_p"));
    EXPECT_TRUE(store_.names().empty());

    space_.figures->free_bytes = 10'000;
    EXPECT_EQ(store_.Create("p", std::nullopt).outcome, CreateOutcome::Created);
}

TEST_F(PropertyStoreTest, LessThan500MiBAfterCreationDisablesNewPropertyUntilReload) {
    ini_.WriteString("CONFIG", "DISK", "0");
    space_.figures = DiskSpace{100ull << 30, 499ull << 20, 499ull << 20};
    ASSERT_TRUE(store_.Reload(work_));
    CreateResult result = store_.Create("p", std::nullopt);
    EXPECT_EQ(result.outcome, CreateOutcome::Created);
    EXPECT_TRUE(result.new_property_disabled);
    EXPECT_FALSE(store_.Buttons(false).new_property);
    EXPECT_TRUE(store_.Buttons(false).delete_property);

    // Selecting another property keeps it disabled; the next reload enables it again.
    store_.Select(0);
    EXPECT_FALSE(store_.Buttons(false).new_property);
    store_.Reload(work_);
    EXPECT_TRUE(store_.Buttons(false).new_property);

    space_.figures = DiskSpace{100ull << 30, 500ull << 20, 500ull << 20};
    EXPECT_FALSE(store_.Create("q", std::nullopt).new_property_disabled);
}

TEST_F(PropertyStoreTest, BadNamesAreRefusedBeforeAnythingIsMade) {
    MakeProperty("TR_Site");
    ASSERT_TRUE(store_.Reload(work_));
    EXPECT_EQ(store_.Create("SITE", std::nullopt).outcome, CreateOutcome::NameRefused);
    EXPECT_EQ(store_.Create("../escape", std::nullopt).outcome, CreateOutcome::NameRefused);
    EXPECT_EQ(store_.Create("x", std::string("nope")).outcome, CreateOutcome::NameRefused);
    EXPECT_EQ(prompter_.MessageIds(), (std::vector<int>{kMsgDuplicateProperty, 0, 0}));
    EXPECT_EQ(prompter_.prompts()[1].message.caption, "エラー");
    EXPECT_FALSE(fs::exists(dir_ / "escape"));
    EXPECT_FALSE(fs::exists(work_ / "TR_x"));
}

TEST_F(PropertyStoreTest, AFolderThatCannotBeMadeIsReportedAndNotListed) {
    PutFile(work_ / "TR_taken", "a file, so no folder of that name can be made");
    ASSERT_TRUE(store_.Reload(work_));
    EXPECT_EQ(store_.Create("taken", std::nullopt).outcome, CreateOutcome::FolderNotCreated);
    ASSERT_EQ(prompter_.prompts().size(), 1u);
    EXPECT_NE(prompter_.prompts()[0].message.text.find("TR_taken"), std::string::npos);
    EXPECT_TRUE(store_.names().empty());
    EXPECT_EQ(store_.selection(), -1);
}

TEST_F(PropertyStoreTest, NamesThatDifferOnlyInLetterCaseAreNeverTakenForEachOther) {
    if (!test::NamesDifferingInCaseAreDistinct(work_))
        GTEST_SKIP() << "this file system takes such names for one";
    MakeProperty("TR_abc", {{1, "x"}});
    MakeProperty("TR_ABC");
    ASSERT_TRUE(store_.Reload(work_));
    EXPECT_EQ(store_.names(), (std::vector<std::string>{"ABC", "abc"}));
    EXPECT_EQ(store_.Find("abc"), 1);
    EXPECT_EQ(store_.Find("Abc"), -1);
    EXPECT_EQ(store_.CaseVariants("Abc"), (std::vector<std::string>{"ABC", "abc"}));
    EXPECT_EQ(store_.CaseVariants("abc"), std::vector<std::string>{"ABC"});
    EXPECT_EQ(store_.Create("x", std::string("Abc")).outcome, CreateOutcome::NameRefused);
    EXPECT_EQ(prompter_.prompts().at(0).message.icon, MessageIcon::Error);
    // The exact name copies exactly its own folder.
    ASSERT_EQ(store_.Create("y", std::string("abc")).outcome, CreateOutcome::Created);
    EXPECT_EQ(ReadText(work_ / "TR_y" / "01.wav"), ReadText(work_ / "TR_abc" / "01.wav"));
}

TEST_F(PropertyStoreTest, CaseVariantsUnderPrefixesOfAnyCaseOpenTheirOwnFolders) {
    if (!test::NamesDifferingInCaseAreDistinct(work_))
        GTEST_SKIP() << "this file system takes such names for one";
    const std::vector<std::string> folders{"TR_abc", "tr_ABC", "Tr_Abc", "tR_aBC"};
    for (const std::string& folder : folders)
        MakeProperty(folder, {{1, folder}});
    ASSERT_TRUE(store_.Reload(work_));
    ASSERT_EQ(store_.names().size(), folders.size());
    for (const std::string& folder : folders) {
        const std::string name = folder.substr(3);
        ASSERT_TRUE(store_.Select(store_.Find(name))) << name;
        EXPECT_EQ(store_.current_folder(), work_ / folder);
        EXPECT_EQ(store_.slots()[0].attribute_text, folder);
    }
}

TEST_F(PropertyStoreTest, CreationChecksTheDiskAtThatMomentNotTheListLoadedBefore) {
    MakeProperty("TR_a");
    ASSERT_TRUE(store_.Reload(work_));
    MakeProperty("TR_site");  // made by another copy after this list was loaded
    EXPECT_EQ(store_.Create("SITE", std::nullopt).outcome, CreateOutcome::NameRefused);
    EXPECT_EQ(prompter_.MessageIds(), std::vector<int>{kMsgDuplicateProperty});
    EXPECT_EQ(test::EntryNames(work_), (std::vector<std::string>{"TR_a", "TR_site"}));

    ASSERT_EQ(store_.Create("new", std::nullopt).outcome, CreateOutcome::Created);
    EXPECT_EQ(store_.names(), (std::vector<std::string>{"a", "new", "site"}));
    EXPECT_EQ(store_.current_name(), "new");
}

TEST_F(PropertyStoreTest, CopiesCreatingCaseVariantsAtOnceMakeOneFolder) {
    const std::vector<std::string> variants{"abc", "ABC", "Abc", "aBC"};
    for (int round = 0; round < 20; ++round) {
        const fs::path work = work_ / std::to_string(round);
        fs::create_directory(work);
        std::latch listed(static_cast<std::ptrdiff_t>(variants.size()));
        std::atomic<int> created{0};
        std::vector<std::thread> copies;
        for (const std::string& name : variants) {
            copies.emplace_back([&, name] {
                ProfileFile ini(dir_ / "MEVAN.INI");
                ScriptedPrompter prompter;
                FakeSpaceSource space;
                PropertyStore store(ini, prompter, space);
                store.List(work);
                listed.arrive_and_wait();  // every copy holds a list without the new name
                if (store.Create(name, std::nullopt).outcome == CreateOutcome::Created)
                    ++created;
            });
        }
        for (std::thread& copy : copies)
            copy.join();
        EXPECT_EQ(created, 1);
        EXPECT_EQ(ListProperties(work).size(), 1u) << "round " << round;
    }
}

TEST_F(PropertyStoreTest, DeletionAsksFirstAndKeepsThePropertyOnNo) {
    MakeProperty("TR_a", {{1, "x"}});
    ASSERT_TRUE(store_.Reload(work_));
    prompter_.AnswerNextMessage(MessageAnswer::No);
    EXPECT_EQ(store_.DeleteCurrent(), DeleteOutcome::Declined);
    ASSERT_EQ(prompter_.prompts().size(), 1u);
    const MessageRequest& asked = prompter_.prompts()[0].message;
    EXPECT_EQ(asked.message_id, kMsgConfirmDeleteProperty);
    EXPECT_EQ(asked.text, "本物件を削除しますか？");
    EXPECT_EQ(asked.buttons, MessageButtons::YesNo);
    EXPECT_EQ(asked.icon, MessageIcon::Information);
    EXPECT_EQ(asked.default_answer, MessageAnswer::No);
    EXPECT_TRUE(fs::exists(work_ / "TR_a" / "01.wav"));
    EXPECT_EQ(store_.names().size(), 1u);
}

TEST_F(PropertyStoreTest, DeletionMovesTheSelectionAsTheListDoes) {
    MakeProperty("TR_a");
    MakeProperty("TR_b", {{3, "b3"}});
    MakeProperty("tr_c");
    PutFile(work_ / "tr_c" / "TEMP" / "x.snd", "x");
    ASSERT_TRUE(store_.Reload(work_));

    // The last entry: the one before it becomes current.
    store_.Select(2);
    prompter_.AnswerNextMessage(MessageAnswer::Yes);
    EXPECT_EQ(store_.DeleteCurrent(), DeleteOutcome::Deleted);
    EXPECT_FALSE(fs::exists(work_ / "tr_c"));
    EXPECT_EQ(store_.names(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(store_.selection(), 1);
    EXPECT_EQ(store_.slots()[2].attribute_text, "b3");

    // A first entry: the same position, now the next property.
    store_.Select(0);
    prompter_.AnswerNextMessage(MessageAnswer::Yes);
    EXPECT_EQ(store_.DeleteCurrent(), DeleteOutcome::Deleted);
    EXPECT_EQ(store_.names(), std::vector<std::string>{"b"});
    EXPECT_EQ(store_.selection(), 0);
    EXPECT_EQ(store_.current_name(), "b");

    // The only entry: nothing is current and the property buttons go off.
    prompter_.AnswerNextMessage(MessageAnswer::Yes);
    EXPECT_EQ(store_.DeleteCurrent(), DeleteOutcome::Deleted);
    EXPECT_TRUE(store_.names().empty());
    EXPECT_EQ(store_.selection(), -1);
    EXPECT_TRUE(store_.slots().empty());
    EXPECT_EQ(store_.slot_views()[2].state, SlotState::Cleared);
    PropertyButtons buttons = store_.Buttons(false);
    EXPECT_FALSE(buttons.delete_property || buttons.search || buttons.write_read ||
                 buttons.rom_writer);
    EXPECT_TRUE(buttons.new_property);
    EXPECT_TRUE(fs::is_empty(work_));
    EXPECT_EQ(store_.DeleteCurrent(), DeleteOutcome::Declined);  // nothing to delete
}

TEST_F(PropertyStoreTest, AFailedDeletionShows119AndKeepsTheProperty) {
    MakeProperty("TR_a");
    ASSERT_TRUE(store_.Reload(work_));
    // Another program replaced the folder by a file: its contents cannot be removed.
    fs::remove(work_ / "TR_a");
    PutFile(work_ / "TR_a", "file");
    prompter_.AnswerNextMessage(MessageAnswer::Yes);
    EXPECT_EQ(store_.DeleteCurrent(), DeleteOutcome::Failed);
    EXPECT_EQ(prompter_.MessageIds(),
              (std::vector<int>{kMsgConfirmDeleteProperty, kMsgDeletePropertyFailed}));
    EXPECT_EQ(prompter_.prompts()[1].message.icon, MessageIcon::Exclamation);
    EXPECT_EQ(store_.names(), std::vector<std::string>{"a"});
    EXPECT_EQ(store_.selection(), 0);
}

class SlotDeletion : public PropertyStoreTest {
protected:
    void SetUp() override {
        folder_ = MakeProperty("TR_p", {{1, "A"}, {2, "B"}, {3, "AB"}});
        for (const char* name : {"01.snd", "02.snd", "03.snd", "04.snd"}) {
            PutFile(folder_ / name, name);
        }
        ASSERT_TRUE(store_.Reload(work_));
    }
    std::vector<std::string> Remaining() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path folder_;
};

TEST_F(SlotDeletion, SlotTwoTakesItsPhraseFileAndTheCombinedOne) {
    EXPECT_EQ(store_.DeleteSlotPhrase(1), SlotDeleteOutcome::Deleted);
    ASSERT_EQ(prompter_.prompts().size(), 1u);
    const MessageRequest& asked = prompter_.prompts()[0].message;
    EXPECT_EQ(asked.message_id, kMsgConfirmDeletePhrase);
    EXPECT_EQ(asked.text, "音声情報を削除してもよろしいですか？");
    EXPECT_EQ(asked.buttons, MessageButtons::YesNo);
    EXPECT_EQ(asked.icon, MessageIcon::Question);
    EXPECT_EQ(Remaining(), (std::vector<std::string>{"01.snd", "01.wav", "03.snd", "03.wav"}));

    EXPECT_EQ(store_.slots()[1].wav_path, (folder_ / "02.wav").string());
    EXPECT_EQ(store_.slots()[1].attribute_text, "");
    EXPECT_EQ(store_.slot_views()[1].status_text, "データなし");
    EXPECT_FALSE(store_.slot_views()[1].play_enabled);
    EXPECT_TRUE(store_.Buttons(true).rom_writer);  // slot 1 still holds a phrase
}

TEST_F(SlotDeletion, SlotThreeKeepsTheCombinedFile) {
    EXPECT_EQ(store_.DeleteSlotPhrase(2), SlotDeleteOutcome::Deleted);
    EXPECT_EQ(Remaining(),
              (std::vector<std::string>{"01.snd", "01.wav", "02.snd", "02.wav", "04.snd"}));
    EXPECT_FALSE(store_.Buttons(false).rom_writer);
}

TEST_F(SlotDeletion, MissingFilesAreNoErrorAndNoKeepsEverything) {
    fs::remove(folder_ / "01.snd");
    fs::remove(folder_ / "04.snd");
    EXPECT_EQ(store_.DeleteSlotPhrase(0), SlotDeleteOutcome::Deleted);
    EXPECT_EQ(Remaining(), (std::vector<std::string>{"02.snd", "02.wav", "03.snd", "03.wav"}));
    EXPECT_EQ(store_.DeleteSlotPhrase(0), SlotDeleteOutcome::Deleted);  // nothing left to remove

    prompter_.AnswerNextMessage(MessageAnswer::No);
    EXPECT_EQ(store_.DeleteSlotPhrase(1), SlotDeleteOutcome::Declined);
    EXPECT_TRUE(fs::exists(folder_ / "02.wav"));
    EXPECT_EQ(store_.slots()[1].attribute_text, "B");
}

TEST_F(SlotDeletion, AWavThatCannotBeRemovedKeepsTheSlot) {
    // A folder in place of the slot file cannot be removed as a file.
    fs::remove(folder_ / "03.wav");
    PutFile(folder_ / "03.wav" / "inside", "x");
    store_.Reload(work_);
    prompter_.Clear();
    EXPECT_EQ(store_.DeleteSlotPhrase(2), SlotDeleteOutcome::WavNotRemoved);
    ASSERT_EQ(prompter_.prompts().size(), 2u);
    EXPECT_NE(prompter_.prompts()[1].message.text.find("03.wav"), std::string::npos);
    EXPECT_TRUE(fs::exists(folder_ / "03.snd"));
}

TEST_F(SlotDeletion, APhraseSavedByADialogFillsTheSlot) {
    store_.DeleteSlotPhrase(0);
    store_.SetSlotPhrase(0, "新しい");
    EXPECT_EQ(store_.slots()[0].attribute_text, "新しい");
    EXPECT_EQ(store_.slot_views()[0].status_text, "データあり");
    EXPECT_TRUE(store_.slot_views()[0].play_enabled);
}

}  // namespace
}  // namespace kotar
