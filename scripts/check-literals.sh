#!/bin/sh
# Lists user-visible text written in the code instead of the message tables
# (src/common/messages/en.txt and ja.txt) and fails when there is any. Run from anywhere:
#   scripts/check-literals.sh [SOURCE_FOLDER]
# It finds, outside comments:
#   - a string literal holding a non-ASCII character (a Japanese text, or a translated one);
#   - a Qt text setter, widget or menu entry given a literal instead of a message;
#   - a line of English words streamed to the console or thrown as a usage error;
#   - English words handed to a message as its detail (the reason of a failure).
# Texts that are not words (program names, file patterns, symbols) are ASCII and pass.
set -u
src=${1:-$(dirname "$0")/../src}
status=0

# Every C++ file of the program but the message tables, then grep -nP PATTERN over them.
search() {
    find "$src" \( -name '*.cpp' -o -name '*.h' \) -not -path '*/messages/*' -print0 |
        xargs -0 grep -nP "$1" /dev/null | grep -vE '^[^:]+:[0-9]+:[[:space:]]*//'
}

# $1: what is wrong, $2: the hits.
report() {
    if [ -n "$2" ]; then
        printf '%s\n%s\n\n' "$1" "$2"
        status=1
    fi
}

report "Non-ASCII text in a literal (give it a message ID):" \
    "$(search '"[^"]*[^\x00-\x7F][^"]*"')"
report "A widget text given as a literal (use a message):" \
    "$(search '(setText|setToolTip|setWindowTitle|setStatusTip|setPlaceholderText|addAction|addMenu|addButton|QLabel|QPushButton|QGroupBox|QCheckBox|QRadioButton|QAction|CButtonFlags|QMessageBox::\w+)\(\s*(QString::fromUtf8\(|QStringLiteral\(|tr\()?\s*"[A-Za-z]')"
report "Console words written as a literal (use a message):" \
    "$(search '(m_err|m_out|cerr|cout|err|out)\s*<<\s*"[^"]*[A-Za-z]{2,} [A-Za-z]{2,}')"
report "A command-line text given as a literal (use a message):" \
    "$(search '(CUsageError|Say)\(\s*"')"
report "English words as the detail of a message (give them a message ID):" \
    "$(search '(CException(::FromCode)?\(\s*IDS_\w+,[^;]*|\bfail\(|\bFail\(|TakeError\(|InvalidValue\(|EncodeFailure\([^,]*,\s*)"[^"]*[a-z]{2,} [a-z]{2,}')"

if [ "$status" -eq 0 ]; then
    echo "No user-visible literal outside the message tables."
fi
exit "$status"
