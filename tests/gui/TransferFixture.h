// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The phrase write/read dialog on a property "現場" against the simulated device.
#include <QProgressBar>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "DeviceFixture.h"
#include "GuiHarness.h"
#include "ScriptedPrompter.h"
#include "ops/AudioFileTransferDlg.h"
#include "ops/PhraseTransfer.h"

namespace kotar::test {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

inline Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 2654435761u + seed) >> 11);
    return bytes;
}

// A property "現場" in the work folder with phrases in the slots whose texts are given.
struct TransferFixture : DeviceFixture {
    explicit TransferFixture(int mode, std::array<std::string, 3> texts = {"前半", "", ""},
                             kotar::test::DeviceLink link = kotar::test::DeviceLink::InProcess)
        : DeviceFixture(link) {
        fs::create_directories(property());
        for (int i = 0; i < 3; ++i) {
            const fs::path wav = property() / ("0" + std::to_string(i + 1) + ".wav");
            if (!texts[i].empty())
                kotar::test::WriteSlotWav(wav, texts[i], 4000);
            slots.push_back({wav.string(), texts[i]});
        }
        dialog = std::make_unique<kotar::CAudioFileTransferDlg>(ini, prompter, "現場", mode, slots);
        dialog->SetLinkEnvironment(environment);
        dialog->show();
    }

    fs::path property() const { return work() / kotar::PathFromUtf8("TR_現場"); }
    Bytes DevicePhrases() const {
        auto memory = model.Memory(kotar::kPhraseArea, kotar::kPhraseFileBytes);
        return Bytes(memory.begin(), memory.end());
    }
    QString Status() const { return TextOf(dialog.get(), 1001); }
    QProgressBar* Progress() const {
        return kotar::test::Control<QProgressBar>(dialog.get(), 1077);
    }
    // Chooses a file through the browse button.
    void Choose(const fs::path& file) {
        prompter.AnswerNextDialog(file.string());
        Click(dialog.get(), 1025);
    }
    int Messages() const {
        int count = 0;
        for (const auto& p : prompter.prompts())
            count += p.kind == ScriptedPrompter::Prompt::Kind::Message;
        return count;
    }

    kotar::SlotList slots;
    std::unique_ptr<CAudioFileTransferDlg> dialog;
};

}  // namespace kotar::test
