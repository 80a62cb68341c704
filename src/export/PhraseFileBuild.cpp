// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/PhraseFileBuild.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "common/UserAbort.h"
#include "common/Utf8Path.h"
#include "export/MkFile.h"
#include "export/WriteThread.h"

namespace kotar {

PhraseBuildResult BuildPhraseFile(PhraseFileKind kind, const SlotList& slots,
                                  const std::string& work_folder, const std::string& destination,
                                  Prompter& prompter, std::vector<std::uint8_t>* image) {
    const std::vector<int> indices = SourceSlotIndices(kind);
    if (indices.empty())
        return PhraseBuildResult::kNotBuilt;

    CWriteThread worker(slots, work_folder, prompter);
    worker.PrepareTemp();
    std::vector<std::string> converted;
    for (int index : indices) {
        worker.ConvertSlot(index);
        std::string path;
        if (!worker.GetConvertedPath(index, path))
            return PhraseBuildResult::kNotBuilt;
        converted.push_back(path);
    }

    try {
        auto mk = std::make_unique<CMkFile>();
        int written = 0;
        switch (kind) {
            case kPhraseA:
                written = mk->MakeFileA(converted[0], destination, prompter);
                break;
            case kPhraseB:
                written = mk->MakeFileB(converted[0], destination, prompter);
                break;
            case kPhraseABContinuous:
                written = mk->MakeFileContinuous(converted[0], destination, prompter);
                break;
            case kPhraseABSeparate:
                written = mk->MakeFileSeparate(converted[0], converted[1], destination, prompter);
                break;
            case kPhraseNone:
                return PhraseBuildResult::kNotBuilt;
        }
        if (!written)
            return PhraseBuildResult::kWriteFailed;
        if (image)
            image->assign(mk->image().begin(), mk->image().end());
        return PhraseBuildResult::kWritten;
    } catch (const UserAbort&) {
        // A converted file was missing or unreadable: the builder has shown 110.
        return PhraseBuildResult::kNotBuilt;
    }
}

SourceStamp StampSourceSlots(PhraseFileKind kind, const SlotList& slots) {
    SourceStamp stamp;
    for (int index : SourceSlotIndices(kind)) {
        std::optional<std::vector<std::uint8_t>> bytes;
        if (static_cast<std::size_t>(index) < slots.size()) {
            std::ifstream in(PathFromUtf8(slots[static_cast<std::size_t>(index)].wav_path),
                             std::ios::binary);
            if (in)
                bytes.emplace(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            if (in.bad())
                bytes.reset();
        }
        stamp.push_back(std::move(bytes));
    }
    return stamp;
}

}  // namespace kotar
