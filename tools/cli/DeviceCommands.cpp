// SPDX-License-Identifier: GPL-3.0-or-later
// Device commands of kotar-cli: phrase write and read, program write, data read, port list.
#include <cstdio>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "CliProperties.h"
#include "StopSignal.h"
#include "common/Messages.h"
#include "common/Utf8Path.h"
#include "export/PhraseFileBuild.h"
#include "export/PhraseFileKind.h"
#include "export/SourceSlotCheck.h"
#include "link/PortList.h"
#include "link/SerialCom.h"
#include "ops/MaintenanceTransfer.h"
#include "ops/PhraseTransfer.h"
#include "ops/ProgramFile.h"
#include "store/DiskSpace.h"
#include "store/PropertyStore.h"

namespace kotar::cli {
namespace {

// Prints status texts as lines on stderr and, when stderr is a terminal, a progress bar.
class StderrTransferSink : public TransferSink {
public:
    explicit StderrTransferSink(bool draw_progress) : draw_progress_(draw_progress) {}
    ~StderrTransferSink() override { EndBar(); }

    void SetStatus(const std::string& text) override {
        EndBar();
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
    }
    void SetProgressRange(int maximum) override { maximum_ = maximum > 0 ? maximum : 1; }
    void SetProgress(int position) override {
        if (!draw_progress_)
            return;
        constexpr int kWidth = 40;
        const int filled = position * kWidth / maximum_;
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.append(static_cast<std::size_t>(kWidth - filled), '.');
        std::fprintf(stderr, "\r[%s] %d/%d", bar.c_str(), position, maximum_);
        std::fflush(stderr);
        bar_shown_ = true;
    }

private:
    void EndBar() {
        if (!bar_shown_)
            return;
        std::fprintf(stderr, "\n");
        bar_shown_ = false;
    }

    bool draw_progress_;
    int maximum_ = 1;
    bool bar_shown_ = false;
};

// The environment of a device command; from here on SIGINT and SIGTERM stop its transfer.
LinkEnvironment EnvironmentFor(CliContext& context) {
    // MEVAN.INI is loaded and corrected as the desktop program does at start.
    context.config();
    LinkEnvironment environment;
    environment.ini = &context.ini();
    InstallStopSignals();
    environment.stop_requested = [] { return StopSignalled(); };
    return environment;
}

// Builds the property's phrase file as the write/read dialog does and writes it.
int WriteProperty(CliContext& context, const std::string& name, PhrasePanelMode mode, bool verify) {
    CliProperties properties(context);
    if (!properties.Select(name))
        return kExitFailure;
    PropertyStore& store = properties.store();
    if (RefuseUnreadableSourceSlot(mode, store, context.config().slot_captions,
                                   context.prompter())) {
        return kExitFailure;
    }
    const std::filesystem::path work = store.work_folder();
    const PhraseFileKind kind = ChoosePhraseFileKind(mode, store.slots());
    if (kind == kPhraseNone) {
        std::fprintf(stderr, "%s\n", PhraseFileKindText(kind).c_str());
        return kExitFailure;
    }
    const std::filesystem::path destination = store.current_folder() / PhraseFileName(kind);
    switch (BuildPhraseFile(kind, store.slots(), work.string(), destination.string(),
                            context.prompter())) {
        case PhraseBuildResult::kWritten:
            break;
        case PhraseBuildResult::kWriteFailed:
            context.prompter().ShowMessage(kMsgFileWriteFailed, MessageIcon::Exclamation);
            return kExitFailure;
        case PhraseBuildResult::kNotBuilt:
            // Its message has been shown; an older file of that name is never written instead.
            return kExitFailure;
    }
    const LinkEnvironment environment = EnvironmentFor(context);
    StderrTransferSink sink(context.progress_on_terminal());
    return WritePhraseFile(destination, context.port(), environment, sink, verify) ==
                   PhraseWriteOutcome::kWritten
               ? kExitSuccess
               : kExitFailure;
}

int WriteCommand(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArguments parsed = ParseArguments(args, {"file", "mode"}, {"verify"});
    const bool verify = parsed.Has("verify");
    if (const auto file = parsed.Option("file")) {
        if (!parsed.positionals.empty() || parsed.Has("mode"))
            throw UsageError{"--file takes no property name and no --mode"};
        const LinkEnvironment environment = EnvironmentFor(context);
        StderrTransferSink sink(context.progress_on_terminal());
        return WritePhraseFile(PathFromUtf8(*file), context.port(), environment, sink, verify) ==
                       PhraseWriteOutcome::kWritten
                   ? kExitSuccess
                   : kExitFailure;
    }
    if (parsed.positionals.size() != 1)
        throw UsageError{"needs one property NAME or --file F"};
    return WriteProperty(context, parsed.positionals[0], ParseModeOption(parsed), verify);
}

int ReadCommand(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArguments parsed = ParseArguments(args, {});
    if (parsed.positionals.size() != 1)
        throw UsageError{"give one output file"};
    const LinkEnvironment environment = EnvironmentFor(context);
    StderrTransferSink sink(context.progress_on_terminal());
    return ReadPhrasesToFile(PathFromUtf8(parsed.positionals[0]), context.port(), environment, sink)
               ? kExitSuccess
               : kExitFailure;
}

void PrintFields(const char* what, const ProgramSelection& selection) {
    std::fprintf(stderr, "%s: 装置名 %s  Ver %s  作成日 %s\n", what,
                 selection.fields.device_name.c_str(), selection.fields.version.c_str(),
                 selection.fields.date.c_str());
}

int ProgramCommand(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArguments parsed = ParseArguments(args, {});
    if (parsed.positionals.size() != 2)
        throw UsageError{"give APP.bin and UPD.bin"};
    const LinkEnvironment environment = EnvironmentFor(context);
    ProgramSelection application;
    application.Clear(kApplicationImageBytes);
    ProgramSelection update;
    update.Clear(kUpdateFileBytes);
    if (!SelectApplicationFile(PathFromUtf8(parsed.positionals[0]), &application,
                               context.prompter())) {
        return kExitFailure;
    }
    PrintFields("アプリケーションファイル", application);
    if (!SelectUpdateFile(PathFromUtf8(parsed.positionals[1]), &update, context.prompter())) {
        return kExitFailure;
    }
    PrintFields("更新用プログラム", update);
    StderrTransferSink sink(context.progress_on_terminal());
    return WriteProgram(application, update, context.port(), environment, sink) ? kExitSuccess
                                                                                : kExitFailure;
}

int DataReadCommand(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArguments parsed = ParseArguments(args, {});
    if (parsed.positionals.size() != 1)
        throw UsageError{"give one output file"};
    const LinkEnvironment environment = EnvironmentFor(context);
    StderrTransferSink sink(context.progress_on_terminal());
    return ReadDataToFile(PathFromUtf8(parsed.positionals[0]), context.port(), environment, sink)
               ? kExitSuccess
               : kExitFailure;
}

int PortsCommand(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArguments parsed = ParseArguments(args, {});
    if (!parsed.positionals.empty())
        throw UsageError{"takes no arguments"};
    for (const PortEntry& port : ListPorts(&context.ini())) {
        std::printf("COM%d\t%s\t%s\n", port.number, port.friendly_name.c_str(),
                    port.device_path.c_str());
    }
    return kExitSuccess;
}

const CommandRegistration kWrite{
    {"write", "NAME [--mode ab|continuous] [--verify] | --file F [--verify]",
     "write the variable phrases: the phrase file built from property NAME's slots (mode "
     "continuous by default: slot 3; ab: slots 1 and 2), or the phrase file F (131072 bytes); "
     "--verify then reads the area back and compares it byte for byte (a mismatch fails)",
     WriteCommand}};
const CommandRegistration kRead{
    {"read", "OUT", "read the device's variable phrases into OUT (131072 bytes)", ReadCommand}};
const CommandRegistration kProgram{
    {"program", "APP.bin UPD.bin",
     "maintenance: check and write the application and update program files", ProgramCommand}};
const CommandRegistration kDataRead{{"data-read", "OUT",
                                     "maintenance: read the device's 64 KiB data area into OUT",
                                     DataReadCommand}};
const CommandRegistration kPorts{
    {"ports", "", "list the serial ports: COMn, a tab, the friendly name, a tab, the device",
     PortsCommand}};

}  // namespace
}  // namespace kotar::cli
