// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ScratchFolder.h"

#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/Utf8Path.h"

namespace kotar {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kPrefix = "kotar-";
constexpr std::size_t kRandomCharacters = 6;
constexpr const char* kOwnerFile = ".owner";
constexpr int kCreateAttempts = 100;

bool IsScratchName(const fs::path& path) {
    const std::string name = PathToUtf8(path.filename());
    return name.size() == kPrefix.size() + kRandomCharacters && name.starts_with(kPrefix);
}

// A folder itself, not a link to one: the clean-up never follows a link.
bool IsRealFolder(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::directory;
}

std::string RandomName() {
    static constexpr std::string_view kCharacters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kCharacters.size() - 1);
    std::string name(kPrefix);
    for (std::size_t i = 0; i < kRandomCharacters; ++i)
        name += kCharacters[pick(generator)];
    return name;
}

// Removes a folder whose owner lock is held: its contents first, then the owner file while the
// lock still keeps others out of it, then the folder once the lock is given up. A system that
// keeps an open file's name until it is closed (Windows) could not remove the folder earlier;
// a live run's folder always holds its owner file, so the last step never takes one.
bool RemoveOwnedFolder(const fs::path& folder, std::optional<FileLock>& owner) {
    std::vector<fs::path> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename() != kOwnerFile)
            entries.push_back(it->path());
    }
    for (const fs::path& entry : entries)
        fs::remove_all(entry, ec);
    fs::remove(folder / kOwnerFile, ec);
    owner.reset();
    return fs::remove(folder, ec) && !ec;
}

}  // namespace

std::optional<ScratchFolder> ScratchFolder::Create(const fs::path& parent) {
    std::error_code ec;
    fs::create_directory(parent, ec);  // one level, as the work folder itself must exist
    RemoveAbandoned(parent);
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const fs::path folder = parent / RandomName();
        if (!fs::create_directory(folder, ec)) {
            if (ec)
                return std::nullopt;
            continue;  // the name is taken: draw another, as mkdtemp does
        }
        // Between the folder and its owner lock, another copy's clean-up may take the folder
        // for an abandoned one: it then holds the owner lock or has removed the folder, and
        // this attempt leaves the folder to it.
        const fs::path owner_path = folder / kOwnerFile;
        std::optional<FileLock> owner = FileLock::TryAcquire(owner_path, LockOwner::User);
        if (owner && owner->StillAt(owner_path))
            return ScratchFolder(folder, std::move(*owner));
    }
    return std::nullopt;
}

int ScratchFolder::RemoveAbandoned(const fs::path& parent) {
    std::vector<fs::path> candidates;
    std::error_code ec;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        if (IsScratchName(it->path()) && IsRealFolder(it->path()))
            candidates.push_back(it->path());
    }
    int removed = 0;
    for (const fs::path& folder : candidates) {
        // Held by a live run, the lock is refused; a run that died has dropped it. Another
        // user's folder is left to that user.
        std::optional<FileLock> owner = FileLock::TryAcquire(folder / kOwnerFile, LockOwner::User);
        // Looked at again with the lock held: a link put in the folder's place meanwhile would
        // lead the removal into another folder.
        if (owner && IsRealFolder(folder) && RemoveOwnedFolder(folder, owner))
            ++removed;
    }
    return removed;
}

ScratchFolder::ScratchFolder(ScratchFolder&& other) noexcept
    : path_(std::move(other.path_)), owner_(std::move(other.owner_)) {
    other.path_.clear();
    other.owner_.reset();
}

ScratchFolder& ScratchFolder::operator=(ScratchFolder&& other) noexcept {
    if (this != &other) {
        Remove();
        path_ = std::move(other.path_);
        owner_ = std::move(other.owner_);
        other.path_.clear();
        other.owner_.reset();
    }
    return *this;
}

ScratchFolder::~ScratchFolder() {
    Remove();
}

void ScratchFolder::Remove() {
    if (!path_.empty())
        RemoveOwnedFolder(path_, owner_);  // the lock is still ours, so no clean-up races this
    owner_.reset();
    path_.clear();
}

}  // namespace kotar
