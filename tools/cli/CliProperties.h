// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "CliCommand.h"
#include "export/PhraseFileKind.h"
#include "store/DiskSpace.h"
#include "store/PropertyStore.h"

namespace kotar::cli {

// The property store of one command run, listed from the work folder of the run.
class CliProperties {
public:
    explicit CliProperties(CliContext& context);

    // Lists the work folder; false after a message when it cannot be entered.
    bool List();
    // Lists and selects the property named exactly `name`; false after a message when the work
    // folder or the property is missing, also when only names that differ in letter case exist
    // (the message names them). An unreadable slot file has been reported
    // through the prompter then, and store().all_slots_readable() is false.
    bool Select(const std::string& name);

    PropertyStore& store() { return store_; }

private:
    CliContext& context_;
    FilesystemSpaceSource space_;
    PropertyStore store_;
};

// "--mode ab|continuous" (default continuous); anything else is a usage error.
PhrasePanelMode ParseModeOption(const ParsedArguments& parsed);

// A slot number given as "1", "2" or "3"; anything else is a usage error.
int ParseSlotNumber(const std::string& text);

// The notice on stderr when a phrase was cut to its slot's maximum length with message 133.
void PrintSlotCutNotice(double max_seconds);

// A path given relative to the start directory, made absolute.
std::string AbsolutePath(CliContext& context, const std::string& path);

}  // namespace kotar::cli
