#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The bash completion of kotar-cli, driven the way bash drives it (COMP_WORDS, COMP_CWORD,
# COMP_LINE, COMP_POINT set, the function called, COMPREPLY compared) against the built program
# and work folders of the test's own.
#   CliCompletionTest.sh KOTAR_CLI COMPLETION_FILE
cli=$(realpath "$1")
bash_completion=/usr/share/bash-completion/bash_completion
if [ ! -r "$bash_completion" ]; then
    echo "$bash_completion is missing (package bash-completion)"
    exit 1
fi
# shellcheck source=/dev/null
source "$bash_completion"
# shellcheck source=/dev/null
source "$2"
export LC_ALL=C.UTF-8

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
work=$tmp/work
export HOME=$tmp/home
mkdir -p "$work/TR_東京 本社" "$work/TR_Osaka" "$work/TEMP" "$work/TR_two"$'\n'lines "$tmp/other/TR_Nagoya" \
    "$HOME/MEVAN/DATA/TR_Kobe" "$tmp/start/sub" "$tmp/bare" "$tmp/gone"
touch "$work/TR_file" "$tmp/start/"{a.wav,B.WAV,c.txt,d.snd,app.bin,UPD.BIN}
printf '[CONFIG]\r\nPATH=%s\r\n[PORTS]\r\nCOM4711=/dev/null\r\n' "$work" >"$tmp/start/MEVAN.INI"
printf '[CONFIG]\r\nPATH=%s\r\n' "$tmp/absent" >"$tmp/gone/MEVAN.INI"
cp "$tmp/start/MEVAN.INI" "$tmp/start.ini"
cp "$tmp/gone/MEVAN.INI" "$tmp/gone.ini"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# expect REPLIES WORD...: completes the last WORD of "kotar-cli WORD..." with the cursor at its
# end; REPLIES are the expected ones sorted and joined by "|".
expect() {
    local expected=$1
    shift
    COMP_WORDS=("$cli" "$@")
    COMP_CWORD=$#
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _kotar_cli kotar-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    local actual
    actual=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd '|')
    [ "$actual" = "$expected" ] || fail "kotar-cli $* -> '$actual', expected '$expected'"
}

cd "$tmp/start" || exit 1
# Every command of the program, and every option of each command (its usage line).
commands=$("$cli" --help | sed -n 's/^  \([a-z][a-z-]*\)\( .*\)\?$/\1/p' | LC_ALL=C sort)
expect "$(paste -sd '|' <<<"$commands")" ''
for command in $commands; do
    options=$({ echo --help; "$cli" "$command" --help | head -1 | grep -o -- '--[a-z-]*'; } |
        LC_ALL=C sort -u | paste -sd '|')
    expect "$options" "$command" --
done

expect 'delete|delete-phrase' de
expect '--help|--port|--work' -
expect 'delete|delete-phrase' --port 3 --work "$work" de
expect 'sub' --work ''
expect '4711' --port 471
# Property names, quoted as the word at the cursor is.
expect 'Osaka|東京\ 本社' delete ''
expect '東京\ 本社' delete 東
expect '東京\ 本社' delete '東京\ 本'
expect '東京 本社' delete "'東京 "
expect '東京 本社' delete '"東'
expect 'Osaka|東京\ 本社' new Kyoto --copy-from ''
expect '' new ''
expect 'Osaka|東京\ 本社' write --mode ab --verify ''
expect 'Nagoya' --work "$tmp/other" loudness ''
# Slots, modes and files.
expect '1|2|3' delete-phrase Osaka ''
expect '1|2|3' speak '東京\ 本社' ''
expect '' speak Osaka 1 ''
expect '' normalize Osaka 2 --target ''
expect 'ab|continuous' export Osaka out.snd --mode ''
expect 'B.WAV|a.wav|sub' import '東京\ 本社' 3 ''
expect 'B.WAV|MEVAN.INI|UPD.BIN|a.wav|app.bin|c.txt|d.snd|sub' export Osaka ''
expect 'd.snd|sub' write --file ''
expect '' write --file d.snd ''
expect 'app.bin|sub' program app.bin ''
expect 'B.WAV|MEVAN.INI|UPD.BIN|a.wav|app.bin|c.txt|d.snd|sub' data-read ''
# Without MEVAN.INI, and with a work folder that is gone: the default work folder, as a run
# would take it; neither MEVAN.INI is made or corrected.
cd "$tmp/bare" || exit 1
expect 'Kobe' trim ''
cd "$tmp/gone" || exit 1
expect 'Kobe' trim ''

cmp -s "$tmp/start/MEVAN.INI" "$tmp/start.ini" || fail "MEVAN.INI was changed"
cmp -s "$tmp/gone/MEVAN.INI" "$tmp/gone.ini" || fail "MEVAN.INI was corrected"
[ -z "$(ls -A "$tmp/bare")" ] || fail "made in a folder without MEVAN.INI: $(ls -A "$tmp/bare")"
[ ! -e "$tmp/absent" ] || fail "the configured work folder was made"

echo "$failures failure(s)"
[ "$failures" = 0 ]
