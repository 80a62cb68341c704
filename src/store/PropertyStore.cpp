// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/PropertyStore.h"

#include <algorithm>
#include <system_error>

#include "common/FileLock.h"
#include "common/Messages.h"
#include "common/Utf8Path.h"
#include "store/PropertyName.h"
#include "store/ShellFileOperations.h"

namespace kotar {
namespace {

bool HasPropertyPrefix(const std::string& entry_name) {
    if (entry_name.size() < kPropertyFolderPrefix.size())
        return false;
    return PropertyNamesEqual(std::string_view(entry_name).substr(0, kPropertyFolderPrefix.size()),
                              kPropertyFolderPrefix);
}

// The phrase files that depend on a slot's WAV file: its own, and "04.snd" for slots 1 and 2.
std::vector<std::filesystem::path> SlotPhraseFiles(const std::filesystem::path& wav_path,
                                                   int slot_index) {
    std::filesystem::path own = wav_path;
    own.replace_extension(".snd");
    std::vector<std::filesystem::path> files{own};
    if (slot_index < 2)
        files.push_back(wav_path.parent_path() / "04.snd");
    return files;
}

}  // namespace

std::vector<std::string> ListProperties(const std::filesystem::path& work_folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(work_folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string entry = PathToUtf8(it->path().filename());
        std::error_code type_ec;
        if (!HasPropertyPrefix(entry) || !it->is_directory(type_ec))
            continue;
        std::string name = entry.substr(kPropertyFolderPrefix.size());
        if (!name.empty())
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return PropertyNameLess(a, b); });
    return names;
}

PropertyStore::PropertyStore(ProfileFile& ini, Prompter& prompter, FreeSpaceSource& space)
    : ini_(ini), prompter_(prompter), space_(space) {}

bool PropertyStore::Reload(const std::filesystem::path& work_folder) {
    List(work_folder);
    if (names_.empty())
        return true;
    return Select(0);
}

void PropertyStore::List(const std::filesystem::path& work_folder) {
    work_folder_ = work_folder;
    new_property_disabled_ = false;
    ClearSelection();
    names_ = ListProperties(work_folder_);
}

std::string PropertyStore::current_name() const {
    return has_selection() ? names_[static_cast<std::size_t>(selection_)] : std::string();
}

std::filesystem::path PropertyStore::current_folder() const {
    return has_selection() ? PropertyFolder(current_name()) : std::filesystem::path();
}

std::filesystem::path PropertyFolderOnDisk(const std::filesystem::path& work_folder,
                                           const std::string& name) {
    // The folder as it is on disk, whatever the letter case of its prefix: also where the file
    // system ignores letter case, so that the paths the user is shown are spelt as the folder.
    std::error_code ec;
    for (std::filesystem::directory_iterator it(work_folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string entry = PathToUtf8(it->path().filename());
        if (HasPropertyPrefix(entry) && entry.substr(kPropertyFolderPrefix.size()) == name) {
            return it->path();
        }
    }
    return work_folder / PathFromUtf8(std::string(kPropertyFolderPrefix) + name);
}

std::filesystem::path PropertyStore::PropertyFolder(const std::string& name) const {
    return PropertyFolderOnDisk(work_folder_, name);
}

int PropertyStore::Find(const std::string& name) const {
    const auto it = std::find(names_.begin(), names_.end(), name);
    return it == names_.end() ? -1 : static_cast<int>(it - names_.begin());
}

std::vector<std::string> PropertyStore::CaseVariants(const std::string& name) const {
    return CaseVariantsOf(names_, name);
}

PropertyButtons PropertyStore::Buttons(bool ab_mode) const {
    PropertyButtons buttons;
    buttons.new_property = !new_property_disabled_;
    buttons.delete_property = buttons.search = buttons.write_read = !names_.empty();
    buttons.rom_writer = has_selection() && RomButtonEnabled(slots_, ab_mode);
    return buttons;
}

void PropertyStore::ClearSelection() {
    selection_ = -1;
    slots_.clear();
    slot_views_ = {};
}

void PropertyStore::ApplyScan(SlotScan scan) {
    slots_ = std::move(scan.slots);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        slot_views_[slot] = MakeSlotView(scan.states[slot], slots_[slot]);
    }
}

bool PropertyStore::Select(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= names_.size())
        return false;
    selection_ = index;
    ApplyScan(ScanSlots(current_folder(), prompter_));
    return all_slots_readable();
}

bool PropertyStore::SelectAfresh(const std::string& name) {
    const std::string current = current_name();
    names_ = ListProperties(work_folder_);
    if (const int position = Find(name); position >= 0) {
        Select(position);
        return true;
    }
    const int kept = current.empty() ? -1 : Find(current);
    if (kept >= 0) {
        selection_ = kept;
        return false;
    }
    ClearSelection();
    if (!names_.empty())
        Select(0);
    return false;
}

bool PropertyStore::all_slots_readable() const {
    return has_selection() && std::ranges::none_of(slot_views_, [](const SlotView& view) {
               return view.state == SlotState::Unreadable;
           });
}

CreateResult PropertyStore::Create(const std::string& name,
                                   const std::optional<std::string>& copy_from) {
    CreateResult result;
    std::optional<FileLock> work_folder_lock = FileLock::Acquire(work_folder_);
    std::vector<std::string> on_disk = ListProperties(work_folder_);
    PropertyNameCheck check = CheckNewPropertyName(on_disk, name);
    if (check != PropertyNameCheck::Ok) {
        ShowPropertyNameRefusal(check, prompter_);
        result.outcome = CreateOutcome::NameRefused;
        return result;
    }
    std::optional<std::filesystem::path> source;
    if (copy_from) {
        if (std::find(on_disk.begin(), on_disk.end(), *copy_from) == on_disk.end()) {
            const std::vector<std::string> variants = CaseVariantsOf(on_disk, *copy_from);
            prompter_.ShowText(
                "コピー元の物件が見つかりません。\n" + *copy_from +
                    (variants.empty() ? std::string()
                                      : "\n大文字・小文字だけが異なる物件：" + JoinNames(variants)),
                "", MessageIcon::Error);
            result.outcome = CreateOutcome::NameRefused;
            return result;
        }
        source = PropertyFolder(*copy_from);
    }
    if (!CheckDiskQuota(work_folder_, ini_, space_)) {
        prompter_.ShowMessage(kMsgDiskQuota, MessageIcon::Error);
        result.outcome = CreateOutcome::QuotaRefused;
        return result;
    }

    std::filesystem::path folder =
        work_folder_ / PathFromUtf8(std::string(kPropertyFolderPrefix) + name);
    std::error_code ec;
    if (!std::filesystem::create_directory(folder, ec)) {
        // Also when something of that name is already there: it is not ours to take over.
        prompter_.ShowText("物件のフォルダを作成できませんでした。\n" + PathToUtf8(folder), "",
                           MessageIcon::Exclamation);
        result.outcome = CreateOutcome::FolderNotCreated;
        return result;
    }
    work_folder_lock.reset();  // the folder is there for every later check to see
    if (source && !ShellCopy(*source, folder)) {
        prompter_.ShowMessage(kMsgCopyFailed, MessageIcon::Exclamation);
        ShellDelete(folder);
        result.outcome = CreateOutcome::CopyFailed;
        return result;
    }

    names_ = std::move(on_disk);
    names_.push_back(name);
    std::sort(names_.begin(), names_.end(),
              [](const std::string& a, const std::string& b) { return PropertyNameLess(a, b); });
    int position = Find(name);
    if (!HasFreeSpace(work_folder_, kNewPropertyMinFreeBytes, space_)) {
        new_property_disabled_ = true;
    }
    result.outcome = CreateOutcome::Created;
    result.new_property_disabled = new_property_disabled_;
    Select(position);
    return result;
}

DeleteOutcome PropertyStore::DeleteCurrent() {
    if (!has_selection())
        return DeleteOutcome::Declined;
    if (prompter_.ShowMessage(kMsgConfirmDeleteProperty, MessageIcon::Information,
                              MessageButtons::YesNo, MessageAnswer::No) != MessageAnswer::Yes) {
        return DeleteOutcome::Declined;
    }
    std::filesystem::path folder = current_folder();
    if (!ShellDeleteContents(folder)) {
        prompter_.ShowMessage(kMsgDeletePropertyFailed, MessageIcon::Exclamation);
        return DeleteOutcome::Failed;
    }
    std::error_code ec;
    std::filesystem::remove(folder, ec);  // empty now; its result does not matter

    int position = selection_;
    names_.erase(names_.begin() + position);
    ClearSelection();
    if (!names_.empty()) {
        Select(std::min(position, static_cast<int>(names_.size()) - 1));
    }
    return DeleteOutcome::Deleted;
}

SlotDeleteOutcome PropertyStore::DeleteSlotPhrase(int slot_index) {
    if (!has_selection() || slot_index < 0 || slot_index >= kSlotCount ||
        static_cast<std::size_t>(slot_index) >= slots_.size()) {
        return SlotDeleteOutcome::Declined;
    }
    if (prompter_.ShowMessage(kMsgConfirmDeletePhrase, MessageIcon::Question, MessageButtons::YesNo,
                              MessageAnswer::Yes) != MessageAnswer::Yes) {
        return SlotDeleteOutcome::Declined;
    }
    SlotRecord& record = slots_[static_cast<std::size_t>(slot_index)];
    std::filesystem::path wav = PathFromUtf8(record.wav_path);
    std::error_code ec;
    std::filesystem::remove(wav, ec);
    if (ec) {
        // Showing the slot as empty while its phrase is still there would be a lie.
        prompter_.ShowText("音声ファイルを削除できませんでした。\n" + PathToUtf8(wav), "",
                           MessageIcon::Exclamation);
        return SlotDeleteOutcome::WavNotRemoved;
    }
    for (const auto& file : SlotPhraseFiles(wav, slot_index)) {
        std::filesystem::remove(file, ec);  // a stale phrase file is rebuilt before any write
    }
    record.attribute_text.clear();
    slot_views_[static_cast<std::size_t>(slot_index)] = MakeSlotView(SlotState::Empty, record);
    return SlotDeleteOutcome::Deleted;
}

void PropertyStore::SetSlotPhrase(int slot_index, const std::string& attribute_text) {
    if (slot_index < 0 || static_cast<std::size_t>(slot_index) >= slots_.size())
        return;
    SlotRecord& record = slots_[static_cast<std::size_t>(slot_index)];
    record.attribute_text = attribute_text;
    slot_views_[static_cast<std::size_t>(slot_index)] = MakeSlotView(SlotState::Filled, record);
}

}  // namespace kotar
