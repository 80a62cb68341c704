// SPDX-License-Identifier: GPL-3.0-or-later
// kotar-cli commands that make phrases and phrase files: import, export.
#include <cstdio>
#include <filesystem>
#include <string>

#include "CliCommand.h"
#include "CliProperties.h"
#include "audio/ImportChain.h"
#include "audio/LengthLimit.h"
#include "audio/WaveFile.h"
#include "common/Cp932.h"
#include "common/Messages.h"
#include "common/Utf8Path.h"
#include "export/PhraseFileKind.h"
#include "export/RomWriterExport.h"
#include "export/SourceSlotCheck.h"
#include "store/PropertyStore.h"
#include "store/SlotScan.h"

namespace kotar::cli {
namespace {

int RunImport(CliContext& context, const std::vector<std::string>& args) {
    ParsedArguments parsed = ParseArguments(args, {"text"});
    if (parsed.positionals.size() != 3)
        throw UsageError{"expected NAME SLOT FILE"};
    const std::string& name = parsed.positionals[0];
    const int slot = ParseSlotNumber(parsed.positionals[1]);
    const Configuration& config = context.config();
    std::string text = parsed.Option("text").value_or(config.slot_comments[slot - 1]);
    text = TruncateToCp932Bytes(text, kSlotCommentMaxBytes);
    if (text.empty()) {
        throw UsageError{"the phrase text is empty (a slot without text holds no phrase)"};
    }
    CliProperties properties(context);
    if (!properties.Select(name))
        return kExitFailure;
    PropertyStore& store = properties.store();

    const std::unique_ptr<CWaveFile> sound =
        RunImportChain(AbsolutePath(context, parsed.positionals[2]), context.prompter());
    const double max_seconds = config.slot_max_seconds[slot - 1];
    const int over = CheckLength(*sound, max_seconds);
    if (over != 0) {
        // Only the first length bytes are saved: the cut needs no silence behind it.
        sound->set_length(BytesForSeconds(*sound, max_seconds));
        if (over == 2)
            PrintSlotCutNotice(max_seconds);
    }
    if (!sound->Save(PathToUtf8(SlotWavPath(store.current_folder(), slot - 1)), text)) {
        context.prompter().ShowMessage(kMsgFileWriteFailed, MessageIcon::Exclamation);
        return kExitFailure;
    }
    return kExitSuccess;
}

int RunExport(CliContext& context, const std::vector<std::string>& args) {
    ParsedArguments parsed = ParseArguments(args, {"mode"});
    if (parsed.positionals.size() != 2)
        throw UsageError{"expected NAME OUT"};
    const PhrasePanelMode mode = ParseModeOption(parsed);
    const std::string& name = parsed.positionals[0];
    CliProperties properties(context);
    if (!properties.Select(name))
        return kExitFailure;
    PropertyStore& store = properties.store();
    // A slot file that could not be read (message 110 shown) fails the export: a script gets a
    // failure, never an image that silently lacks that phrase.
    if (RefuseUnreadableSourceSlot(mode, store, context.config().slot_captions,
                                   context.prompter())) {
        return kExitFailure;
    }
    const SlotList& slots = store.slots();
    if (!CanExportRomWriterData(mode, slots)) {
        std::fprintf(stderr, "%s\n", PhraseFileKindText(kPhraseNone).c_str());
        return kExitFailure;
    }
    const RomExportResult result =
        BuildRomWriterFile(ChoosePhraseFileKind(mode, slots), slots, context.config().work_folder,
                           AbsolutePath(context, parsed.positionals[1]), context.prompter());
    return result == RomExportResult::kWritten ? kExitSuccess : kExitFailure;
}

const CommandRegistration import_command({
    "import",
    "NAME SLOT FILE [--text TEXT]",
    "import a WAV file (up to 64 MiB of sample data) into slot 1-3 of property NAME (cut to the "
    "slot's maximum length; TEXT defaults to the slot's comment)",
    RunImport,
});

const CommandRegistration export_command({
    "export",
    "NAME OUT [--mode ab|continuous]",
    "save the phrase file of property NAME for the ROM writer as OUT (default mode: continuous)",
    RunExport,
});

}  // namespace
}  // namespace kotar::cli
