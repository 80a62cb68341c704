#include "audio/ImportChain.h"

namespace kotar {

std::unique_ptr<CAcmCtrl> ConvertToRecordingFormat(const std::string& path, Prompter& prompter) {
    std::unique_ptr<CAcmCtrl> stage2;
    {
        CAcmCtrl stage1(kFormatPcm, 1, 8000, 16, kSuggestFormatTag, path, prompter);
        stage1.Convert();
        stage1.UnprepareHeader();
        stage1.CloseStream();
        stage2 = std::make_unique<CAcmCtrl>(kFormatPcm, 1, 8000, 16, kSuggestAll, stage1.target(),
                                            prompter);
    }
    stage2->Convert();
    stage2->UnprepareHeader();
    stage2->CloseStream();
    return stage2;
}

}  // namespace kotar
