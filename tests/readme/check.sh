#!/usr/bin/env bash
# Runs the commands a document shows (the README, or a note of docs/) and
# compares what they print with what the document says they print, so that
# the documents cannot drift from tessel.
#
#   ```console   each "$ COMMAND" line is run; the lines up to the next
#                "$ " line or the end of the block are its expected output
#                (standard output and standard error together), exactly
#   ```sh        each line that is not blank or a comment is run and must
#                exit 0; its output is not compared
#   ```sh build  not run: building and installing (make, cmake), which is
#                what runs this test; the package test installs and builds a
#                host the same way
#
# Commands run in order, in one scratch directory that holds links to the
# sources' examples/, scripts/ and tests/ (its data) and a copy of README.md, with the tessel
# under test first on the PATH.
# Usage: check.sh TESSEL SOURCE_DIR [DOCUMENT]   (DOCUMENT: README.md by default,
# a path relative to SOURCE_DIR)
set -uo pipefail
tessel=$1
source=$2
document=${3:-README.md}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
ln -s "$tessel" "$work/bin/tessel"
ln -s "$source/examples" "$work/examples"
ln -s "$source/scripts" "$work/scripts"
ln -s "$source/tests" "$work/tests"
cp "$source/README.md" "$work/README.md"
export PATH="$work/bin:$PATH"
cd "$work" || exit 2

passed=0 failed=0
readme_line=0

# Runs one console command and compares its output with the expected lines.
check_console() {
  local command=$1 expected=$2 line=$3
  local actual
  actual=$(bash -c "$command" 2>&1; echo x)
  actual=${actual%x}
  if [ "$actual" == "$expected" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "$document:$line: \$ $command"
    diff <(printf '%s' "$expected") <(printf '%s' "$actual") | sed 's/^/    /'
  fi
}

check_sh() {
  local command=$1 line=$2 output
  if output=$(bash -c "$command" 2>&1); then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "$document:$line: $command: exit status $? (must be 0)"
    printf '%s\n' "$output" | sed 's/^/    /'
  fi
}

block=""          # console, sh or "" (outside a checked block)
command="" expected="" command_line=0
flush() {
  [ -n "$command" ] && check_console "$command" "$expected" "$command_line"
  command="" expected=""
}
while IFS= read -r text || [ -n "$text" ]; do
  readme_line=$((readme_line + 1))
  if [ -z "$block" ]; then
    case $text in
      '```console') block=console ;;
      '```sh') block=sh ;;
      '```'*) block=other ;;
    esac
    continue
  fi
  if [ "$text" = '```' ]; then
    [ "$block" = console ] && flush
    block=""
    continue
  fi
  case $block in
    console)
      if [[ $text == '$ '* ]]; then
        flush
        command=${text#\$ } command_line=$readme_line
      elif [ -n "$command" ]; then
        expected+="$text"$'\n'
      fi ;;
    sh)
      [[ $text =~ ^[[:space:]]*(#|$) ]] || check_sh "$text" "$readme_line" ;;
  esac
done <"$source/$document"

echo "$document: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
