// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace kotar {

// The numbered texts of the program (UTF-8), shown in message boxes by number.
// Returns an empty text for a number that has no text.
const char* MessageText(int id);

// Message numbers used by name in the code.
enum MessageId : int {
    kMsgVersionMenu = 101,
    kMsgSocketInitFailed = 104,
    kMsgDiscardRecording = 105,
    kMsgConfirmDeletePhrase = 108,
    kMsgOutOfMemory = 109,
    kMsgCannotOpenSound = 110,
    kMsgCannotOpenStream = 111,
    kMsgConversionFailed = 112,
    kMsgFileWriteFailed = 114,
    kMsgFileWriteSucceeded = 116,
    kMsgConfirmDeleteProperty = 118,
    kMsgDeletePropertyFailed = 119,
    kMsgDuplicateProperty = 120,
    kMsgSlot1Caption = 121,
    kMsgSlot2Caption = 122,
    kMsgSlot3Caption = 123,
    kMsgNoPlaybackDevice = 130,
    kMsgNoRecordingDevice = 132,
    kMsgRecordingTooLong = 133,
    kMsgDiskQuota = 137,
    kMsgCopyFailed = 139,
    kMsgAlreadyRunning = 143,
    kMsgRecreatePhrase = 145,
    kMsgWorkFolderMissing = 148,
    kMsgSelectProperty = 150,
    kMsgCreateWorkFolder = 152,
    kMsgCreateWorkFolderFailed = 153,
    kMsgSlot1Comment = 155,
    kMsgSlot2Comment = 157,
    kMsgSlot3Comment = 159,
};

}  // namespace kotar
