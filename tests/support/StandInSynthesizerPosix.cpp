// SPDX-License-Identifier: GPL-3.0-or-later
// The stand-in synthesizer as a shell script.
#include <sys/stat.h>

#include "StandInSynthesizer.h"

namespace kotar::test {

const char* const StandInSynthesizer::kProgramName = "open_jtalk";

void StandInSynthesizer::Set(Behaviour behaviour) {
    std::string action;
    switch (behaviour) {
        case Behaviour::kSpeak:
            action = "cp '" + Path("take.wav") + "' \"$out\"";
            break;
        case Behaviour::kSilent:
            action = "cp '" + Path("silent.wav") + "' \"$out\"";
            break;
        case Behaviour::kHang:
            action = "exec sleep 600";
            break;
        case Behaviour::kCrash:
            action = "kill -SEGV $$";
            break;
        case Behaviour::kFail:
            action = "echo 'cannot load voice' >&2; exit 3";
            break;
        case Behaviour::kGarbage:
            action = "echo garbage > \"$out\"";
            break;
        case Behaviour::kNoOutput:
            action = "exit 0";
            break;
    }
    WriteText(folder_ / kProgramName,
              "#!/bin/sh\nout=; rate=\nwhile [ $# -gt 1 ]; do\n  case \"$1\" in\n"
              "    -ow) out=$2; shift ;;\n    -r) rate=$2; shift ;;\n"
              "    -x|-m) shift ;;\n  esac\n  shift\ndone\n"
              "echo \"$rate\" > '" +
                  Path("rate") + "'\ncp \"$1\" '" + Path("text") + "'\n" + action + "\n");
    ::chmod(Path(kProgramName).c_str(), 0755);
}

}  // namespace kotar::test
