#!/usr/bin/env bash
# Takes screenshots of the real window on a virtual screen (Xvfb, with a window
# manager for the frames) and writes them to docs/: the empty window at its
# default size, the window with a ".k" picture open, its siblings listed and the
# status bar describing it, the summary of a Convert all, the window enlarged
# with the preview zoomed, the About box, and the workbench on a package of
# pictures. LUMIGRAM_SCREENSHOT_PRESET picks the build (release by default).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh
LUMIGRAM_PACKAGES=scripts/screenshot-packages.txt bash scripts/setup.sh
preset=${LUMIGRAM_SCREENSHOT_PRESET:-release}
bash scripts/build.sh "$preset"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/skin" "$work/converted"
cli=build/$preset/src/cli/lumigram-cli

# Sample pictures made here with our own encoder: a shaded ball on magenta.
python3 - "$work/skin/ball.bmp" <<'PY'
import struct, sys
w, h = 120, 160
stride = (w * 3 + 3) & ~3
rows = []
for y in range(h):
    row = bytearray()
    for x in range(w):
        d = (x - 60) ** 2 + (y - 80) ** 2
        row += bytes([min(255, 60 + x), 90 + y // 2, max(0, 230 - y)]) if d < 45 ** 2 else bytes([255, 0, 255])
    rows.append(bytes(row + bytes(stride - 3 * w)))
header = b"BM" + struct.pack("<IHHI", 54 + stride * h, 0, 0, 54) + struct.pack(
    "<IiiHHIIiiII", 40, w, h, 1, 24, 0, stride * h, 0, 0, 0, 0)
open(sys.argv[1], "wb").write(header + b"".join(reversed(rows)))
PY
"$cli" encode "$work/skin/ball.bmp" "$work/skin/ball.k" >/dev/null
for name in icon_home icon_phone wallpaper; do cp "$work/skin/ball.k" "$work/skin/$name.k"; done
printf 'GIF89a' >"$work/skin/logo.g"
printf 'menu' >"$work/skin/menu.a"
rm "$work/skin/ball.bmp"

# A package for the workbench: balls of many colours and sizes, and two
# members that are not pictures.
mkdir -p "$work/package"
python3 - "$work/package" <<'PY'
import colorsys, struct, sys
names = ["battery", "bluetooth", "call", "camera", "clock", "contacts", "games", "inbox",
         "mail", "media", "music", "phone", "photos", "settings", "signal", "video"]
for i, name in enumerate(names):
    w, h = 48 + 8 * (i % 4), 48 + 8 * (i % 3)
    r, g, b = (int(255 * c) for c in colorsys.hsv_to_rgb(i / len(names), 0.8, 0.95))
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h):
        row = bytearray()
        for x in range(w):
            d = ((x - w / 2) ** 2 + (y - h / 2) ** 2) ** 0.5 / (min(w, h) / 2 - 2)
            shade = max(0.35, 1.1 - d * 0.8)
            row += bytes([min(255, int(c * shade)) for c in (b, g, r)]) if d < 1 else bytes([255, 0, 255])
        rows.append(bytes(row + bytes(stride - 3 * w)))
    header = b"BM" + struct.pack("<IHHI", 54 + stride * h, 0, 0, 54) + struct.pack(
        "<IiiHHIIiiII", 40, w, h, 1, 24, 0, stride * h, 0, 0, 0, 0)
    open(f"{sys.argv[1]}/{name}.bmp", "wb").write(header + b"".join(reversed(rows)))
PY
for bmp in "$work"/package/*.bmp; do "$cli" encode "$bmp" "${bmp%.bmp}.k" >/dev/null; rm "$bmp"; done
printf 'menu' >"$work/package/menu.a"
printf 'sounds' >"$work/package/ring.a"
"$cli" pack "$work/package" "$work/skin.ezx" >/dev/null

cat >"$work/drive.sh" <<EOF2
#!/usr/bin/env bash
set -u
cd "$work"
openbox >/dev/null 2>&1 &
sleep 1
export XDG_CONFIG_HOME="$work/config"
"$root/build/$preset/src/lumigram" &
app=\$!
sleep 2
window=\$(xdotool search --onlyvisible --name '^Lumigram\$' | head -1)
xdotool windowactivate --sync "\$window"
eval \$(xdotool getwindowgeometry --shell "\$window")
shoot() {
  import -window root "$work/screen.png"
  convert "$work/screen.png" -crop 560x550+\$((X - 10))+\$((Y - 40)) +repage "\$1"
}
xdotool mousemove 900 700
sleep 0.5
shoot "$root/docs/screenshot-empty.png"
xdotool key ctrl+o
sleep 1.5
xdotool type --delay 15 "$work/skin/ball.k"
xdotool key Return
sleep 1.5
xdotool mousemove \$((X + 16)) \$((Y + 15))
sleep 1.5
shoot "$root/docs/screenshot-open.png"
xdotool key alt+f c
sleep 1.5
xdotool type --delay 15 "$work/skin/ball.k"
xdotool key Return
sleep 1.5
xdotool type --delay 15 "$work/converted"
xdotool key Return
sleep 1
xdotool key Return
sleep 2
xdotool mousemove 900 700  # off the tool bar, whose hints would cover the summary
sleep 1
shoot "$root/docs/screenshot-convert.png"
xdotool windowmove "\$window" 40 40
xdotool windowsize "\$window" 860 660
sleep 1
eval \$(xdotool getwindowgeometry --shell "\$window")
xdotool key ctrl+equal
sleep 1
xdotool mousemove 1000 750
sleep 0.5
import -window root "$work/screen.png"
convert "$work/screen.png" -crop 880x720+\$((X - 10))+\$((Y - 40)) +repage "$root/docs/screenshot-zoom.png"
xdotool key ctrl+0
xdotool windowsize "\$window" 536 490
xdotool windowmove "\$window" 197 111
sleep 1
eval \$(xdotool getwindowgeometry --shell "\$window")
xdotool key alt+h
sleep 0.5
xdotool key Return
sleep 1.5
shoot "$root/docs/screenshot-about.png"
kill \$app
sleep 1
"$root/build/$preset/src/lumigram" --package "$work/skin.ezx" &
app=\$!
sleep 3
bench=\$(xdotool search --onlyvisible --name 'Lumigram workbench' | head -1)
xdotool windowmove "\$bench" 40 40
xdotool windowsize "\$bench" 900 600
xdotool windowactivate --sync "\$bench"
sleep 1
eval \$(xdotool getwindowgeometry --shell "\$bench")
xdotool mousemove \$((X + 60)) \$((Y + 100)) click 1
sleep 0.5
xdotool key ctrl+equal ctrl+equal
xdotool mousemove 1000 750
sleep 1
import -window root "$work/screen.png"
convert "$work/screen.png" -crop 920x660+\$((X - 10))+\$((Y - 40)) +repage "$root/docs/screenshot-workbench.png"
kill \$app
EOF2
chmod +x "$work/drive.sh"
mkdir -p docs
xvfb-run -a -s "-screen 0 1024x768x24" "$work/drive.sh"
ls -l docs/screenshot-*.png
