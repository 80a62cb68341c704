// SPDX-License-Identifier: GPL-3.0-or-later
// kotar-cli commands of the property store: properties, property-names, new, delete,
// delete-phrase.
#include <cstdio>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "CliProperties.h"
#include "common/ProcessFolders.h"
#include "common/Utf8Path.h"

namespace kotar::cli {
namespace {

int RunProperties(CliContext& context, const std::vector<std::string>& args) {
    ParsedArguments parsed = ParseArguments(args, {});
    if (!parsed.positionals.empty())
        throw UsageError{"takes no arguments"};
    CliProperties properties(context);
    if (!properties.List())
        return kExitFailure;
    PropertyStore& store = properties.store();
    bool all_read = true;
    for (int i = 0; i < static_cast<int>(store.names().size()); ++i) {
        all_read = store.Select(i) && all_read;
        std::string line = store.current_name() + "\t";
        for (int slot = 0; slot < kSlotCount; ++slot) {
            if (slot > 0)
                line += ' ';
            line += store.slots()[static_cast<std::size_t>(slot)].HoldsPhrase() ? '1' : '0';
        }
        std::printf("%s\n", line.c_str());
    }
    return all_read ? kExitSuccess : kExitFailure;
}

// For the shell completion, which runs on every Tab in whatever folder the shell is in: the
// configuration is only read, so that no MEVAN.INI is made or corrected there and message 148
// is never shown.
int RunPropertyNames(CliContext& context, const std::vector<std::string>& args) {
    ParsedArguments parsed = ParseArguments(args, {});
    if (!parsed.positionals.empty())
        throw UsageError{"takes no arguments"};
    const std::filesystem::path work = context.PeekWorkFolder();
    if (!CanEnterFolder(work)) {
        std::fprintf(stderr, "kotar-cli: work folder not found: %s\n", PathToUtf8(work).c_str());
        return kExitFailure;
    }
    for (const std::string& name : ListProperties(work)) {
        // A name with a line break (a folder made by other means) cannot be one line.
        if (!ProfileFile::HasLineBreak(name))
            std::printf("%s\n", name.c_str());
    }
    return kExitSuccess;
}

int RunNew(CliContext& context, const std::vector<std::string>& args) {
    ParsedArguments parsed = ParseArguments(args, {"copy-from"});
    if (parsed.positionals.size() != 1)
        throw UsageError{"needs exactly one NAME"};
    CliProperties properties(context);
    if (!properties.List())
        return kExitFailure;
    CreateResult result =
        properties.store().Create(parsed.positionals[0], parsed.Option("copy-from"));
    return result.outcome == CreateOutcome::Created ? kExitSuccess : kExitFailure;
}

// A deletion is confirmed beforehand with --yes, or asked on the terminal; with neither, the
// command refuses before it touches anything.
void PrepareConfirmation(CliContext& context, const ParsedArguments& parsed) {
    if (parsed.Has("yes")) {
        context.prompter().AnswerYesToQuestions();
        return;
    }
    if (!context.input_on_terminal())
        throw UsageError{"stdin is no terminal to confirm on: give --yes to delete without asking"};
}

int RunDelete(CliContext& context, const std::vector<std::string>& args) {
    ParsedArguments parsed = ParseArguments(args, {}, {"yes"});
    if (parsed.positionals.size() != 1)
        throw UsageError{"needs exactly one NAME"};
    PrepareConfirmation(context, parsed);
    CliProperties properties(context);
    if (!properties.Select(parsed.positionals[0]))
        return kExitFailure;
    PropertyStore& store = properties.store();
    return store.DeleteCurrent() == DeleteOutcome::Deleted ? kExitSuccess : kExitFailure;
}

int RunDeletePhrase(CliContext& context, const std::vector<std::string>& args) {
    ParsedArguments parsed = ParseArguments(args, {}, {"yes"});
    if (parsed.positionals.size() != 2)
        throw UsageError{"needs NAME and SLOT"};
    const std::string& slot_text = parsed.positionals[1];
    if (slot_text.size() != 1 || slot_text[0] < '1' || slot_text[0] > '3') {
        throw UsageError{"SLOT is 1, 2 or 3"};
    }
    PrepareConfirmation(context, parsed);
    CliProperties properties(context);
    if (!properties.Select(parsed.positionals[0]))
        return kExitFailure;
    PropertyStore& store = properties.store();
    return store.DeleteSlotPhrase(slot_text[0] - '1') == SlotDeleteOutcome::Deleted ? kExitSuccess
                                                                                    : kExitFailure;
}

const CommandRegistration kProperties{{"properties", "",
                                       "list the properties: name, a tab, the slot flags "
                                       "(1 phrase, 0 none) of slots 1 2 3",
                                       RunProperties}};
const CommandRegistration kPropertyNames{
    {"property-names", "",
     "list the property names alone, one a line, for the shell completion: MEVAN.INI is\n"
     "      only read (never made or corrected) and nothing is asked",
     RunPropertyNames}};
const CommandRegistration kNew{{"new", "NAME [--copy-from OTHER]",
                                "create a property, empty or with a copy of OTHER's files",
                                RunNew}};
const CommandRegistration kDelete{
    {"delete", "NAME [--yes]",
     "delete a property and all its files: asks \"本物件を削除しますか？\" on the terminal\n"
     "      and deletes on y (yes, はい); --yes deletes without asking, and is needed when\n"
     "      stdin is no terminal (else a usage error)",
     RunDelete}};
const CommandRegistration kDeletePhrase{
    {"delete-phrase", "NAME SLOT [--yes]",
     "delete the phrase of slot 1, 2 or 3 with its phrase files (and 04.snd for slots 1, 2):\n"
     "      asks \"音声情報を削除してもよろしいですか？\" as delete asks, or not with --yes",
     RunDeletePhrase}};

}  // namespace
}  // namespace kotar::cli
