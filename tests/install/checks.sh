# What the install tests share: counting and printing their checks, and
# running a Wine program with its output as plain lines. Sourced.
failures=0
fail() { printf 'FAIL: %s\n' "$*"; failures=$((failures + 1)); }
pass() { printf 'ok: %s\n' "$*"; }
expect() { # what, expected, actual
    if [ "$3" = "$2" ]; then pass "$1: $3"; else fail "$1: expected '$2', got '$3'"; fi
}
win() { wine "$@" 2>/dev/null | tr -d '\r'; }
