// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "export/PhraseFileKind.h"

namespace kotar {
namespace {

SlotList Slots(bool one, bool two, bool three) {
    return {{"/w/TR_x/01.wav", one ? "A" : ""},
            {"/w/TR_x/02.wav", two ? "B" : ""},
            {"/w/TR_x/03.wav", three ? "AB" : ""}};
}

TEST(PhraseFileKind, EveryModeAndSlotCombination) {
    for (int bits = 0; bits < 8; ++bits) {
        const bool one = bits & 1, two = bits & 2, three = bits & 4;
        SCOPED_TRACE(bits);
        const SlotList slots = Slots(one, two, three);
        const PhraseFileKind ab = one && two ? kPhraseABSeparate
                                  : one      ? kPhraseA
                                  : two      ? kPhraseB
                                             : kPhraseNone;
        EXPECT_EQ(ChoosePhraseFileKind(PhrasePanelMode::kAB, slots), ab);
        EXPECT_EQ(CanExportRomWriterData(PhrasePanelMode::kAB, slots), one || two);
        EXPECT_EQ(ChoosePhraseFileKind(PhrasePanelMode::kContinuous, slots),
                  three ? kPhraseABContinuous : kPhraseNone);
        EXPECT_EQ(CanExportRomWriterData(PhrasePanelMode::kContinuous, slots), three);
    }
}

TEST(PhraseFileKind, ShortSlotListsHoldNoPhraseBeyondTheirEnd) {
    const SlotList two_records = {{"/01.wav", "A"}, {"/02.wav", "B"}};
    EXPECT_EQ(ChoosePhraseFileKind(PhrasePanelMode::kAB, two_records), kPhraseABSeparate);
    EXPECT_FALSE(CanExportRomWriterData(PhrasePanelMode::kAB, two_records));
    EXPECT_EQ(ChoosePhraseFileKind(PhrasePanelMode::kContinuous, two_records), kPhraseNone);
    EXPECT_EQ(ChoosePhraseFileKind(PhrasePanelMode::kAB, {}), kPhraseNone);
}

TEST(PhraseFileKind, NamesSlotsAndTexts) {
    EXPECT_EQ(PhraseFileName(kPhraseA), "01.snd");
    EXPECT_EQ(PhraseFileName(kPhraseB), "02.snd");
    EXPECT_EQ(PhraseFileName(kPhraseABContinuous), "03.snd");
    EXPECT_EQ(PhraseFileName(kPhraseABSeparate), "04.snd");
    EXPECT_EQ(PhraseFileName(kPhraseNone), "");
    EXPECT_EQ(SourceSlotIndices(kPhraseA), std::vector<int>{0});
    EXPECT_EQ(SourceSlotIndices(kPhraseB), std::vector<int>{1});
    EXPECT_EQ(SourceSlotIndices(kPhraseABContinuous), std::vector<int>{2});
    EXPECT_EQ(SourceSlotIndices(kPhraseABSeparate), (std::vector<int>{0, 1}));
    EXPECT_TRUE(SourceSlotIndices(kPhraseNone).empty());
    EXPECT_EQ(PhraseFileKindText(kPhraseNone), "音声データなし");
    EXPECT_EQ(PhraseFileKindText(kPhraseA), "音声データＡ");
    EXPECT_EQ(PhraseFileKindText(kPhraseB), "音声データＢ");
    EXPECT_EQ(PhraseFileKindText(kPhraseABContinuous), "音声データＡ＋Ｂ（連続）");
    EXPECT_EQ(PhraseFileKindText(kPhraseABSeparate), "音声データＡ＋Ｂ（個別）");
}

}  // namespace
}  // namespace kotar
