// kotar-cli commands that make phrases and phrase files: import, export.
#include <cstdio>
#include <filesystem>
#include <string>

#include "CliCommand.h"
#include "audio/ImportChain.h"
#include "audio/LengthLimit.h"
#include "audio/SoundCtrl.h"
#include "audio/WaveFile.h"
#include "common/Cp932.h"
#include "common/Messages.h"
#include "export/PhraseFileKind.h"
#include "export/RomWriterExport.h"
#include "store/DiskSpace.h"
#include "store/PropertyStore.h"
#include "store/SlotScan.h"

namespace kotar::cli {
namespace {

namespace fs = std::filesystem;

// Paths given relative to the start directory become absolute.
std::string Absolute(CliContext& context, const std::string& path) {
    return (context.start_directory() / path).lexically_normal().string();
}

// Selects the property of that name (letter case ignored) in a freshly listed store; false
// after a message when the work folder or the property is missing.
bool SelectProperty(CliContext& context, PropertyStore& store, const std::string& command,
                    const std::string& name) {
    const fs::path work = context.config().work_folder;
    if (!CanEnterFolder(work)) {
        std::fprintf(stderr, "kotar-cli %s: work folder not found: %s\n", command.c_str(),
                     work.c_str());
        return false;
    }
    store.List(work);
    const int index = store.Find(name);
    if (index < 0) {
        std::fprintf(stderr, "kotar-cli %s: no property named '%s' in %s\n", command.c_str(),
                     name.c_str(), work.c_str());
        return false;
    }
    store.Select(index);  // an unreadable slot file has been reported; see scan_complete()
    return true;
}

int RunImport(CliContext& context, const std::vector<std::string>& args) {
    ParsedArguments parsed = ParseArguments(args, {"text"});
    if (parsed.positionals.size() != 3)
        throw UsageError{"expected NAME SLOT FILE"};
    const std::string& name = parsed.positionals[0];
    const std::string& slot_text = parsed.positionals[1];
    if (slot_text != "1" && slot_text != "2" && slot_text != "3") {
        throw UsageError{"SLOT must be 1, 2 or 3"};
    }
    const int slot = slot_text[0] - '0';
    const Configuration& config = context.config();
    std::string text = parsed.Option("text").value_or(config.slot_comments[slot - 1]);
    text = TruncateToCp932Bytes(text, kSlotCommentMaxBytes);
    if (text.empty()) {
        throw UsageError{"the phrase text is empty (a slot without text holds no phrase)"};
    }
    FilesystemSpaceSource space;
    PropertyStore store(context.ini(), context.prompter(), space);
    if (!SelectProperty(context, store, "import", name))
        return kExitFailure;

    auto converted = RunImportChain(Absolute(context, parsed.positionals[2]), context.prompter());
    CSoundCtrl sound(converted->target());
    converted.reset();
    const double max_seconds = config.slot_max_seconds[slot - 1];
    const int over = CheckLength(sound, max_seconds);
    if (over != 0) {
        TruncateToSeconds(sound, max_seconds);
        if (over == 2) {
            std::fprintf(stderr, "録音サイズが長すぎます。%0.3f秒以降を削除しました。\n",
                         max_seconds);
        }
    }
    if (!sound.Save(SlotWavPath(store.current_folder(), slot - 1).string(), text)) {
        context.prompter().ShowMessage(kMsgFileWriteFailed, MessageIcon::Exclamation);
        return kExitFailure;
    }
    return kExitSuccess;
}

int RunExport(CliContext& context, const std::vector<std::string>& args) {
    ParsedArguments parsed = ParseArguments(args, {"mode"});
    if (parsed.positionals.size() != 2)
        throw UsageError{"expected NAME OUT"};
    const std::string mode_text = parsed.Option("mode").value_or("continuous");
    PhrasePanelMode mode;
    if (mode_text == "ab") {
        mode = PhrasePanelMode::kAB;
    } else if (mode_text == "continuous") {
        mode = PhrasePanelMode::kContinuous;
    } else {
        throw UsageError{"--mode must be ab or continuous"};
    }
    const std::string& name = parsed.positionals[0];
    FilesystemSpaceSource space;
    PropertyStore store(context.ini(), context.prompter(), space);
    if (!SelectProperty(context, store, "export", name))
        return kExitFailure;
    // A slot file that could not be read (message 110 shown) leaves nothing to export, as the
    // main window keeps its ROM-writer button disabled then.
    if (!store.scan_complete())
        return kExitFailure;
    const SlotList& slots = store.slots();
    if (!CanExportRomWriterData(mode, slots)) {
        std::fprintf(stderr, "%s\n", PhraseFileKindText(kPhraseNone).c_str());
        return kExitFailure;
    }
    const RomExportResult result =
        BuildRomWriterFile(ChoosePhraseFileKind(mode, slots), slots, context.config().work_folder,
                           Absolute(context, parsed.positionals[1]), context.prompter());
    return result == RomExportResult::kWritten ? kExitSuccess : kExitFailure;
}

const CommandRegistration import_command({
    "import",
    "NAME SLOT FILE [--text TEXT]",
    "import a WAV file into slot 1-3 of property NAME (cut to the slot's maximum length; TEXT "
    "defaults to the slot's comment)",
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
