#include "audio/SoundCtrl.h"

#include <algorithm>
#include <cstring>

namespace kotar {

void CSoundCtrl::DeleteRange(std::uint32_t start, std::uint32_t end) {
    if (data_ == nullptr)
        return;
    start &= ~1u;
    end &= ~1u;
    const std::uint32_t length = std::min(length_, capacity_);
    end = std::min(end, length);
    // A reversed or out-of-range start deletes nothing rather than running past the sound.
    start = std::min(start, end);
    const std::uint32_t removed = end - start;
    std::memmove(data_ + start, data_ + end, length - end);
    const std::uint32_t remaining = length - removed;
    std::memset(data_ + remaining, SilenceByte(), capacity_ - remaining);
    length_ = std::min(RoundUpToBlock(format_.channels, format_.samples_per_sec,
                                      format_.bits_per_sample, remaining),
                       capacity_);
}

std::uint32_t CSoundCtrl::TruncateAt(std::uint32_t new_length) {
    new_length = std::min(new_length, capacity_);
    if (data_ != nullptr) {
        std::memset(data_ + new_length, SilenceByte(), capacity_ - new_length);
    }
    length_ = new_length;
    return new_length;
}

int CSoundCtrl::FillSilenceFrom(std::uint32_t offset) {
    if (data_ == nullptr)
        return 0;
    offset = std::min(offset, capacity_);
    std::memset(data_ + offset, SilenceByte(), capacity_ - offset);
    return 1;
}

int CSoundCtrl::ClearAll() {
    if (data_ == nullptr)
        return 0;
    std::memset(data_, SilenceByte(), capacity_);
    return 1;
}

}  // namespace kotar
