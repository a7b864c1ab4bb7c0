#!/usr/bin/env bash
# What the package holds, as dpkg-deb lists it: the three programs in /usr/bin, their manual pages, the
# demo saver (Demo.scr a relative link to /usr/bin/qv beside velloran/Demo) with xscreensaver's description
# of it, the copyright and changelog; every file owned by root with the usual modes. Its control data: the
# name, version and architecture, the libraries found by dpkg-shlibdeps and the sound font and fonts.
source "$(dirname "$0")/lib.sh"

# "MODE OWNER PATH [-> TARGET]" for every entry that is not a folder, sorted.
listing=$(dpkg-deb -c "$DEB" | awk '$1 !~ /^d/ { line = $1 " " $2 " " $6; for (i = 7; i <= NF; i++) line = line " " $i; print line }' | sort)
expected=$(
    {
        for p in qv qv-make qv-render; do echo "-rwxr-xr-x root/root ./usr/bin/$p"; done
        for p in qv qv-make qv-render; do echo "-rw-r--r-- root/root ./usr/share/man/man1/$p.1.gz"; done
        echo "-rw-r--r-- root/root ./usr/share/doc/vistrelle/copyright"
        echo "-rw-r--r-- root/root ./usr/share/doc/vistrelle/changelog.gz"
        echo "-rw-r--r-- root/root ./usr/share/xscreensaver/config/demo.scr.xml"
        echo "lrwxrwxrwx root/root ./usr/share/vistrelle/Demo.scr -> ../../bin/qv"
        for f in qor_0 qor_1 qor_2 qor_3 qor_4 qor_5 qor_6 qor_7 qor_8 qor_9 qor_inf qor_title qor_bgm qor_bgm.mid \
            qor_effect1; do
            echo "-rw-r--r-- root/root ./usr/share/vistrelle/velloran/Demo/$f"
        done
    } | sort
)
[[ $listing == "$expected" ]] || fail "the package holds:"$'\n'"$listing"$'\n'"--- expected:"$'\n'"$expected"

field() { dpkg-deb -f "$DEB" "$1"; }
[[ $(field Package) == vistrelle ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$VERSION" ]] || fail "Version: $(field Version), not $VERSION"
[[ $(field Architecture) == amd64 ]] || fail "Architecture: $(field Architecture)"
depends=$(field Depends)
note "Depends: $depends"
# Each program's libraries, and what the saver loads by name at run time.
for dep in libc6 libstdc++6 libjpeg62-turbo libpng16-16 libqt6widgets6 libqt6gui6 libqt6core6 libfluidsynth3 \
    libx11-6 libxss1 libxrandr2 'timgm6mb-soundfont | fluid-soundfont-gm' fonts-ipafont-gothic fonts-urw-base35; do
    [[ ", $depends," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep"
done

# Inside: each manual page names its command, the demo's settings are qv-make's demo settings, and the
# panel's description carries the label the saver is listed under.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$DEB" "$work"
for p in qv qv-make qv-render; do
    name=$(zcat "$work/usr/share/man/man1/$p.1.gz" | sed -n '/^\.SH NAME/{n;p;q}')
    [[ $name == "${p//-/\\-} \\- "* ]] || fail "$p.1 names itself '$name'"
done
[[ $(od -An -c "$work/usr/share/vistrelle/velloran/Demo/qor_inf" | tr -s ' \n' ' ') == \
    " 9 \r \n 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 \r \n 4 \r \n 1 \r \n " ]] ||
    fail "the demo's qor_inf is: $(od -An -c "$work/usr/share/vistrelle/velloran/Demo/qor_inf")"
grep -q '<screensaver name="Demo.scr" _label="Vistrelle Demo">' "$work/usr/share/xscreensaver/config/demo.scr.xml" ||
    fail "demo.scr.xml does not describe Demo.scr"
echo "PASS"
