#!/usr/bin/env bash
# Takes screenshots of the real windows on a virtual screen (Xvfb, with openbox
# for the frames), driven by real keys and clicks (xdotool), and writes them to
# docs/: the main window with a skin open, a wallpaper zoomed 4x with scroll
# bars, the summary of a Convert all, the workbench's grid with an icon
# selected, the compare view of two versions of the skin, and the list of a
# batch replace. The sample skin is made here with our own encoder.
# LUMIGRAM_SCREENSHOT_PRESET picks the build (release by default).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh
LUMIGRAM_PACKAGES=scripts/screenshot-packages.txt bash scripts/setup.sh
preset=${LUMIGRAM_SCREENSHOT_PRESET:-release}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j2 --target lumigram lumigram-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cli=build/$preset/src/cli/lumigram-cli
app=$root/build/$preset/src/lumigram

# A skin as a phone keeps it: four wallpapers of 176 x 220, twenty icons of
# 24 x 24 on magenta (the transparency colour), a PNG and a GIF ".g", two ".a".
mkdir -p "$work/skin" "$work/update" "$work/converted"
python3 - "$work/skin" "$work/update" <<'PY'
import colorsys, math, struct, sys, zlib
skin, update = sys.argv[1], sys.argv[2]
def bmp(path, w, h, pixel):
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h):
        row = bytearray()
        for x in range(w):
            r, g, b = pixel(x, y)
            row += bytes([b, g, r])
        rows.append(bytes(row + bytes(stride - 3 * w)))
    header = b"BM" + struct.pack("<IHHI", 54 + stride * h, 0, 0, 54) + struct.pack(
        "<IiiHHIIiiII", 40, w, h, 1, 24, 0, stride * h, 0, 0, 0, 0)
    open(path, "wb").write(header + b"".join(reversed(rows)))
def png(path, w, h, pixel):
    raw = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(w)) for y in range(h))
    chunk = lambda t, d: struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d))
    open(path, "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
                           + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
def wallpaper(hue, waves):
    def pixel(x, y):
        r, g, b = colorsys.hsv_to_rgb((hue + y / 660) % 1, 0.55, 0.45 + 0.5 * math.sin(x / waves) ** 2)
        return int(r * 255), int(g * 255), int(b * 255)
    return pixel
def ball(hue, shape=0):
    r, g, b = (int(255 * c) for c in colorsys.hsv_to_rgb(hue, 0.8, 0.95))
    def pixel(x, y):
        dx, dy = x - 11.5, y - 11.5
        d = max(abs(dx), abs(dy)) if shape else (dx * dx + dy * dy) ** 0.5
        if d > 10.5:
            return 255, 0, 255
        s = max(0.35, 1.15 - d / 10.5 * 0.8)
        return min(255, int(r * s)), min(255, int(g * s)), min(255, int(b * s))
    return pixel
for i in range(4):
    bmp(f"{skin}/wall{i + 1}.bmp", 176, 220, wallpaper(i * 0.23, 14 + 5 * i))
names = ["battery", "bluetooth", "call", "camera", "clock", "contacts", "games", "inbox", "mail",
         "media", "music", "phone", "photos", "settings", "signal", "video", "alarm", "calc",
         "notes", "wifi"]
for i, name in enumerate(names):
    bmp(f"{skin}/icon_{name}.bmp", 24, 24, ball(i / len(names)))
png(f"{skin}/logo.png", 48, 48,
    lambda x, y: (40, 120, 220, 255 if (x - 24) ** 2 + (y - 24) ** 2 < 400 else 0))
# The next version: two icons redrawn square, a wallpaper changed, one icon new.
bmp(f"{update}/icon_mail.bmp", 24, 24, ball(0.4, 1))
bmp(f"{update}/icon_music.bmp", 24, 24, ball(0.9, 1))
bmp(f"{update}/wall2.bmp", 176, 220, wallpaper(0.6, 9))
bmp(f"{update}/icon_radio.bmp", 24, 24, ball(0.15, 1))
PY
for bmp in "$work"/skin/*.bmp; do "$cli" encode "$bmp" "${bmp%.bmp}.k" >/dev/null; rm "$bmp"; done
mv "$work/skin/logo.png" "$work/skin/logo.g"
convert -size 32x32 xc:orange -fill navy -draw "circle 16,16 16,5" "$work/skin/anim.gif"
mv "$work/skin/anim.gif" "$work/skin/anim.g"
printf 'menu' >"$work/skin/menu.a"
printf 'sounds' >"$work/skin/ring.a"
"$cli" pack "$work/skin" "$work/skin.ezx" >/dev/null
cp "$work/skin.ezx" "$work/skin-v2.ezx"
"$cli" update --convert "$work/skin-v2.ezx" "$work"/update/*.bmp >/dev/null
"$cli" delete "$work/skin-v2.ezx" ring.a >/dev/null
printf 'notes' >"$work/update/readme.txt"

cat >"$work/drive.sh" <<EOF2
#!/usr/bin/env bash
set -u
cd "$work"
openbox >/dev/null 2>&1 &
sleep 1
export XDG_CONFIG_HOME="$work/config"
# The window named by its title, activated; its geometry in X, Y, WIDTH, HEIGHT.
find_window() {
  window=\$(xdotool search --sync --onlyvisible --name "\$1" | head -1)
  xdotool windowactivate --sync "\$window"
  eval \$(xdotool getwindowgeometry --shell "\$window")
}
# The window with its frame: 10 pixels around, the title bar above.
shoot() {
  sleep 0.8
  import -window root "$work/screen.png"
  convert "$work/screen.png" -crop \$((WIDTH + 20))x\$((HEIGHT + 50))+\$((X - 10))+\$((Y - 40)) +repage "\$1"
}
"$app" "$work/skin/wall1.k" &
app=\$!
find_window '^wall1.k'
xdotool mousemove \$((X + 400)) \$((Y + 120)) click 1   # an icon of the list
xdotool key ctrl+equal ctrl+equal                        # 4x
xdotool mousemove \$((X + 800)) \$((Y + 700))
shoot "$root/docs/screenshot-open.png"
xdotool key End Up Up Up Up                              # wall4.k, still at 4x
xdotool mousemove \$((X + 150)) \$((Y + 260))
shoot "$root/docs/screenshot-zoom.png"
xdotool key ctrl+0
xdotool key alt+f c
sleep 1.5
xdotool type --delay 15 "$work/skin/wall1.k"
xdotool key Return
sleep 1.5
xdotool type --delay 15 "$work/converted"
xdotool key Return
sleep 1
xdotool key Return
sleep 2
xdotool mousemove \$((X + 800)) \$((Y + 700))  # off the tool bar, whose hints would cover the summary
shoot "$root/docs/screenshot-convert.png"
kill \$app
sleep 1

"$app" --package "$work/skin.ezx" &
app=\$!
find_window 'Lumigram workbench'
xdotool windowmove "\$window" 40 40
xdotool windowsize "\$window" 900 600
sleep 1
eval \$(xdotool getwindowgeometry --shell "\$window")
xdotool mousemove \$((X + 75)) \$((Y + 120)) click 1
xdotool key ctrl+equal ctrl+equal ctrl+equal
xdotool mousemove \$((X + 1000)) \$((Y + 750))
shoot "$root/docs/screenshot-workbench.png"
xdotool key alt+e f
sleep 1.5
xdotool type --delay 15 "$work/update"
xdotool key Return
sleep 2
find_window 'Replace from files'
shoot "$root/docs/screenshot-batch.png"
xdotool key Escape
kill \$app
sleep 1

"$app" --compare "$work/skin.ezx" "$work/skin-v2.ezx" &
app=\$!
find_window 'Lumigram compare'
xdotool key Down Down Down
shoot "$root/docs/screenshot-compare.png"
kill \$app
EOF2
chmod +x "$work/drive.sh"
mkdir -p docs
xvfb-run -a -s "-screen 0 1280x900x24" "$work/drive.sh"
ls -l docs/screenshot-*.png
