#!/usr/bin/env python3
"""Prints the dialog templates and icons of a compiled 32-bit .res file.

Reads the binary that windres writes with -O res, not the script, so that what
is shown is what the program will load: every style bit the resource compiler
added or dropped is visible here.

Usage:
  i686-w64-mingw32-windres -I res res/unins.rc -O res -o /tmp/unins.res
  tools/dump-dialog.py /tmp/unins.res [--check]

With --check the progress dialog and the icon are also compared with the
layout the program expects; differences are listed and the exit code is 1.
"""
import struct
import sys

RT_ICON, RT_DIALOG, RT_GROUP_ICON = 3, 5, 14

WINDOW_STYLES = [
    ("WS_POPUP", 0x80000000), ("WS_CHILD", 0x40000000), ("WS_MINIMIZE", 0x20000000),
    ("WS_VISIBLE", 0x10000000), ("WS_DISABLED", 0x08000000),
    ("WS_CLIPSIBLINGS", 0x04000000), ("WS_CLIPCHILDREN", 0x02000000),
    ("WS_MAXIMIZE", 0x01000000), ("WS_CAPTION", 0x00C00000), ("WS_BORDER", 0x00800000),
    ("WS_DLGFRAME", 0x00400000), ("WS_VSCROLL", 0x00200000), ("WS_HSCROLL", 0x00100000),
    ("WS_SYSMENU", 0x00080000), ("WS_THICKFRAME", 0x00040000), ("WS_GROUP", 0x00020000),
    ("WS_TABSTOP", 0x00010000),
]
DIALOG_STYLES = [
    ("DS_ABSALIGN", 0x1), ("DS_SYSMODAL", 0x2), ("DS_3DLOOK", 0x4), ("DS_FIXEDSYS", 0x8),
    ("DS_NOFAILCREATE", 0x10), ("DS_LOCALEDIT", 0x20), ("DS_SETFONT", 0x40),
    ("DS_MODALFRAME", 0x80), ("DS_NOIDLEMSG", 0x100), ("DS_SETFOREGROUND", 0x200),
    ("DS_CONTROL", 0x400), ("DS_CENTER", 0x800), ("DS_CENTERMOUSE", 0x1000),
    ("DS_CONTEXTHELP", 0x2000),
]
LISTBOX_STYLES = [
    ("LBS_NOTIFY", 0x1), ("LBS_SORT", 0x2), ("LBS_NOREDRAW", 0x4), ("LBS_MULTIPLESEL", 0x8),
    ("LBS_OWNERDRAWFIXED", 0x10), ("LBS_OWNERDRAWVARIABLE", 0x20), ("LBS_HASSTRINGS", 0x40),
    ("LBS_USETABSTOPS", 0x80), ("LBS_NOINTEGRALHEIGHT", 0x100), ("LBS_MULTICOLUMN", 0x200),
    ("LBS_WANTKEYBOARDINPUT", 0x400), ("LBS_EXTENDEDSEL", 0x800),
    ("LBS_DISABLENOSCROLL", 0x1000), ("LBS_NODATA", 0x2000), ("LBS_NOSEL", 0x4000),
]
BUTTON_TYPES = ["BS_PUSHBUTTON", "BS_DEFPUSHBUTTON", "BS_CHECKBOX", "BS_AUTOCHECKBOX",
                "BS_RADIOBUTTON", "BS_3STATE", "BS_AUTO3STATE", "BS_GROUPBOX",
                "BS_USERBUTTON", "BS_AUTORADIOBUTTON", "BS_PUSHBOX", "BS_OWNERDRAW"]
STATIC_TYPES = ["SS_LEFT", "SS_CENTER", "SS_RIGHT"]
CLASS_ATOMS = {0x80: "Button", 0x81: "Edit", 0x82: "Static", 0x83: "ListBox",
               0x84: "ScrollBar", 0x85: "ComboBox"}
KNOWN_CLASSES = {name.upper(): name for name in CLASS_ATOMS.values()}


class Reader:
    def __init__(self, data, pos=0):
        self.data = data
        self.pos = pos

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.pos)
        self.pos += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def align(self, n=4):
        self.pos = (self.pos + n - 1) // n * n

    def sz_or_ord(self):
        """A resource name or number: 0xFFFF then a WORD, or a UTF-16 string."""
        first = self.take("H")
        if first == 0xFFFF:
            return self.take("H")
        chars = []
        while first != 0:
            chars.append(chr(first))
            first = self.take("H")
        return "".join(chars)


def read_resources(data):
    """Yields (type, name, payload) for each entry of a 32-bit .res file."""
    pos = 0
    while pos + 8 <= len(data):
        data_size, header_size = struct.unpack_from("<II", data, pos)
        r = Reader(data, pos + 8)
        rtype = r.sz_or_ord()
        name = r.sz_or_ord()
        start = pos + header_size
        if data_size or rtype != 0:  # the leading empty entry has type 0
            yield rtype, name, data[start:start + data_size]
        pos = (start + data_size + 3) // 4 * 4


def style_names(style, cls):
    names = []
    rest = style
    for name, bit in WINDOW_STYLES:
        # WS_CAPTION is two bits; name it only when both are set.
        if name in ("WS_BORDER", "WS_DLGFRAME") and (style & 0x00C00000) == 0x00C00000:
            continue
        if rest & bit == bit and bit:
            names.append(name)
            rest &= ~bit
    low = rest & 0xFFFF
    if cls == "dialog":
        table = DIALOG_STYLES
    elif cls == "ListBox":
        table = LISTBOX_STYLES
    else:
        table = []
    for name, bit in table:
        if low & bit:
            names.append(name)
            low &= ~bit
    if cls == "Button":
        kind = low & 0xF
        names.append(BUTTON_TYPES[kind] if kind < len(BUTTON_TYPES) else f"BS_TYPE_{kind:#x}")
        low &= ~0xF
    elif cls == "Static":
        kind = low & 0x1F
        names.append(STATIC_TYPES[kind] if kind < len(STATIC_TYPES) else f"SS_TYPE_{kind:#x}")
        low &= ~0x1F
    if low:
        names.append(f"{low:#x}")
    return names


def parse_dialog(payload):
    r = Reader(payload)
    style, exstyle, count, x, y, cx, cy = r.take("IIHhhhh")
    if style >> 16 == 0xFFFF:
        raise ValueError("extended (DIALOGEX) template")
    dialog = {"style": style, "exstyle": exstyle, "x": x, "y": y, "cx": cx, "cy": cy,
              "menu": r.sz_or_ord(), "class": r.sz_or_ord(), "title": r.sz_or_ord(),
              "font": None, "controls": []}
    if style & 0x40:  # DS_SETFONT
        size = r.take("H")
        dialog["font"] = (size, r.sz_or_ord())
    for _ in range(count):
        r.align()
        cstyle, cexstyle, x, y, cx, cy, cid = r.take("IIhhhhH")
        cls = r.sz_or_ord()
        text = r.sz_or_ord()
        extra = r.take("H")
        r.pos += extra
        if isinstance(cls, int):
            cls = CLASS_ATOMS.get(cls, f"atom {cls:#x}")
        else:
            # windres stores a class given by name upper-cased; window class
            # names are case-insensitive, so show the usual spelling.
            cls = KNOWN_CLASSES.get(cls.upper(), cls)
        dialog["controls"].append({"id": cid, "class": cls, "style": cstyle,
                                   "exstyle": cexstyle, "x": x, "y": y, "cx": cx, "cy": cy,
                                   "text": text})
    return dialog


def parse_group_icon(payload):
    r = Reader(payload)
    _, kind, count = r.take("HHH")
    images = []
    for _ in range(count):
        width, height, colours, _, planes, bits, size, image_id = r.take("BBBBHHIH")
        images.append({"width": width or 256, "height": height or 256,
                       "colours": colours, "planes": planes, "bits": bits,
                       "size": size, "id": image_id})
    return kind, images


def print_dialog(name, d):
    print(f"DIALOG {name}")
    print(f"  style   {d['style']:#010x}  {' | '.join(style_names(d['style'], 'dialog'))}")
    print(f"  exstyle {d['exstyle']:#010x}")
    print(f"  x, y    {d['x']}, {d['y']}    cx x cy {d['cx']} x {d['cy']}")
    print(f"  menu {d['menu']!r}  class {d['class']!r}  title {d['title']!r}")
    if d["font"]:
        print(f"  font    {d['font'][0]} {d['font'][1]!r}")
    for c in d["controls"]:
        print(f"  control {c['id']:5}  {c['class']:8} style {c['style']:#010x} "
              f"ex {c['exstyle']:#x}  at {c['x']:3}, {c['y']:3}  size {c['cx']:3} x {c['cy']:3}"
              f"  text {c['text']!r}")
        print(f"          {' | '.join(style_names(c['style'], c['class']))}")


# The progress dialog as the program lays it out: controls in tab order.
EXPECTED_DIALOG = {
    "name": 101,
    "style": {"WS_POPUP", "WS_CAPTION", "WS_SYSMENU", "DS_MODALFRAME", "DS_CENTER",
              "DS_SETFONT", "DS_ABSALIGN"},
    "rect": (0, 0, 305, 198),
    "font": (8, "MS Sans Serif"),
    "title": "Dialog",
    "controls": [
        (1000, "Button", (248, 177, 50, 14), {"WS_VISIBLE", "WS_TABSTOP", "BS_PUSHBUTTON"}),
        (1001, "Static", (7, 55, 291, 18), {"WS_VISIBLE", "WS_GROUP", "SS_CENTER"}),
        (1002, "ListBox", (7, 74, 291, 94),
         {"WS_VISIBLE", "WS_TABSTOP", "WS_BORDER", "WS_VSCROLL", "LBS_SORT", "LBS_NOTIFY",
          "LBS_NOINTEGRALHEIGHT"}),
        (1003, "Button", (7, 177, 70, 14), {"WS_VISIBLE", "WS_TABSTOP", "BS_PUSHBUTTON"}),
        (1004, "Button", (84, 177, 70, 14), {"WS_VISIBLE", "WS_TABSTOP", "BS_PUSHBUTTON"}),
        (1005, "ListBox", (7, 7, 291, 46),
         {"WS_VISIBLE", "WS_TABSTOP", "WS_BORDER", "WS_VSCROLL", "LBS_NOTIFY",
          "LBS_NOINTEGRALHEIGHT"}),
        (1006, "Button", (127, 62, 50, 14), {"WS_TABSTOP", "BS_DEFPUSHBUTTON"}),
    ],
}
EXPECTED_ICON = 104


def check(dialogs, group_icons, icons):
    problems = []
    d = dialogs.get(EXPECTED_DIALOG["name"])
    if d is None:
        return [f"no dialog {EXPECTED_DIALOG['name']}"]
    got = set(style_names(d["style"], "dialog"))
    if got != EXPECTED_DIALOG["style"]:
        problems.append(f"dialog style {sorted(got)} != {sorted(EXPECTED_DIALOG['style'])}")
    if (d["x"], d["y"], d["cx"], d["cy"]) != EXPECTED_DIALOG["rect"]:
        problems.append(f"dialog rectangle {(d['x'], d['y'], d['cx'], d['cy'])}")
    if d["font"] != EXPECTED_DIALOG["font"]:
        problems.append(f"dialog font {d['font']}")
    # An empty name is the single 0 word: no menu, the default dialog class.
    if d["title"] != EXPECTED_DIALOG["title"] or d["menu"] != "" or d["class"] != "":
        problems.append(f"dialog title/menu/class {d['title']!r} {d['menu']!r} {d['class']!r}")
    if d["exstyle"] != 0:
        problems.append(f"dialog exstyle {d['exstyle']:#x}")
    if len(d["controls"]) != len(EXPECTED_DIALOG["controls"]):
        problems.append(f"{len(d['controls'])} controls")
    for c, (cid, cls, rect, styles) in zip(d["controls"], EXPECTED_DIALOG["controls"]):
        where = f"control {c['id']}"
        if c["id"] != cid:
            problems.append(f"{where}: expected id {cid} here")
        if c["class"] != cls:
            problems.append(f"{where}: class {c['class']!r}")
        if (c["x"], c["y"], c["cx"], c["cy"]) != rect:
            problems.append(f"{where}: rectangle {(c['x'], c['y'], c['cx'], c['cy'])}")
        got = set(style_names(c["style"], c["class"]))
        if got != styles | {"WS_CHILD"}:
            problems.append(f"{where}: style {sorted(got)}")
        if c["exstyle"] != 0 or c["text"] != "":
            problems.append(f"{where}: exstyle {c['exstyle']:#x} text {c['text']!r}")
    group = group_icons.get(EXPECTED_ICON)
    if group is None:
        problems.append(f"no icon {EXPECTED_ICON}")
    else:
        images = group[1]
        if len(images) != 1:
            problems.append(f"icon {EXPECTED_ICON} has {len(images)} images")
        for im in images:
            if (im["width"], im["height"], im["bits"]) != (32, 32, 8):
                problems.append(f"icon image {im}")
            header = icons.get(im["id"])
            if header is None or header[:5] != (40, 32, 64, 1, 8):
                problems.append(f"icon image {im['id']} header {header}")
    return problems


def main():
    args = [a for a in sys.argv[1:] if a != "--check"]
    if len(args) != 1:
        sys.exit(__doc__)
    with open(args[0], "rb") as f:
        data = f.read()
    dialogs, group_icons, icons = {}, {}, {}
    for rtype, name, payload in read_resources(data):
        if rtype == RT_DIALOG:
            dialogs[name] = parse_dialog(payload)
            print_dialog(name, dialogs[name])
        elif rtype == RT_GROUP_ICON:
            group_icons[name] = parse_group_icon(payload)
            for im in group_icons[name][1]:
                print(f"ICON {name}: image {im['id']}  {im['width']} x {im['height']}, "
                      f"{im['bits']} bits per pixel, colour count {im['colours']}, "
                      f"{im['size']} bytes")
        elif rtype == RT_ICON:
            # biSize, biWidth, biHeight, biPlanes, biBitCount, biCompression, ..., biClrUsed
            icons[name] = struct.unpack_from("<IiiHHIIiiI", payload, 0)
    for name, h in icons.items():
        print(f"  image {name}: BITMAPINFOHEADER size {h[0]}, {h[1]} x {h[2]}, "
              f"planes {h[3]}, {h[4]} bits, compression {h[5]}, colours used {h[9]}")
    if "--check" in sys.argv[1:]:
        problems = check(dialogs, group_icons, icons)
        for p in problems:
            print("MISMATCH:", p)
        print("check:", "FAILED" if problems else "ok")
        sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
