// SPDX-License-Identifier: GPL-3.0-or-later
// CWriteThread is the conversion step of a phrase file build: it turns a property's slots into
// mu-law WAV files, on the caller's thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/Prompter.h"
#include "common/ScratchFolder.h"
#include "common/Utf8Path.h"
#include "store/SlotRecord.h"

namespace kotar {

// The work folder's "TEMP" folder, where every build and play makes its scratch folder.
std::filesystem::path WorkTempFolder(const std::string& work_folder);

// Converts the phrase slots of a property into mu-law files "uLaw01.wav" to "uLaw03.wav" for the
// phrase file builder, in a scratch folder of its own under the work folder's "TEMP" folder, so
// that builds of other copies in the same work folder never touch them; the folder goes with
// the worker. A plain object that lives for one build, run on the caller's thread; it never
// changes the process's current directory.
class CWriteThread {
public:
    // The slot list is not owned and must outlive the worker. work_folder is absolute.
    CWriteThread(const SlotList& slots, std::string work_folder, Prompter& prompter);
    virtual ~CWriteThread() = default;

    // Creates TEMP when missing, removes the scratch folders that runs which died left in it
    // and makes this build's own scratch folder. 1 with the converted names set; 0 after
    // message 119 when the folder could not be made.
    int PrepareTemp();
    // Converts slot `index` (0 to 2) to mu-law and saves it under its converted name with the
    // slot's text. A slot without a phrase gives 1 and no file. 0 when the slot could not be
    // read or converted (its message has been shown) or the file could not be saved.
    int ConvertSlot(int index);
    // 1 with the converted name of slot `index`; 0 (path untouched) when there is none.
    int GetConvertedPath(int index, std::string& path) const;

    // This build's scratch folder (empty before PrepareTemp succeeded).
    std::string temp_folder() const {
        return scratch_ ? PathToUtf8(scratch_->path()) : std::string();
    }

private:
    const SlotList& slots_;
    std::string work_folder_;
    Prompter& prompter_;
    std::optional<ScratchFolder> scratch_;
    std::vector<std::string> converted_names_;
};

}  // namespace kotar
