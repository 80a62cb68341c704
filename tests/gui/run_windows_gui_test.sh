#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows QtTest program under Wine. Its log goes to a file: QtTest on Windows sends what
# it would print to the debugger's channel when the output is not a console.
# Usage: run_windows_gui_test.sh WINE PROGRAM LOG
"$1" "$2" -o "$3,txt"
status=$?
cat "$3" 2>/dev/null
exit $status
