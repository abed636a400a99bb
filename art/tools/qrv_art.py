#!/usr/bin/python3
"""Turns the SVG sources of art/svg into the files the program loads.

Subcommands (the build calls them, see art/CMakeLists.txt):
  image    render one SVG with rsvg-convert and finish it as an opaque RGB PNG
           (flattened on white, cut with the key colour, or laid over a crop
           of another image), or keep its alpha channel (--alpha)
  gif      render the frames of an SVG animation into a looping GIF
  ico      pack RGBA PNGs into a Windows icon file
  check    verify the finished files against the manifest
  preview  a contact sheet and a mock of the main window, for looking at
"""

import argparse
import io
import math
import os
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

from PIL import Image, ImageDraw, ImageFont

SVG_NS = "http://www.w3.org/2000/svg"
KEY = (255, 0, 255)  # the colour that cuts a skinned window's shape
BAND = 5             # width of the outer band the window shape is cut from
WHITE = (255, 255, 255)
DARK_GREY = (0x46, 0x46, 0x46)  # the program's dark grey text


def fail(message):
    print(f"qrv_art: {message}", file=sys.stderr)
    sys.exit(1)


# ---------------------------------------------------------------- rendering

def scaled(value, percent):
    """A coordinate at a scale, as the program places it: nearest, halves up."""
    return (value * percent + 50) // 100


def prepare_svg(source, attrs, resize, pixels=None):
    """Returns the SVG text with the requested attribute changes applied;
    `pixels` (W, H) draws the whole picture into that many pixels."""
    ET.register_namespace("", SVG_NS)
    ET.register_namespace("xlink", "http://www.w3.org/1999/xlink")
    tree = ET.parse(source)
    root = tree.getroot()
    if resize:
        width, height = resize
        root.set("width", str(width))
        root.set("height", str(height))
    for assignment in attrs:
        target, equals, value = assignment.partition("=")
        ident, dot, name = target.partition(".")
        if not ident or not name or not dot or not equals:
            fail(f"bad --attr {assignment!r}: expected id.attribute=value")
        node = next((n for n in root.iter() if n.get("id") == ident), None)
        if node is None:
            fail(f"{source}: no element with id {ident!r}")
        node.set(name, value)
    if pixels:
        if root.get("viewBox") is None:
            root.set("viewBox", f"0 0 {root.get('width')} {root.get('height')}")
        root.set("preserveAspectRatio", "none")
        root.set("width", str(pixels[0]))
        root.set("height", str(pixels[1]))
    return ET.tostring(root, encoding="unicode")


def render(rsvg, source, attrs=(), resize=None, pixels=None):
    """Renders an SVG file (after attribute changes) to an RGBA image."""
    text = prepare_svg(source, attrs, resize, pixels)
    # The sources refer to no other file, so the changed text can be
    # rendered from a temporary folder.
    with tempfile.TemporaryDirectory() as tmp:
        svg_path = os.path.join(tmp, "in.svg")
        png_path = os.path.join(tmp, "out.png")
        with open(svg_path, "w", encoding="utf-8") as handle:
            handle.write(text)
        result = subprocess.run([rsvg, svg_path, "-o", png_path],
                                capture_output=True, text=True)
        if result.returncode != 0:
            fail(f"rsvg-convert failed on {source}: {result.stderr.strip()}")
        image = Image.open(png_path)
        image.load()
    return image.convert("RGBA")


def flatten(image, background):
    base = Image.new("RGBA", image.size, background + (255,))
    return Image.alpha_composite(base, image).convert("RGB")


def cut_with_key(image, source, band=BAND):
    """Hard-edges the shape: in the outer band every pixel becomes either the
    key colour or the opaque colour of the frame; no blended fringe."""
    width, height = image.size
    pixels = image.load()
    out = Image.new("RGB", image.size)
    dst = out.load()
    for y in range(height):
        for x in range(width):
            r, g, b, a = pixels[x, y]
            in_band = x < band or y < band or x >= width - band or y >= height - band
            if not in_band and a < 255:
                fail(f"{source}: pixel ({x}, {y}) is not opaque but lies inside "
                     f"the outer {band}-pixel band; the shape must be cut in the band")
            if a < 128:
                dst[x, y] = KEY
            else:
                # The colour of a partly covered pixel is the frame's own
                # colour (not premultiplied), so it is used as it is.
                dst[x, y] = (r, g, b)
                if (r, g, b) == KEY:
                    fail(f"{source}: the frame uses the key colour at ({x}, {y})")
    return out


def cmd_image(args):
    resize = parse_size(args.resize) if args.resize else None
    pixels = None
    percent = args.scale
    if percent != 100:
        # The size the program gives the picture at this scale: edge by
        # edge, so an overlay covers exactly its place on the scaled base.
        if not args.size:
            fail(f"{args.svg}: --scale needs --size")
        width, height = parse_size(args.size)
        x, y = (int(args.over[1]), int(args.over[2])) if args.over else (0, 0)
        pixels = (scaled(x + width, percent) - scaled(x, percent), scaled(y + height, percent) - scaled(y, percent))
    image = render(args.rsvg, args.svg, args.attr, resize, pixels)
    if args.size and image.size != (pixels or parse_size(args.size)):
        fail(f"{args.svg}: rendered {image.size[0]}x{image.size[1]}, expected {pixels or args.size}")
    if args.alpha:
        result = image
    elif args.key:
        result = cut_with_key(image, args.svg, scaled(BAND, percent))
    elif args.over:
        base_path, x, y = args.over[0], scaled(int(args.over[1]), percent), scaled(int(args.over[2]), percent)
        base = Image.open(base_path).convert("RGBA")
        box = (x, y, x + image.size[0], y + image.size[1])
        if box[2] > base.size[0] or box[3] > base.size[1]:
            fail(f"{args.svg}: does not fit into {base_path} at ({x}, {y})")
        result = Image.alpha_composite(base.crop(box), image).convert("RGB")
    else:
        result = flatten(image, WHITE)
    result.save(args.out, optimize=True)


# ---------------------------------------------------------------- animation

def cmd_gif(args):
    """Frames of a gliding element: the element args.element moves from
    args.start to args.end along x with an ease-in-out, over args.frames."""
    frames = []
    for i in range(args.frames):
        t = i / args.frames
        eased = 0.5 - 0.5 * math.cos(math.pi * t)
        x = round(args.start + (args.end - args.start) * eased)  # whole pixels keep the colours few
        image = render(args.rsvg, args.svg, [f"{args.element}.transform=translate({x} 0)"])
        frames.append(flatten(image, WHITE))
    if args.size and frames[0].size != parse_size(args.size):
        fail(f"{args.svg}: rendered {frames[0].size}, expected {args.size}")
    # One shared palette keeps the colours steady from frame to frame.
    strip = Image.new("RGB", (frames[0].size[0], frames[0].size[1] * len(frames)))
    for i, frame in enumerate(frames):
        strip.paste(frame, (0, i * frame.size[1]))
    colours = strip.getcolors(256)
    if colours is None:
        fail(f"{args.svg}: the animation needs more than 256 colours; a GIF holds 256")
    # Every colour kept exactly (Pillow's own mapping to a palette rounds).
    index = {rgb: i for i, (_, rgb) in enumerate(colours)}
    flat = [c for _, rgb in colours for c in rgb]
    quantized = []
    for frame in frames:
        paletted = Image.new("P", frame.size)
        paletted.putpalette(flat + [0] * (768 - len(flat)))
        paletted.putdata([index[rgb] for rgb in frame.getdata()])
        quantized.append(paletted)
    quantized[0].save(args.out, save_all=True, append_images=quantized[1:],
                      duration=args.ms, loop=0, optimize=False, disposal=1)


# ---------------------------------------------------------------- icon file

def ico_entry_bmp(image):
    """A 32-bit DIB with its AND mask, as every Windows version reads it."""
    width, height = image.size
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b, a = image.getpixel((x, y))
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_stride = ((width + 31) // 32) * 4
    mask = bytearray()
    for y in range(height - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(width):
            if image.getpixel((x, y))[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + b"".join(rows) + bytes(mask)


def ico_entry_png(image):
    buffer = io.BytesIO()
    image.save(buffer, format="PNG", optimize=True)
    return buffer.getvalue()


def cmd_ico(args):
    images = []
    for path in args.png:
        image = Image.open(path).convert("RGBA")
        if image.size[0] != image.size[1]:
            fail(f"{path}: icon images must be square")
        images.append(image)
    images.sort(key=lambda im: im.size[0])
    # Sizes up to 48 as DIBs (older systems read only those); 256 as PNG.
    blobs = [ico_entry_png(im) if im.size[0] >= 256 else ico_entry_bmp(im) for im in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for image, blob in zip(images, blobs):
        side = image.size[0] % 256  # 0 means 256
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    out += b"".join(blobs)
    with open(args.out, "wb") as handle:
        handle.write(out)


# ---------------------------------------------------------------- checks

def luminance(rgb):
    def channel(c):
        c = c / 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(c) for c in rgb[:3])
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def average(image, box):
    region = image.crop(box).convert("RGB")
    count = region.size[0] * region.size[1]
    sums = [0, 0, 0]
    for pixel in region.getdata():
        for i in range(3):
            sums[i] += pixel[i]
    return tuple(s / count for s in sums)


class Checker:
    def __init__(self):
        self.errors = []

    def expect(self, condition, message):
        if not condition:
            self.errors.append(message)
        return condition

    def keyed_shape(self, name, image):
        """The rules the program's window shape relies on."""
        width, height = image.size
        px = image.load()
        self.expect(px[1, 1] == KEY, f"{name}: pixel (1, 1) is {px[1, 1]}, not the key colour")
        for corner in ((0, 0), (width - 1, 0), (0, height - 1), (width - 1, height - 1)):
            self.expect(px[corner] == KEY, f"{name}: corner {corner} is not the key colour")
        for edge in ((width // 2, 0), (width // 2, height - 1), (0, height // 2), (width - 1, height // 2)):
            self.expect(px[edge] != KEY, f"{name}: the frame does not reach the edge at {edge}")
        fringe = 0
        for y in range(height):
            for x in range(width):
                colour = px[x, y]
                in_band = x < BAND or y < BAND or x >= width - BAND or y >= height - BAND
                if colour == KEY:
                    if not in_band:
                        self.errors.append(f"{name}: key colour at ({x}, {y}) inside the window would show")
                        return
                    continue
                # A blend of the key with the frame shows as a pink fringe.
                r, g, b = colour
                if r - g > 60 and b - g > 60:
                    fringe += 1
        self.expect(fringe == 0, f"{name}: {fringe} pinkish pixels in the frame (blended key colour)")
        # The key colour must form runs that start at the image's edge: a key
        # pixel inside the frame line would cut a hole into the window.
        for y in range(height):
            row = [px[x, y] == KEY for x in range(width)]
            left = 0
            while left < width and row[left]:
                left += 1
            right = width
            while right > left and row[right - 1]:
                right -= 1
            holes = sum(row[left:right])
            if not self.expect(holes == 0, f"{name}: row {y} has key pixels inside the frame"):
                return
        # The rounded corners are cut and symmetric, so the shape is even.
        cut_top_left = sum(px[x, y] == KEY for x in range(BAND) for y in range(BAND))
        for corner_name, xs, ys in (("top right", range(width - BAND, width), range(BAND)),
                                    ("bottom left", range(BAND), range(height - BAND, height)),
                                    ("bottom right", range(width - BAND, width), range(height - BAND, height))):
            cut = sum(px[x, y] == KEY for x in xs for y in ys)
            self.expect(cut == cut_top_left, f"{name}: the {corner_name} corner cuts {cut} pixels, "
                                             f"the top left {cut_top_left}")

    def text_contrast(self, name, image, box, text, minimum=4.5):
        ratio = contrast(average(image, box), text)
        self.expect(ratio >= minimum, f"{name}: text colour {text} on the area {box} has contrast "
                                      f"{ratio:.2f}, below {minimum}")


def read_manifest(path):
    entries = {}
    with open(path, encoding="utf-8") as handle:
        for line in handle:
            line = line.rstrip("\n")
            if not line:
                continue
            name, file_path, size, kind = line.split("\t")
            width, height = parse_size(size)
            entries[name] = (file_path, (width, height), kind)
    return entries


def cmd_check(args):
    entries = read_manifest(args.manifest)
    check = Checker()
    images = {}
    for name, (path, size, kind) in entries.items():
        if not check.expect(os.path.exists(path), f"{name}: {path} is missing"):
            continue
        image = Image.open(path)
        images[name] = image
        check.expect(image.size == size, f"{name}: {image.size[0]}x{image.size[1]}, expected {size[0]}x{size[1]}")
        if kind == "gif":
            check.expect(image.format == "GIF", f"{name}: not a GIF")
            check.expect(getattr(image, "n_frames", 1) > 1, f"{name}: has a single frame")
            check.expect(image.info.get("loop") == 0, f"{name}: does not loop for ever")
            check.expect(image.convert("RGB").getpixel((0, 0)) == WHITE, f"{name}: background is not white")
            continue
        if kind == "ico":
            check.expect(image.format == "ICO", f"{name}: not an icon file")
            sizes = sorted(s[0] for s in image.info.get("sizes", set()))
            check.expect(sizes == [16, 32, 48, 256], f"{name}: holds sizes {sizes}, expected 16, 32, 48 and 256")
            continue
        check.expect(image.mode == "RGB", f"{name}: mode {image.mode}; the program expects opaque RGB PNGs")
        if kind == "keyed":
            check.keyed_shape(name, image.convert("RGB"))
        elif kind == "tile":
            column = [image.getpixel((0, y)) for y in range(image.size[1])]
            same = all(image.getpixel((x, y)) == column[y]
                       for x in range(image.size[0]) for y in range(image.size[1]))
            check.expect(same, f"{name}: columns differ, so it cannot be cropped, stretched or tiled")
        else:
            check.expect(kind == "opaque", f"{name}: unknown kind {kind}")

    def have(*names):
        return all(n in images for n in names)

    # The main window: page area, help link, title text band.
    if have("background"):
        bg = images["background"].convert("RGB")
        page = bg.crop((25, 110, 741, 517))
        check.expect(page.getextrema() == ((255, 255), (255, 255), (255, 255)),
                     "background: the page area 25,110 716x407 is not plain white")
        check.text_contrast("background", bg, (560, 520, 729, 536), DARK_GREY)
    # Tabs: caption contrast and that tab N differs from tab M only inside
    # the two tabs' own places (pointer below included).
    for n in range(1, 6):
        if not have(f"tab{n}"):
            continue
        tab = images[f"tab{n}"].convert("RGB")
        for m in range(1, 6):
            left = 22 + 90 * (m - 1)
            box = (left + 8, 8, left + 72, 29)
            check.text_contrast(f"tab{n}", tab, box, WHITE if m == n else DARK_GREY)
        if have("background"):
            base = images["background"].convert("RGB").crop((278, 52, 760, 94))
            for x in range(tab.size[0]):
                inside = any(22 + 90 * (k - 1) <= x < 102 + 90 * (k - 1) for k in range(1, 6))
                if inside:
                    continue
                for y in range(tab.size[1]):
                    if tab.getpixel((x, y)) != base.getpixel((x, y)):
                        check.errors.append(f"tab{n}: pixel ({x}, {y}) between the tabs differs from the background")
                        break
                else:
                    continue
                break
    # Top buttons: the normal image blends into the title bar at its corners.
    if have("background"):
        bg = images["background"].convert("RGB")
        for i, (stem, x) in enumerate((("top_about", 678), ("top_minimize", 704), ("top_close", 730))):
            if have(stem + "_a"):
                a = images[stem + "_a"].convert("RGB")
                check.expect(a.getpixel((0, 0)) == bg.getpixel((x, 9)),
                             f"{stem}_a: its corner does not match the background at ({x}, 9)")
    # Standard and large buttons: their caption colours.
    for name in ("button_a", "button_b"):
        if have(name):
            check.text_contrast(name, images[name].convert("RGB"), (20, 9, 103, 23), WHITE)
    for name in ("button_large_a", "button_large_b"):
        if have(name):
            check.text_contrast(name, images[name].convert("RGB"), (120, 20, 500, 58), DARK_GREY)
    # Dialogs: white title text on the band, dark text and buttons on the body.
    for name, (path, size, kind) in entries.items():
        if name.startswith("dialog_") and have(name):
            dialog = images[name].convert("RGB")
            check.text_contrast(name, dialog, (24, 8, 160, 24), WHITE)
            w, h = dialog.size
            body = dialog.crop((BAND, 40, w - BAND, h - BAND))
            check.expect(body.getextrema() == ((255, 255), (255, 255), (255, 255)),
                         f"{name}: the body below the title band is not plain white")
    if check.errors:
        for error in check.errors:
            print(f"art check: {error}", file=sys.stderr)
        fail(f"{len(check.errors)} problem(s) in the artwork")
    if args.stamp:
        with open(args.stamp, "w", encoding="utf-8") as handle:
            handle.write("ok\n")


# ---------------------------------------------------------------- preview

def load_font(size, bold=True):
    names = ["DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"]
    for folder in ("/usr/share/fonts/truetype/dejavu",):
        for name in names:
            path = os.path.join(folder, name)
            if os.path.exists(path):
                return ImageFont.truetype(path, size)
    return ImageFont.load_default()


def centred_text(draw, box, text, font, fill):
    left, top, right, bottom = box
    l, t, r, b = draw.textbbox((0, 0), text, font=font)
    x = left + (right - left - (r - l)) / 2 - l
    y = top + (bottom - top - (b - t)) / 2 - t
    draw.text((x, y), text, font=font, fill=fill)


def cmd_preview(args):
    """Pictures to judge the look by: a contact sheet of every image (small
    ones also enlarged) and mocks of pages and dialogs with stand-in texts."""
    entries = read_manifest(args.manifest)
    out_dir = args.dir

    def img(name):
        return Image.open(entries[name][0]).convert("RGBA")

    def shaped(name):
        """The image with its key colour made transparent, as the window is cut."""
        image = img(name)
        pixels = image.load()
        for y in range(image.size[1]):
            for x in range(image.size[0]):
                if pixels[x, y][:3] == KEY:
                    pixels[x, y] = (0, 0, 0, 0)
        return image

    desk = (96, 110, 126, 255)
    label_font = load_font(11, bold=False)

    # Contact sheet.
    tiles = []
    for name, (path, size, kind) in entries.items():
        if kind == "ico":
            icon = Image.open(path)
            for side in (16, 32, 48, 256):
                icon.size = (side, side)
                tiles.append((f"{name} {side}", icon.convert("RGBA").copy()))
        else:
            tiles.append((name, Image.open(path).convert("RGBA")))
    small = [(n, im) for n, im in tiles if im.size[0] <= 64 and im.size[1] <= 64]
    for name, image in small:
        tiles.append((f"{name} x4", image.resize((image.size[0] * 4, image.size[1] * 4), Image.NEAREST)))
    sheet_width = 1600
    x = y = 16
    row_height = 0
    placements = []
    for name, image in tiles:
        w, h = image.size
        if x + w + 16 > sheet_width:
            x = 16
            y += row_height + 34
            row_height = 0
        placements.append((name, image, x, y))
        x += max(w, 110) + 20
        row_height = max(row_height, h)
    sheet = Image.new("RGBA", (sheet_width, y + row_height + 40), (206, 212, 218, 255))
    draw = ImageDraw.Draw(sheet)
    for name, image, px, py in placements:
        sheet.alpha_composite(image, (px, py))
        draw.text((px, py + image.size[1] + 4), f"{name} {image.size[0]}x{image.size[1]}",
                  font=label_font, fill=(40, 40, 40, 255))
    sheet.convert("RGB").save(os.path.join(out_dir, "contact.png"))

    bold = {size: load_font(size) for size in (11, 12, 13, 16, 20, 26)}
    plain = {size: load_font(size, bold=False) for size in (11, 12)}

    def window(active):
        canvas = Image.new("RGBA", (805, 586), desk)
        canvas.alpha_composite(shaped("background"), (20, 20))
        canvas.alpha_composite(img(f"tab{active}"), (20 + 278, 20 + 52))
        canvas.alpha_composite(img("top_about_a"), (20 + 678, 20 + 9))
        canvas.alpha_composite(img("top_minimize_b"), (20 + 704, 20 + 9))
        canvas.alpha_composite(img("top_close_a"), (20 + 730, 20 + 9))
        draw = ImageDraw.Draw(canvas)
        for n, caption in enumerate(("Home", "Registry", "Clean Up", "Optimize", "About"), start=1):
            left = 20 + 300 + 90 * (n - 1)
            centred_text(draw, (left, 20 + 54, left + 80, 20 + 87), caption, bold[13],
                         WHITE if n == active else DARK_GREY)
        text = "< Back" if active in (2, 3, 4) else "> Help"
        l, t, r, b = draw.textbbox((0, 0), text, font=bold[13])
        draw.text((20 + 728 - (r - l) - l, 20 + 520 - t + 1), text, font=bold[13], fill=DARK_GREY)
        return canvas, draw, 20 + 25, 20 + 110

    def button(canvas, draw, name, x, y, caption, font=bold[13]):
        canvas.alpha_composite(img(name), (x, y))
        colour = DARK_GREY if name.startswith("button_large") else WHITE
        w, h = img(name).size
        centred_text(draw, (x, y, x + w, y + h), caption, font, colour)

    red, green = (255, 0, 0), (0, 128, 0)

    # Home.
    canvas, draw, px, py = window(1)
    draw.text((px + 24, py + 16), "Welcome to Quorvane", font=bold[20], fill=DARK_GREY)
    draw.text((px + 24, py + 48), "Select the Start Scan button to begin optimizing and cleaning your PC",
              font=plain[12], fill=DARK_GREY)
    draw.text((px + 24, py + 92), "Status", font=bold[16], fill=DARK_GREY)
    lines = ("Registry Error Check", "Privacy Check and Clean", "Residual File Cleaning",
             "Start up Optimization", "Performance Boost", "Scheduled Scan")
    for i, line in enumerate(lines):
        yy = py + 128 + 30 * i
        draw.text((px + 48, yy), line, font=bold[13], fill=DARK_GREY)
        l, t, r, b = draw.textbbox((px + 48, yy), line, font=bold[13])
        draw.line((l, b + 2, r, b + 2), fill=DARK_GREY)
        status, colour = (("Last run 12/05/2025", (0, 0, 0)) if i < 3 else
                          ("Off", red) if i == 5 else ("Never run", red))
        draw.text((px + 260, yy + 1), status, font=plain[12], fill=colour)
    canvas.alpha_composite(img("gauge3"), (px + 480, py + 110))
    button(canvas, draw, "button_a", px + 498, py + 300, "Start Scan")
    canvas.convert("RGB").save(os.path.join(out_dir, "mock_tab1.png"))

    # Registry, in the middle of a scan.
    canvas, draw, px, py = window(2)
    draw.text((px + 24, py + 12), "Fix registry errors", font=bold[20], fill=DARK_GREY)
    categories = ("Software locations", "Shared/known programs", "File associations", "Com/ActiveX",
                  "Interfaces/Types", "Startup programs list", "Uninstall entries", "Help and resources",
                  "Fonts and sounds", "Temporary registry values")
    for i, caption in enumerate(categories):
        yy = py + 52 + 26 * i
        draw.text((px + 60, yy), caption, font=bold[13], fill=DARK_GREY)
        if i < 4:
            found = (0, 3, 12, 0)[i]
            text = f"{found} errors detected"
            draw.text((px + 320, yy), text, font=bold[13], fill=red if found else DARK_GREY)
            if found:
                l, t, r, b = draw.textbbox((px + 320, yy), text, font=bold[13])
                draw.line((l, b + 2, r, b + 2), fill=red)
                canvas.alpha_composite(img("warning"), (px + 296, yy + 1))
    canvas.alpha_composite(img("row_marker"), (px + 38, py + 52 + 26 * 4 + 1))
    draw.text((px + 24, py + 326), "Interfaces/Types", font=plain[11], fill=DARK_GREY)
    canvas.alpha_composite(img("progress_track"), (px + 24, py + 344))
    canvas.alpha_composite(img("progress_fill").crop((0, 0, 213, 12)), (px + 24, py + 344))
    button(canvas, draw, "button_b", px + 580, py + 334, "Stop")
    canvas.convert("RGB").save(os.path.join(out_dir, "mock_tab2.png"))

    # Clean Up.
    canvas, draw, px, py = window(3)
    captions = ("Clean up privacy and temporary files", "Clean up residual files", "Fix invalid short cuts")
    for i, top in enumerate((32, 136, 256)):
        button(canvas, draw, "button_large_b" if i == 1 else "button_large_a", px + 93, py + top, "")
        canvas.alpha_composite(img(f"cleanup_icon{i + 1}"), (px + 93 + 18, py + top + 11))
        centred_text(draw, (px + 184, py + top + 6, px + 624, py + top + 70), captions[i], bold[13], DARK_GREY)
    canvas.convert("RGB").save(os.path.join(out_dir, "mock_tab3.png"))

    # About tab, Log/Undo page.
    canvas, draw, px, py = window(5)
    for i, label in enumerate(("Log files location", "Undo files location")):
        yy = py + 22 + 30 * i
        l, t, r, b = draw.textbbox((0, 0), label, font=plain[12])
        draw.text((px + 222 - (r - l), yy + 3), label, font=plain[12], fill=DARK_GREY)
        draw.rectangle((px + 231, yy, px + 601, yy + 22), outline=(180, 190, 200), fill=WHITE)
        canvas.alpha_composite(img("folder_b" if i else "folder_a"), (px + 607, yy + 2))
    canvas.alpha_composite(img("radio_on"), (px + 204, py + 84))
    draw.text((px + 224, py + 84), "Log files", font=plain[12], fill=DARK_GREY)
    canvas.alpha_composite(img("radio_off"), (px + 308, py + 84))
    draw.text((px + 328, py + 84), "Undo files", font=plain[12], fill=DARK_GREY)
    draw.rectangle((px + 44, py + 118, px + 204, py + 298), outline=(180, 190, 200), fill=WHITE)
    for i in range(4):
        yy = py + 122 + 20 * i
        canvas.alpha_composite(img("tick_on" if i % 2 == 0 else "tick_off"), (px + 48, yy))
        draw.text((px + 70, yy + 1), f"Log 2025-05-1{i}.log", font=plain[11], fill=(0, 0, 0))
    draw.rectangle((px + 215, py + 118, px + 665, py + 298), outline=(180, 190, 200), fill=WHITE)
    button(canvas, draw, "button_a", px + 228, py + 328, "Delete")
    button(canvas, draw, "button_a", px + 360, py + 328, "Save as")
    canvas.convert("RGB").save(os.path.join(out_dir, "mock_tab5.png"))

    # Dialogs: Confirmation, About, and the tweaks dialog with its close glyph.
    canvas = Image.new("RGBA", (1180, 540), desk)
    draw = ImageDraw.Draw(canvas)
    x0, y0 = 20, 20
    canvas.alpha_composite(shaped("dialog_350x230"), (x0, y0))
    draw.text((x0 + 24, y0 + 9), "Confirmation", font=bold[13], fill=WHITE)
    draw.text((x0 + 28, y0 + 58), "Apply these settings?", font=plain[12], fill=DARK_GREY)
    button(canvas, draw, "button_b", x0 + 40, y0 + 170, "Ok")
    button(canvas, draw, "button_a", x0 + 192, y0 + 170, "Cancel")
    x0, y0 = 20, 280
    canvas.alpha_composite(shaped("dialog_350x230"), (x0, y0))
    draw.text((x0 + 24, y0 + 9), "Information", font=bold[13], fill=WHITE)
    draw.text((x0 + 28, y0 + 58), "Some data will be deleted after reboot.", font=plain[12], fill=DARK_GREY)
    canvas.alpha_composite(img("tick_off"), (x0 + 86, y0 + 143))
    draw.text((x0 + 108, y0 + 144), "Do not show this window again", font=plain[11], fill=DARK_GREY)
    button(canvas, draw, "button_a", x0 + 112, y0 + 176, "Ok")
    x0, y0 = 390, 20
    canvas.alpha_composite(shaped("dialog_410x410"), (x0, y0))
    draw.text((x0 + 24, y0 + 9), "About", font=bold[13], fill=WHITE)
    draw.text((x0 + 96, y0 + 38), "Quorvane", font=bold[26], fill=DARK_GREY)
    draw.text((x0 + 300, y0 + 44), "Version 2.1", font=plain[11], fill=DARK_GREY)
    canvas.alpha_composite(img("logo"), (x0 + 40, y0 + 80))
    button(canvas, draw, "button_a", x0 + 142, y0 + 350, "Close")
    x0, y0 = 820, 20
    big = shaped("dialog_730x470").resize((365, 235), Image.LANCZOS)
    # The large dialog at half size would blur the glyph; show its band at full size instead.
    band = shaped("dialog_730x470").crop((380, 0, 730, 120))
    band.alpha_composite(img("close_glyph_b"), (698 - 380, 3))
    canvas.alpha_composite(band, (x0, y0))
    draw.text((x0 + 8, y0 + 6), "... Optimize Windows (right end)", font=bold[12], fill=WHITE)
    for i in range(3):
        canvas.alpha_composite(img("tick_on" if i != 1 else "tick_off"), (x0 + 16, y0 + 50 + 20 * i))
        draw.text((x0 + 44, y0 + 51 + 20 * i), ("Speed up menus", "Windows XP tracks its user",
                                                  "Prefetch")[i], font=plain[11], fill=DARK_GREY)
    canvas.alpha_composite(big, (x0, y0 + 150))
    canvas.convert("RGB").save(os.path.join(out_dir, "mock_dialogs.png"))


# ---------------------------------------------------------------- main

def parse_size(text):
    try:
        width, height = (int(v) for v in text.lower().split("x"))
    except ValueError:
        fail(f"bad size {text!r}: expected WxH")
    return width, height


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)

    p = sub.add_parser("image")
    p.add_argument("--rsvg", required=True)
    p.add_argument("--svg", required=True)
    p.add_argument("--out", required=True)
    p.add_argument("--size", help="expected size WxH")
    p.add_argument("--resize", help="set the SVG's width and height to WxH before rendering")
    p.add_argument("--scale", type=int, default=100,
                   help="render at this percentage of --size (the program's scaled pictures)")
    p.add_argument("--attr", action="append", default=[], help="id.attribute=value, changed before rendering")
    mode = p.add_mutually_exclusive_group()
    mode.add_argument("--key", action="store_true", help="cut the shape with the key colour")
    mode.add_argument("--over", nargs=3, metavar=("BASE", "X", "Y"), help="lay over a crop of BASE")
    mode.add_argument("--alpha", action="store_true", help="keep the alpha channel (RGBA)")
    p.set_defaults(func=cmd_image)

    p = sub.add_parser("gif")
    p.add_argument("--rsvg", required=True)
    p.add_argument("--svg", required=True)
    p.add_argument("--out", required=True)
    p.add_argument("--size")
    p.add_argument("--element", required=True)
    p.add_argument("--start", type=float, required=True)
    p.add_argument("--end", type=float, required=True)
    p.add_argument("--frames", type=int, default=36)
    p.add_argument("--ms", type=int, default=45)
    p.set_defaults(func=cmd_gif)

    p = sub.add_parser("ico")
    p.add_argument("--out", required=True)
    p.add_argument("png", nargs="+")
    p.set_defaults(func=cmd_ico)

    p = sub.add_parser("check")
    p.add_argument("--manifest", required=True)
    p.add_argument("--stamp")
    p.set_defaults(func=cmd_check)

    p = sub.add_parser("preview")
    p.add_argument("--manifest", required=True)
    p.add_argument("--dir", required=True)
    p.set_defaults(func=cmd_preview)

    args = parser.parse_args()
    args.func(args)


if __name__ == "__main__":
    main()
