#include "export/PhraseFileBuild.h"

#include <memory>
#include <vector>

#include "common/UserAbort.h"
#include "export/MkFile.h"
#include "export/WriteThread.h"

namespace kotar {

PhraseBuildResult BuildPhraseFile(PhraseFileKind kind, const SlotList& slots,
                                  const std::string& work_folder, const std::string& destination,
                                  Prompter& prompter) {
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
        return written ? PhraseBuildResult::kWritten : PhraseBuildResult::kWriteFailed;
    } catch (const UserAbort&) {
        // A converted file was missing or unreadable: the builder has shown 110.
        return PhraseBuildResult::kNotBuilt;
    }
}

}  // namespace kotar
