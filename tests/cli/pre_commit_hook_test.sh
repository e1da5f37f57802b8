#!/usr/bin/env bash
# The plain git hook (scripts/pre-commit-quillmark) in scratch repositories:
# staged files judged in their own encoding, extensions matched in any case,
# and a suggested command that, pasted, fixes what it names.
# Usage: pre_commit_hook_test.sh <quillmark-format> <hook> <work folder>
set -u
export QUILLMARK_FORMAT=$1
hook=$2
work=$3
export QUILLMARK_CONFIG="$work/no-store.ini" LC_ALL=C.UTF-8
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A fresh repository holding the given files (name, then bytes on stdin of put).
new_repo() {
  rm -rf "$work/repo"
  mkdir -p "$work/repo" && cd "$work/repo" || exit 1
  git init -q . && git config user.email hook@example.com && git config user.name Hook
}
put() { mkdir -p "$(dirname "$1")" && cat > "$1" && git add -- "$1"; }

# run_hook NAME EXPECTED-STATUS [HOOK ARGS]
run_hook() {
  QUILLMARK_HOOK_ARGS="${3---capitalise}" "$hook" > "$work/out" 2> "$work/err"
  local status=$?
  [ "$status" = "$2" ] || { fail "$1: status $status, expected $2"; cat "$work/err"; }
}

# Each staged file in its own encoding and line ending.
new_repo
printf 'SELECT 1 FROM dual\n' | put plain.sql
printf '\xef\xbb\xbfSELECT 1 FROM dual\r\n' | put marked.sql
{ printf '\xff\xfe'; printf 'SELECT 1\r\nFROM dual\r\n' | iconv -f UTF-8 -t UTF-16LE; } | put wide-le.sql
{ printf '\xfe\xff'; printf 'SELECT 1 FROM dual\n' | iconv -f UTF-8 -t UTF-16BE; } | put wide-be.sql
run_hook "formatted files in UTF-8, UTF-8 with a mark and UTF-16 pass" 0
{ printf '\xff\xfe'; printf 'select 1\r\n' | iconv -f UTF-8 -t UTF-16LE; } | put wide-le.sql
run_hook "an unformatted UTF-16 file fails" 1
grep -q 'wide-le.sql' "$work/err" || fail "the UTF-16 file is named: $(cat "$work/err")"

new_repo
printf "SELECT '\xe9' FROM dual\n" | put latin.sql
run_hook "a Latin-1 file passes with its encoding given" 0 "--capitalise --encoding latin1"
printf "select '\xe9' FROM dual\n" | put latin.sql
run_hook "an unformatted Latin-1 file fails" 1 "--capitalise --encoding latin1"
printf '[quillmark-format]\nencoding = latin1\n' | put .quillmark.ini
printf "SELECT '\xe9' FROM dual\n" | put latin.sql
run_hook "a Latin-1 file passes with the encoding of its .quillmark.ini" 0

# Extensions in any case, as the folder walk takes them; other files alone.
new_repo
printf 'select 1\n' | put PKG.PKB
printf 'select 1\n' | put q.Sql
printf 'select 1\n' | put notes.txt
printf 'select 1\n' | put .sql
run_hook "upper- and mixed-case extensions are checked" 1
for name in PKG.PKB q.Sql; do
  grep -qF -- "$name" "$work/err" || fail "$name is named: $(cat "$work/err")"
done
for name in notes.txt .sql; do
  ! grep -qF -- "$name" "$work/err" || fail "$name is not checked: $(cat "$work/err")"
done

# The suggested command, pasted into a shell, formats what it names.
new_repo
printf 'select 1\n' | put "it's a \"report\" (final).sql"
printf 'select 1\n' | put 'sub dir/$HOME;rm.sql'
printf 'select 1\n' | put -- '-dash.sql'
run_hook "names that need quoting" 1
suggested=$(sed -n 's/^pre-commit: not formatted (fix with: \(.*\))$/\1/p' "$work/err")
[ -n "$suggested" ] || fail "no command suggested: $(cat "$work/err")"
eval "$suggested" 2> "$work/fix-err" || fail "the suggested command failed: $suggested: $(cat "$work/fix-err")"
git add -A
run_hook "after the suggested command" 0
[ "$(cat "it's a \"report\" (final).sql")" = "SELECT 1" ] || fail "the quoted name was formatted"

rm -rf "$work/repo"
[ "$failures" = 0 ] && echo "all hook cases passed"
exit $((failures > 0))
