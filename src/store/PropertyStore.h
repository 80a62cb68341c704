// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/ProfileFile.h"
#include "common/Prompter.h"
#include "config/Configuration.h"
#include "store/DiskSpace.h"
#include "store/SlotRecord.h"
#include "store/SlotScan.h"

namespace kotar {

// Enable states of the main window's property buttons.
struct PropertyButtons {
    bool new_property = true;      // 1010
    bool delete_property = false;  // 1014
    bool search = false;           // 1053
    bool write_read = false;       // 1080
    bool rom_writer = false;       // 1072
};

enum class CreateOutcome {
    Created,           // listed and selected
    NameRefused,       // the name broke a rule; the refusal was shown
    QuotaRefused,      // the DISK rule: message 137
    FolderNotCreated,  // the folder could not be made: a message naming it; nothing listed
    CopyFailed,        // message 139; the half-made folder was removed, nothing listed
};

struct CreateResult {
    CreateOutcome outcome = CreateOutcome::NameRefused;
    // Created only: less than 500 MiB remained, so new-property stays disabled until the next
    // reload.
    bool new_property_disabled = false;
};

enum class DeleteOutcome {
    Deleted,   // the selection moved as documented at DeleteProperty
    Declined,  // the user did not answer Yes, or nothing was selected
    Failed,    // the contents could not be removed: message 119, the property stays
};

enum class SlotDeleteOutcome {
    Deleted,       // the WAV and phrase files are gone; the slot is empty
    Declined,      // the user answered No
    WavNotRemoved  // the WAV file could not be removed: a message, the slot is unchanged
};

// The folder of property `name` in work_folder as it is on disk ("TR_" in any letter case);
// work_folder/"TR_"+name when there is none.
std::filesystem::path PropertyFolderOnDisk(const std::filesystem::path& work_folder,
                                           const std::string& name);

// The properties of the work folder as the main window shows them: the sorted names, the
// current selection, the slot list of the current property with the state of every slot, and
// the enable states of the buttons. Every operation works with absolute paths (the process's
// current directory is never changed) and shows messages only through the prompter.
//
// A property named N is the folder <work folder>/TR_N; "TR_" matches in any letter case.
class PropertyStore {
public:
    PropertyStore(ProfileFile& ini, Prompter& prompter, FreeSpaceSource& space);

    // ReloadWorkFolder after the configuration was loaded: lists the properties of the work
    // folder, enables new-property again and selects entry 0 when there is one. Returns the
    // result of that selection (true also when there is nothing to select).
    bool Reload(const std::filesystem::path& work_folder);
    // Lists the properties of the work folder without selecting any (for callers that pick a
    // property by name); new-property is enabled again.
    void List(const std::filesystem::path& work_folder);

    const std::filesystem::path& work_folder() const { return work_folder_; }
    // Names in list order: letter case ignored (see PropertyNameLess).
    const std::vector<std::string>& names() const { return names_; }
    // Index of the current property in names(), -1 when none.
    int selection() const { return selection_; }
    bool has_selection() const { return selection_ >= 0; }
    // Name and folder of the current property (empty when none).
    std::string current_name() const;
    std::filesystem::path current_folder() const;
    std::filesystem::path PropertyFolder(const std::string& name) const;
    // Position of the property named exactly `name` in names(); -1 when not listed. A name
    // that differs only in letter case is another property (see CaseVariants): a command never
    // acts on it in place of the one named.
    int Find(const std::string& name) const;
    // The listed names that differ from `name` only in letter case.
    std::vector<std::string> CaseVariants(const std::string& name) const;

    // The slot list of the current property: three records after any selection (paths always
    // set); the phrase dialogs' results go in through SetSlotPhrase.
    const SlotList& slots() const { return slots_; }
    SlotList& slots() { return slots_; }
    const std::array<SlotView, kSlotCount>& slot_views() const { return slot_views_; }
    // False without a selection and while a slot file of the selection could not be read.
    bool all_slots_readable() const;
    PropertyButtons Buttons(bool ab_mode) const;
    bool new_property_disabled() const { return new_property_disabled_; }

    // SelectProperty: makes names()[index] current and scans its slots. False when the index
    // is out of range (nothing changes) or a slot file could not be read (after message 110;
    // the selection is made and the other slots are scanned all the same).
    bool Select(int index);
    // Lists the work folder afresh (another copy may have made or removed properties since it
    // was listed) and selects the property named exactly `name`; new-property keeps its state.
    // False when that property is not there any more: the current property then stays selected
    // when it is still listed (its slots as they were), else the first entry is selected.
    bool SelectAfresh(const std::string& name);

    // CreateProperty: checks the name against the properties on disk at this moment (not the
    // list loaded earlier; another copy may have made one since), the DISK rule (137), makes
    // the folder, copies everything of the property named exactly copy_from when given (139 on
    // failure, the new folder removed), lists the work folder afresh and selects the new
    // property, and checks the 500 MiB rule. The check and the folder's creation hold the work
    // folder's lock, and the folder is made only when nothing of its name exists, so that two
    // copies never make two folders whose names differ only in letter case.
    CreateResult Create(const std::string& name, const std::optional<std::string>& copy_from);

    // DeleteProperty: asks 118 (Yes/No, information icon, No default); removes the current
    // property's folder (119 when its contents cannot be removed). Afterwards the same
    // position is selected, or the previous one when the last entry went; none when the list
    // is empty.
    DeleteOutcome DeleteCurrent();

    // DeleteSlotPhrase: asks 108 (Yes/No, question icon); removes the slot's WAV file, its
    // phrase file ("01.snd" .. "03.snd") and for slots 1 and 2 also "04.snd". Missing files are
    // no error. slot_index 0 .. 2.
    SlotDeleteOutcome DeleteSlotPhrase(int slot_index);

    // A phrase dialog saved a phrase to the slot's file: the record takes the text, and the
    // slot shows as filled.
    void SetSlotPhrase(int slot_index, const std::string& attribute_text);

private:
    void ClearSelection();
    void ApplyScan(SlotScan scan);

    ProfileFile& ini_;
    Prompter& prompter_;
    FreeSpaceSource& space_;
    std::filesystem::path work_folder_;
    std::vector<std::string> names_;
    int selection_ = -1;
    SlotList slots_;
    std::array<SlotView, kSlotCount> slot_views_{};
    bool new_property_disabled_ = false;
};

// ListProperties: the names of the folders "TR_*" (prefix in any letter case) in the work
// folder, without the prefix, in list order. Files, empty names and unreadable folders are
// left out.
std::vector<std::string> ListProperties(const std::filesystem::path& work_folder);

}  // namespace kotar
