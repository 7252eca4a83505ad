#!/usr/bin/env bash
# Usage: cli-matches-linux.sh LINUX_CLI WINE_RUN PREFIX WINDOWS_CLI
# pellum-cli.exe under Wine against the Linux pellum-cli on the same .syx files: the same lines,
# errors and exit statuses (Windows ends its lines with CR LF; that is the only difference
# allowed). Then what the Windows build does with no MIDI devices.
set -uo pipefail
linux=$1
wine_run=$2
prefix=$3
windows=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The test files: what loading must cope with.
printf '\xF0\x41\x10\x42\x12\x40\x00\x7F\x00\x41\xF7' >roland.syx
printf '\x00\xF7\xF0\x41\x10\xF7\x7F\xF0\x44\x01' >junk-and-unterminated.syx
printf '\xF0\x00\x20\x29\x01\xF7\xF0\x43\x10\x4C\xF7\xF0\x7E\x7F\x06\x02\xF7\xF0\xF7' >vendors.syx
: >empty.syx
for i in $(seq 1 3000); do printf '\xF0\x42\x30\x00\x01\x2F\xF7'; done >many.syx
cp roland.syx 'ダンプ 音色.syx'
files=(roland.syx junk-and-unterminated.syx vendors.syx empty.syx many.syx 'ダンプ 音色.syx')
# Standard MIDI Files: one the Linux build wrote, one with a message in two packets and an F7
# escape, one cut short. Both builds write the same .mid file.
"$linux" convert vendors.syx vendors.mid
printf 'MThd\x00\x00\x00\x06\x00\x01\x00\x01\x00\x60MTrk\x00\x00\x00\x0F' >divided.mid
printf '\x00\xF0\x03\x43\x10\x4C\x0A\xF7\x02\x00\xF7\x00\xF7\x01\xF8' >>divided.mid
head -c 30 vendors.mid >cut.mid
files+=(vendors.mid divided.mid cut.mid)
"$wine_run" "$prefix" "$windows" convert many.syx windows.mid >/dev/null 2>&1
"$linux" convert many.syx linux.mid
cmp -s linux.mid windows.mid || fail "convert: the .mid files differ"

compare() {
  local what=$1
  shift
  "$linux" "$@" >linux.out 2>linux.err
  local linuxStatus=$?
  "$wine_run" "$prefix" "$windows" "$@" >windows.out 2>windows.err
  local windowsStatus=$?
  sed -i 's/\r$//' windows.out windows.err
  [ "$linuxStatus" = "$windowsStatus" ] || fail "$what: exit $windowsStatus, Linux $linuxStatus"
  cmp -s linux.out windows.out || { fail "$what: output differs"; diff linux.out windows.out | head -5; }
  cmp -s linux.err windows.err || { fail "$what: errors differ"; diff linux.err windows.err | head -5; }
  case "$what" in
    *empty.syx) ;;
    *) [ -s linux.out ] || [ -s linux.err ] || fail "$what: printed nothing" ;;
  esac
}

for f in "${files[@]}"; do
  compare "list --hex $f" list --hex "$f"
  compare "list $f" list "$f"
done
compare "list of several files" list --hex "${files[@]}"
compare "a missing file" list missing.syx roland.syx
compare "diff" diff vendors.syx 'ダンプ 音色.syx'
compare "diff of a .mid and a .syx" diff divided.mid vendors.syx
compare "no command" roland.syx
compare "help" --help
compare "list help" list --help

# No MIDI devices under Wine: ports lists none, receive fails cleanly and writes nothing.
"$wine_run" "$prefix" "$windows" ports >ports.out 2>ports.err
status=$?
[ "$status" = 0 ] || fail "ports: exit $status"
[ ! -s ports.out ] || fail "ports listed devices: $(cat ports.out)"
grep -q 'pellum-cli: no MIDI devices found' ports.err || fail "ports: $(cat ports.err)"

"$wine_run" "$prefix" "$windows" receive got.syx --in 1 --timeout 1 >receive.out 2>receive.err
status=$?
[ "$status" = 1 ] || fail "receive: exit $status"
grep -q "pellum-cli: there is no input device 1 (there are 0; see 'pellum-cli ports')" receive.err ||
  fail "receive: $(cat receive.err)"
[ ! -e got.syx ] || fail "receive wrote a file"

checks=$((${#files[@]} * 2 + 5 + 2))
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
