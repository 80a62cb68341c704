#include "audio/PhraseCommands.h"

#include "audio/EditDlg.h"
#include "audio/ImportChain.h"
#include "audio/PeakDlg.h"
#include "audio/PlayDlg.h"
#include "audio/RecDlg.h"
#include "audio/SelMeanDlg.h"
#include "common/UserAbort.h"

namespace kotar {

void InstallPhraseCommands(KotarDlgHooks& hooks, Prompter& prompter, ProfileFile& ini,
                           AudioEndpoints& endpoints) {
    hooks.choose_creation_method = [](QWidget* parent, const std::string& message_text) {
        CSelMeanDlg dlg(parent, message_text);
        return dlg.exec() == QDialog::Accepted ? dlg.method() : 0;
    };
    hooks.import_phrase = [&prompter, &endpoints](
                              QWidget* parent,
                              const PhraseRequest& request) -> std::optional<PhraseResult> {
        try {
            const auto converted = RunImportChain(request.source_file, prompter);
            CEditDlg dlg(parent, prompter, endpoints, request.wav_path, request.message_text,
                         *converted, request.max_seconds, request.slot_index);
            if (dlg.exec() == QDialog::Accepted)
                return PhraseResult{request.wav_path, request.message_text};
        } catch (const UserAbort&) {
            // The failure has been shown.
        }
        return std::nullopt;
    };
    hooks.record_phrase = [&prompter, &ini, &endpoints](
                              QWidget* parent,
                              const PhraseRequest& request) -> std::optional<PhraseResult> {
        CRecDlg dlg(parent, prompter, ini, endpoints, request.wav_path, request.message_text,
                    request.max_seconds, request.slot_index);
        if (dlg.exec() == QDialog::Accepted)
            return PhraseResult{request.wav_path, request.message_text};
        return std::nullopt;
    };
    hooks.play_phrase = [&prompter, &endpoints](QWidget* parent, const SlotRecord& record) {
        CPlayDlg dlg(parent, prompter, endpoints, record.wav_path, record.attribute_text, false);
        dlg.exec();
    };
    hooks.open_recording_settings = [&ini, &endpoints](QWidget* parent) {
        CPeakDlg dlg(parent, ini, endpoints);
        dlg.exec();
    };
}

}  // namespace kotar
