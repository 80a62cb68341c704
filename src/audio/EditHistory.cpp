// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/EditHistory.h"

#include <algorithm>
#include <cstring>

#include "audio/PhraseLevelOps.h"

namespace kotar {
namespace {

std::vector<std::uint8_t> Bytes(const CWaveFile& phrase, std::uint32_t from, std::uint32_t to) {
    return std::vector<std::uint8_t>(phrase.data() + from, phrase.data() + to);
}

}  // namespace

std::uint32_t EditHistory::Length() const {
    return std::min(phrase_.length(), phrase_.capacity());
}

bool EditHistory::DeleteRange(std::uint32_t start, std::uint32_t end) {
    if (phrase_.data() == nullptr)
        return false;
    // The range as the cut takes it: even offsets, within the sound.
    Record record;
    record.old_length = Length();
    record.end = std::min(end & ~1u, record.old_length);
    record.start = std::min(start & ~1u, record.end);
    record.first = Bytes(phrase_, record.start, record.end);
    phrase_.DeleteRange(start, end);
    // Even an empty cut rounds the length up, which is a change.
    if (record.first.empty() && Length() == record.old_length)
        return false;
    Push(std::move(record));
    return true;
}

bool EditHistory::EvenLoudness(double target_lufs) {
    const GainChoice choice = EvenLoudnessGain(MeasureLevels(phrase_), target_lufs);
    if (phrase_.data() == nullptr || choice.gain == 1.0)
        return false;
    Record record;
    record.kind = Kind::kGain;
    record.old_length = Length();
    record.gain = choice.gain;
    record.first = Bytes(phrase_, 0, record.old_length);
    if (!ApplyGain(phrase_, choice.gain))
        return false;
    Push(std::move(record));
    return true;
}

bool EditHistory::TrimSilence() {
    if (phrase_.data() == nullptr)
        return false;
    const SoundSpan span = TrimmedSpan(phrase_);
    Record record;
    record.kind = Kind::kTrim;
    record.start = span.start;
    record.end = span.end;
    record.old_length = Length();
    record.first = Bytes(phrase_, 0, span.start);
    record.second = Bytes(phrase_, span.end, record.old_length);
    if (!KeepSpan(phrase_, span))
        return false;
    Push(std::move(record));
    return true;
}

void EditHistory::Push(Record record) {
    undo_.push_back(std::move(record));
    redo_.clear();
}

bool EditHistory::Undo() {
    if (undo_.empty())
        return false;
    Restore(undo_.back());
    MoveLast(undo_, redo_);
    return true;
}

bool EditHistory::Redo() {
    if (redo_.empty())
        return false;
    Repeat(redo_.back());
    MoveLast(redo_, undo_);
    return true;
}

void EditHistory::MoveLast(std::vector<Record>& from, std::vector<Record>& to) {
    to.push_back(std::move(from.back()));
    from.pop_back();
}

void EditHistory::Clear() {
    undo_.clear();
    redo_.clear();
}

std::size_t EditHistory::stored_bytes() const {
    std::size_t total = 0;
    for (const auto* records : {&undo_, &redo_})
        for (const Record& r : *records)
            total += r.first.size() + r.second.size();
    return total;
}

void EditHistory::Restore(const Record& r) {
    std::uint8_t* data = phrase_.data();
    switch (r.kind) {
        case Kind::kCut:
            // What followed the cut moves back up behind the removed bytes.
            std::memmove(data + r.end, data + r.start, r.old_length - r.end);
            std::memcpy(data + r.start, r.first.data(), r.first.size());
            break;
        case Kind::kTrim:
            std::memmove(data + r.start, data, r.end - r.start);
            std::memcpy(data, r.first.data(), r.first.size());
            std::memcpy(data + r.end, r.second.data(), r.second.size());
            break;
        case Kind::kGain:
            std::memcpy(data, r.first.data(), r.first.size());
            break;
    }
    phrase_.TruncateAt(r.old_length);
}

void EditHistory::Repeat(const Record& r) {
    switch (r.kind) {
        case Kind::kCut:
            phrase_.DeleteRange(r.start, r.end);
            break;
        case Kind::kTrim:
            KeepSpan(phrase_, {r.start, r.end});
            break;
        case Kind::kGain:
            ApplyGain(phrase_, r.gain);
            break;
    }
}

}  // namespace kotar
