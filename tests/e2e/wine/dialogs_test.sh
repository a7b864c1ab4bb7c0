#!/usr/bin/env bash
# The two dialogs under Wine, where Wine substitutes fonts and paints controls itself:
# - the installer's "Screen Saver Installed." is a single line that shows the whole text inside its label;
# - the settings dialog with a damaged qor_inf shows its error box before the dialog appears, and the dialog
#   opens after the box was answered;
# - every control of the settings dialog is clipped by its siblings, so grey's box repainting leaves the left
#   edge of sepia's box (which it overlaps by two pixels) alone; closing by the caption bar saves nothing.
source "$(dirname "$0")/wine-env.sh"
WPROBE="$VIS_ROOT/build/windows/wprobe.exe"
[[ -f $WPROBE ]] || fail "$WPROBE is missing (make windows)"
wine_prefix_ready
wine_session_start

probe_windows() { run_wine 30 "$WPROBE" windows "$1" | tr -d '\r' || true; }
visible_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true; }
wait_visible() {
    local name=$1 what=$2 w=""
    for _ in $(seq 200); do
        w=$(visible_window "$name")
        [[ -n $w ]] && return 0
        kill -0 "$tpid" 2>/dev/null || fail "the program ended before $what appeared"
        sleep 0.05
    done
    fail "no $what within 10 s"
}
# "x y" of the client area of the one top-level window that probe_windows printed.
client_origin() { awk '$1 == "client" { print $2, $3; exit }' <<<"$1"; }
shot="$SESSION_DIR/shot.xwd"

# --- The installer's label ---------------------------------------------------------------------------------------
win="$(drive_c)/windows"
inst="$win/velloran/LABEL"
rm -rf "$inst" "$win/LABEL.SCR"
SESSION_END='rm -rf "$inst" "$win/LABEL.SCR"'
mkdir -p "$inst"
cp "$QV_EXE" "$inst/install.exe"
timeout -k 2 60 wine 'C:\windows\velloran\LABEL\install.exe' 2>/dev/null &
tpid=$!
wait_visible '^Install Screen Saver$' "the installer window"
sleep 0.5
info=$(probe_windows TFmInst)
label=$(grep -E '^  window Static ' <<<"$info" || true)
note "installer: $label"
[[ $label == '  window Static 6 8 187 18 '* ]] || fail "Label1 is not at (6, 8), 187 x 18"
[[ $label == *' text "Screen Saver Installed."' ]] || fail "Label1 does not hold the text"
style=$(sed -n 's/.* style \([0-9a-f]*\) .*/\1/p' <<<"$label")
# SS_TYPEMASK 0x1F: SS_LEFTNOWORDWRAP (0x0C) is one line, clipped, never wrapped.
(((0x$style & 0x1F) == 0x0C)) || fail "Label1's style $style is not a single-line label"
read -r cx cy < <(client_origin "$info")
xwd -root -silent >"$shot"
convert "$shot" -crop "201x58+$cx+$cy" +repage "$VIS_ROOT/build/wine-installer.png"
# The text's ink (dark pixels) inside the label: it fills most of the label's width (word-wrapped, only
# "Screen Saver" would show) and stops short of its right edge (cut off, the last letters would touch it).
ink=$(convert "$shot" -crop "187x18+$((cx + 6))+$((cy + 8))" +repage -colorspace gray -threshold 50% -negate \
    -format '%@' info:)
note "ink of Label1: $ink"
[[ $ink =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || fail "no text in Label1 ($ink)"
right=$((BASH_REMATCH[3] + BASH_REMATCH[1]))
((BASH_REMATCH[1] > 0 && right >= 150)) || fail "the text in Label1 ends at x=$right of 187: not shown whole"
((right <= 185)) || fail "the text in Label1 runs into its right edge (x=$right of 187): cut off"
xdotool key Return
status=0
wait "$tpid" || status=$?
[[ $status -eq 0 ]] || fail "the installer ended with status $status"

# --- The settings dialog with a damaged qor_inf ------------------------------------------------------------------
base="$(drive_c)/dialogs"
rm -rf "$base"
mkdir -p "$base/velloran/Demo"
cp "$QV_EXE" "$base/Demo.scr"
data="$base/velloran/Demo"
for n in 0 1; do quadrant_jpeg "$data/qor_$n" 16 16 red lime blue yellow; done
printf 'abc\r\n1111111111111111\r\n5\r\n3\r\n' >"$data/qor_inf"
cp "$data/qor_inf" "$SESSION_DIR/qor_inf"
convert -size 287x120 xc:white -type truecolor bmp3:"$data/qor_effect1"
timeout -k 2 60 wine "$(winepath_of "$base/Demo.scr")" /c 2>/dev/null &
tpid=$!
wait_visible '^Vistrelle$' "the error box for the damaged qor_inf"
[[ -z $(visible_window '^setting for vistrelle 3\.3jp$') ]] || fail "the dialog was visible under the error box"
[[ $(probe_windows TFmSetting | head -n1) == *' hidden text "setting for vistrelle 3.3jp"' ]] ||
    fail "the dialog is not hidden while the error box shows"
xdotool key Return
wait_visible '^setting for vistrelle 3\.3jp$' "the dialog after the error box"
sleep 0.5
[[ -z $(visible_window '^Vistrelle$') ]] || fail "the error box is still open"
note "error box first, then the dialog"

info=$(probe_windows TFmSetting)
# Every child window, at any depth, has WS_CLIPSIBLINGS (0x04000000).
while read -r _ cls _ _ _ _ _ style _; do
    ((0x$style & 0x04000000)) || fail "a $cls control of the dialog is not clipped by its siblings (style $style)"
done < <(grep -E '^ {2,}window ' <<<"$info")
note "$(grep -cE '^ {2,}window ' <<<"$info") controls, each clipped by its siblings"

# CBGray (71..128) reaches into CBSepia (127..184). Sepia's box is drawn from its left edge: its border at
# x=127 must survive grey's repaint when grey is clicked.
read -r cx cy < <(client_origin "$info")
edge_shown() {
    xwd -root -silent >"$shot"
    local face edge
    face=$(xwd_pixel "$shot" $((cx + 125)) $((cy + 172)))
    edge=$(xwd_pixel "$shot" $((cx + 127)) $((cy + 172)))
    ! near "$edge" "$face" 30
}
edge_shown || fail "sepia's box has lost its left edge when the dialog opened"
xdotool mousemove $((cx + 71 + 6)) $((cy + 164 + 8)) click 1
sleep 0.5
edge_shown || fail "grey's repaint took the left edge of sepia's box"
convert "$shot" -crop "306x189+$cx+$cy" +repage "$VIS_ROOT/build/wine-settings-damaged.png"
note "sepia's box keeps its left edge after grey was clicked"

# Closed by the caption bar's close box (Alt+F4): nothing is saved.
xdotool key alt+F4
status=0
wait "$tpid" || status=$?
[[ $status -eq 0 ]] || fail "the dialog ended with status $status after Alt+F4"
cmp -s "$SESSION_DIR/qor_inf" "$data/qor_inf" || fail "closing the dialog changed qor_inf"
echo "PASS"
