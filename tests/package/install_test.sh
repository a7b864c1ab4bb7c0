#!/usr/bin/env bash
# The package on this machine as a user gets it: `apt-get install ./vistrelle_*.deb`, the commands found on
# the PATH (qv-make --demo --install with the installed qv, qv-render on the installed demo, the demo saver
# itself under Xvfb), then `apt-get purge`, after which none of its files is left. Needs root and apt; it
# skips on a machine where Vistrelle is installed already, which it leaves alone.
source "$(dirname "$0")/lib.sh"
[[ $(id -u) -eq 0 ]] || skip "installing needs root"
command -v apt-get >/dev/null || skip "no apt-get"
if dpkg-query -W -f='${Status}' vistrelle 2>/dev/null | grep -q ' installed$'; then
    skip "vistrelle is installed on this machine already"
fi

export DEBIAN_FRONTEND=noninteractive
work=$(mktemp -d)
installed=""
xvfb=""
cleanup() {
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null
    [[ -n $installed ]] && apt-get purge -y -qq vistrelle >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

# The package's dependencies come from the archive, so a fresh machine gets them; here they are present.
apt-get install -y -qq --no-install-recommends "$DEB" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get install failed"; }
installed=1
[[ $(dpkg-query -W -f='${Version}' vistrelle) == "$VERSION" ]] || fail "dpkg does not know vistrelle $VERSION"
files=$(dpkg -L vistrelle | while read -r f; do [[ -d $f && ! -L $f ]] || echo "$f"; done)

for p in qv qv-make qv-render; do
    [[ $(command -v "$p") == /usr/bin/$p ]] || fail "$p is not found on the PATH"
done
if command -v man >/dev/null; then
    [[ $(man -w qv-make) == /usr/share/man/man1/qv-make.1.gz ]] || fail "man -w qv-make: $(man -w qv-make)"
fi

# qv-make from the PATH finds the installed qv beside it and installs a demo of the user's own.
export HOME="$work/home"
mkdir -p "$HOME"
(cd "$work" && qv-make --demo savers --install --quiet) || fail "qv-make --demo savers --install failed"
cmp -s /usr/bin/qv "$work/savers/Demo.SCR" || fail "Demo.SCR is not a copy of /usr/bin/qv"
grep -qF "\"Vistrelle Demo\" $work/savers/Demo.SCR -root" "$HOME/.xscreensaver" ||
    fail "~/.xscreensaver does not list the demo: $(cat "$HOME/.xscreensaver")"

ticks=$(qv-render timeline /usr/share/vistrelle/velloran/Demo --screen 640x480 --until 12000 | grep -c '"state"')
[[ $ticks -gt 20 ]] || fail "qv-render played $ticks ticks of the installed demo"

# The installed demo saver runs where a user finds it.
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$work/display")" XDG_RUNTIME_DIR="$work/run" VISTRELLE_AUDIO=none
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    /usr/share/vistrelle/Demo.scr /s >"$work/saver.log" 2>&1 &
    saver=$!
    shown=""
    for _ in $(seq 300); do
        xdotool search --onlyvisible --name '^Fmqv$' >/dev/null 2>&1 && { shown=1; break; }
        kill -0 "$saver" 2>/dev/null || break
        sleep 0.1
    done
    [[ -n $shown ]] || { cat "$work/saver.log" >&2; fail "the installed demo showed no window"; }
    sleep 0.5
    xdotool key Escape
    status=0
    for _ in $(seq 100); do kill -0 "$saver" 2>/dev/null || break; sleep 0.1; done
    wait "$saver" || status=$?
    [[ $status -eq 0 ]] || fail "the installed demo ended with status $status"
else
    note "Xvfb or xdotool missing: the demo saver was not started"
fi

apt-get purge -y -qq vistrelle >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get purge failed"; }
installed=""
! dpkg-query -W -f='${Status}' vistrelle 2>/dev/null | grep -q ' installed$' || fail "vistrelle is still installed"
left=""
while read -r f; do [[ -e $f || -L $f ]] && left+=" $f"; done <<<"$files"
[[ -z $left ]] || fail "left after removal:$left"
[[ ! -e /usr/share/vistrelle ]] || fail "/usr/share/vistrelle is left after removal"
echo "PASS"
