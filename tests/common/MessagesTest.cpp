// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Messages.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace kotar {
namespace {

// Every numbered text of the program, as the message boxes show it.
const std::map<int, std::string> kExpected = {
    {101, "KOTAR のﾊﾞｰｼﾞｮﾝ情報(&A)..."},
    {104, "Windows ｿｹｯﾄの初期化に失敗しました。"},
    {105, "録音した音声は破棄されます。\nウィンドウを閉じますか？"},
    {108, "音声情報を削除してもよろしいですか？"},
    {109, "メモリを確保できませんでした。"},
    {110, "サウンドファイルを開けませんでした。"},
    {111, "変換ストリームをオープンできませんでした。"},
    {112, "音声ファイルの変換に失敗しました。"},
    {114, "ファイルの書込みに失敗しました。"},
    {116, "ファイルの書込みが正常終了しました。"},
    {118, "本物件を削除しますか？"},
    {119, "物件の削除に失敗しました。"},
    {120, "同一名称の物件が存在します。\n名前を変えてください。"},
    {121, "１．音声フレーズＡ"},
    {122, "２．音声フレーズＢ"},
    {123, "３．音声フレーズＡ＋Ｂ"},
    {130,
     "サウンドカードが未実装もしくは異常です。\n再生ソースの線を確認してから再生ボタンを押してく"
     "ださい。"},
    {132,
     "サウンドカードが未実装もしくは異常です。\n録音ソースの線を確認してから録音ボタンを押してく"
     "ださい。"},
    {133, "録音サイズが長すぎます。\n「OK」で%0.3f秒以降を自動で削除します。"},
    {137,
     "空きディスク容量が無くなってきたため、\n新規物件の登録が出来ません。\n\n不要な物件を削除願い"
     "ます。"},
    {139, "音声ファイルのコピーに失敗しました。\n物件は作成されませんでした。"},
    {143, "アプリケーションはすでに起動しています。"},
    {145, "すでに音声が登録されています。\n音声を作成し直しますか？"},
    {148, "作業フォルダが見つかりませんでした。\n初期状態の作業フォルダを適用します。"},
    {150, "物件の選択をしてください。"},
    {152, "作業フォルダが見つかりません。\n新しいフォルダを作成しますか？"},
    {153, "新規にフォルダを作成できませんでした。\n既存の作業フォルダを適用します。"},
    {155, "音声フレーズＡ"},
    {157, "音声フレーズＢ"},
    {159, "音声フレーズＡ＋Ｂ"},
};

TEST(Messages, EveryNumberHasItsExactText) {
    for (const auto& [id, text] : kExpected) {
        EXPECT_EQ(MessageText(id), text) << "message " << id;
    }
}

TEST(Messages, NumbersWithoutATextGiveEmptyText) {
    int with_text = 0;
    for (int id = 0; id < 1000; ++id) {
        std::string text = MessageText(id);
        if (kExpected.count(id) == 0) {
            EXPECT_EQ(text, "") << "message " << id;
        } else {
            ++with_text;
        }
    }
    EXPECT_EQ(with_text, 30);
    EXPECT_EQ(std::string(MessageText(-1)), "");
}

TEST(Messages, NamedIdsPointAtTheirTexts) {
    EXPECT_EQ(std::string(MessageText(kMsgCannotOpenSound)), kExpected.at(110));
    EXPECT_EQ(std::string(MessageText(kMsgDiskQuota)), kExpected.at(137));
    EXPECT_EQ(std::string(MessageText(kMsgSlot3Comment)), kExpected.at(159));
    EXPECT_EQ(std::string(MessageText(kMsgWorkFolderMissing)), kExpected.at(148));
}

}  // namespace
}  // namespace kotar
