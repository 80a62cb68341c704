#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the manual page (section 1) of a program from its --help and --version with help2man,
# and a gzip -9n copy beside it for the package (no name or time stamp in it: reproducible):
#   manual-page.sh PROGRAM SUMMARY INCLUDE OUT.1
# SOURCE_DATE_EPOCH, when set, dates the page. A block of commands in the --help text
# ("Commands:", then each command as "  name ARGS" with its description indented below it)
# becomes one tagged paragraph per command, the command's name in bold.
set -euo pipefail
program=${1:?usage: manual-page.sh PROGRAM SUMMARY INCLUDE OUT.1}
summary=${2:?}
include=${3:?}
out=${4:?}

raw=$out.help2man
help2man --locale=C.UTF-8 --no-info --section=1 --name="$summary" --include="$include" \
    --output="$raw" "$program"
# help2man makes the name line and the description of each command two plain indented
# paragraphs (.IP); a command is a tag (.TP) with its description under it.
awk '
    /^\.SS "Commands:"$/ { commands = 1; head = 1; print; next }
    commands && /^\.(SS|SH|PP)/ { commands = 0 }
    commands && $0 == ".IP" {
        if (head) print ".TP"
        head = !head
        next
    }
    commands && !head && !tagged { sub(/^[^ ]+/, "\\fB&\\fR"); tagged = 1; print; next }
    commands && head { tagged = 0 }
    { print }
' "$raw" >"$out"
rm "$raw"
gzip -9n -c "$out" >"$out.gz"
