#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The manual pages of the package: one per program, headed with the program's own --version
# line; in kotar-cli's, an entry for every command that the program lists in its --help and
# every option that its --help and each command's --help name.
#   manual_pages_test.sh BIN_DIR MAN_DIR PROGRAM...
set -euo pipefail
bin_dir=${1:?usage: manual_pages_test.sh BIN_DIR MAN_DIR PROGRAM...}
man_dir=${2:?}
shift 2

failures=0
fail() {
    echo "manual_pages_test: $*" >&2
    failures=$((failures + 1))
}
# A text as the page's source writes it: every hyphen as \-.
roff() { sed 's/-/\\-/g' <<<"$1"; }

for program in "$@"; do
    page=$man_dir/$program.1.gz
    if [ ! -f "$page" ]; then
        fail "$program has no manual page ($page)"
        continue
    fi
    version=$("$bin_dir/$program" --version | head -n 1)
    heading=$(zcat "$page" | grep -m 1 '^\.TH ')
    [[ $heading == ".TH ${program^^} \"1\" \""*"\" \"$version\" \"User Commands\"" ]] ||
        fail "$program's page is not headed \"$version\" in section 1: $heading"
done

cli=$bin_dir/kotar-cli
source=$(zcat "$man_dir/kotar-cli.1.gz" 2>/dev/null) || source=
# The tags of the page's tagged paragraphs, one a line.
tags=$(awk 'previous == ".TP" { print } { previous = $0 }' <<<"$source")
has_tag() {
    local tag
    while IFS= read -r tag; do
        [[ $tag == "$1" || $tag == "$1 "* ]] && return 0
    done <<<"$tags"
    return 1
}
mapfile -t commands < <("$cli" --help |
    awk '/^Commands:$/ { listed = 1; next } listed && /^$/ { exit } listed && /^  [a-z]/ { print $1 }')
[ "${#commands[@]}" -gt 0 ] || fail "kotar-cli --help lists no commands"
for command in "${commands[@]}"; do
    has_tag "\\fB$(roff "$command")\\fR" ||
        fail "kotar-cli's page has no entry for the command $command"
done
mapfile -t options < <({
    "$cli" --help
    for command in "${commands[@]}"; do "$cli" "$command" --help; done
} | grep -oE -- '--[a-z][a-z-]*' | sort -u)
[ "${#options[@]}" -gt 0 ] || fail "kotar-cli names no options"
for option in "${options[@]}"; do
    grep -qF -- "$(roff "$option")" <<<"$source" || fail "kotar-cli's page lacks the option $option"
done

[ "$failures" = 0 ] || exit 1
echo "manual_pages_test: $# pages; kotar-cli's names ${#commands[@]} commands and ${#options[@]} options"
