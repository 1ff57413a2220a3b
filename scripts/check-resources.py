#!/usr/bin/env python3
"""Checks the resources of a built Hulkmeter program (PE32 or PE32+).

Usage: check-resources.py EXE

Reads the resource section of EXE and compares the dialog templates, the
string table, the icon groups, the logo bitmap and the manifest with what the
program expects. Prints one line per mismatch and exits 1, or prints a
one-line summary and exits 0. Standard library only.
"""

import struct
import sys
import xml.etree.ElementTree as ET

# --- Windows header constants, by value -------------------------------------

RT_ICON = 3
RT_BITMAP = 2
RT_DIALOG = 5
RT_STRING = 6
RT_GROUP_ICON = 14
RT_MANIFEST = 24
RESOURCE_TYPE_NAMES = {
    1: "RT_CURSOR", RT_BITMAP: "RT_BITMAP", RT_ICON: "RT_ICON", 4: "RT_MENU",
    RT_DIALOG: "RT_DIALOG", RT_STRING: "RT_STRING", 7: "RT_FONTDIR",
    8: "RT_FONT", 9: "RT_ACCELERATOR", 10: "RT_RCDATA",
    11: "RT_MESSAGETABLE", 12: "RT_GROUP_CURSOR", RT_GROUP_ICON: "RT_GROUP_ICON",
    16: "RT_VERSION", 17: "RT_DLGINCLUDE", 19: "RT_PLUGPLAY", 20: "RT_VXD",
    21: "RT_ANICURSOR", 22: "RT_ANIICON", 23: "RT_HTML",
    RT_MANIFEST: "RT_MANIFEST",
}

IMAGE_DIRECTORY_ENTRY_RESOURCE = 2
PE32_MAGIC = 0x10B
PE32_PLUS_MAGIC = 0x20B

DEFAULT_CHARSET = 1
FW_NORMAL = 400
BI_RGB = 0

WS_EX_STATICEDGE = 0x00020000

# Window style bits shared by dialogs and controls. 0x00C00000 is WS_CAPTION,
# which is WS_BORDER | WS_DLGFRAME: the three share one mask so that a style
# reads as the names written in a resource script.
WS_BITS = [
    ("WS_POPUP", 0x80000000),
    ("WS_CHILD", 0x40000000),
    ("WS_MINIMIZE", 0x20000000),
    ("WS_VISIBLE", 0x10000000),
    ("WS_DISABLED", 0x08000000),
    ("WS_CLIPSIBLINGS", 0x04000000),
    ("WS_CLIPCHILDREN", 0x02000000),
    ("WS_MAXIMIZE", 0x01000000),
    ("WS_VSCROLL", 0x00200000),
    ("WS_HSCROLL", 0x00100000),
    ("WS_SYSMENU", 0x00080000),
    ("WS_THICKFRAME", 0x00040000),
]
WS_FRAME = [  # (name, value, mask)
    ("WS_CAPTION", 0x00C00000, 0x00C00000),
    ("WS_BORDER", 0x00800000, 0x00C00000),
    ("WS_DLGFRAME", 0x00400000, 0x00C00000),
]
# The same two bits mean different things on a top-level window and a child.
WS_TOPLEVEL_BOXES = [("WS_MINIMIZEBOX", 0x00020000), ("WS_MAXIMIZEBOX", 0x00010000)]
WS_CHILD_GROUPING = [("WS_GROUP", 0x00020000), ("WS_TABSTOP", 0x00010000)]

DS_BITS = [
    ("DS_ABSALIGN", 0x0001), ("DS_SYSMODAL", 0x0002), ("DS_3DLOOK", 0x0004),
    ("DS_FIXEDSYS", 0x0008), ("DS_NOFAILCREATE", 0x0010),
    ("DS_LOCALEDIT", 0x0020), ("DS_SETFONT", 0x0040),
    ("DS_MODALFRAME", 0x0080), ("DS_NOIDLEMSG", 0x0100),
    ("DS_SETFOREGROUND", 0x0200), ("DS_CONTROL", 0x0400),
    ("DS_CENTER", 0x0800), ("DS_CENTERMOUSE", 0x1000),
    ("DS_CONTEXTHELP", 0x2000),
]

BS_TYPES = [  # BS_TYPEMASK = 0x000F
    ("BS_PUSHBUTTON", 0x0), ("BS_DEFPUSHBUTTON", 0x1), ("BS_CHECKBOX", 0x2),
    ("BS_AUTOCHECKBOX", 0x3), ("BS_RADIOBUTTON", 0x4), ("BS_3STATE", 0x5),
    ("BS_AUTO3STATE", 0x6), ("BS_GROUPBOX", 0x7), ("BS_USERBUTTON", 0x8),
    ("BS_AUTORADIOBUTTON", 0x9), ("BS_PUSHBOX", 0xA), ("BS_OWNERDRAW", 0xB),
    ("BS_SPLITBUTTON", 0xC), ("BS_DEFSPLITBUTTON", 0xD),
    ("BS_COMMANDLINK", 0xE), ("BS_DEFCOMMANDLINK", 0xF),
]
BS_BITS = [
    ("BS_LEFTTEXT", 0x0020), ("BS_ICON", 0x0040), ("BS_BITMAP", 0x0080),
    ("BS_LEFT", 0x0100), ("BS_RIGHT", 0x0200), ("BS_TOP", 0x0400),
    ("BS_BOTTOM", 0x0800), ("BS_PUSHLIKE", 0x1000), ("BS_MULTILINE", 0x2000),
    ("BS_NOTIFY", 0x4000), ("BS_FLAT", 0x8000),
]

ES_ALIGN = [("ES_LEFT", 0x0), ("ES_CENTER", 0x1), ("ES_RIGHT", 0x2)]  # mask 0x3
ES_BITS = [
    ("ES_MULTILINE", 0x0004), ("ES_UPPERCASE", 0x0008),
    ("ES_LOWERCASE", 0x0010), ("ES_PASSWORD", 0x0020),
    ("ES_AUTOVSCROLL", 0x0040), ("ES_AUTOHSCROLL", 0x0080),
    ("ES_NOHIDESEL", 0x0100), ("ES_OEMCONVERT", 0x0400),
    ("ES_READONLY", 0x0800), ("ES_WANTRETURN", 0x1000), ("ES_NUMBER", 0x2000),
]

SS_TYPES = [  # SS_TYPEMASK = 0x001F
    ("SS_LEFT", 0x00), ("SS_CENTER", 0x01), ("SS_RIGHT", 0x02),
    ("SS_ICON", 0x03), ("SS_BLACKRECT", 0x04), ("SS_GRAYRECT", 0x05),
    ("SS_WHITERECT", 0x06), ("SS_BLACKFRAME", 0x07), ("SS_GRAYFRAME", 0x08),
    ("SS_WHITEFRAME", 0x09), ("SS_USERITEM", 0x0A), ("SS_SIMPLE", 0x0B),
    ("SS_LEFTNOWORDWRAP", 0x0C), ("SS_OWNERDRAW", 0x0D), ("SS_BITMAP", 0x0E),
    ("SS_ENHMETAFILE", 0x0F), ("SS_ETCHEDHORZ", 0x10), ("SS_ETCHEDVERT", 0x11),
    ("SS_ETCHEDFRAME", 0x12),
]
SS_BITS = [
    ("SS_REALSIZECONTROL", 0x0040), ("SS_NOPREFIX", 0x0080),
    ("SS_NOTIFY", 0x0100), ("SS_CENTERIMAGE", 0x0200),
    ("SS_RIGHTJUST", 0x0400), ("SS_REALSIZEIMAGE", 0x0800),
    ("SS_SUNKEN", 0x1000), ("SS_EDITCONTROL", 0x2000),
]
SS_ELLIPSIS = [  # SS_ELLIPSISMASK = 0xC000
    ("SS_ENDELLIPSIS", 0x4000), ("SS_PATHELLIPSIS", 0x8000),
    ("SS_WORDELLIPSIS", 0xC000),
]

LVS_VIEWS = [  # LVS_TYPEMASK = 0x0003
    ("LVS_ICON", 0x0), ("LVS_REPORT", 0x1), ("LVS_SMALLICON", 0x2),
    ("LVS_LIST", 0x3),
]
LVS_BITS = [
    ("LVS_SINGLESEL", 0x0004), ("LVS_SHOWSELALWAYS", 0x0008),
    ("LVS_SORTASCENDING", 0x0010), ("LVS_SORTDESCENDING", 0x0020),
    ("LVS_SHAREIMAGELISTS", 0x0040), ("LVS_NOLABELWRAP", 0x0080),
    ("LVS_AUTOARRANGE", 0x0100), ("LVS_EDITLABELS", 0x0200),
    ("LVS_OWNERDRAWFIXED", 0x0400), ("LVS_ALIGNLEFT", 0x0800),
    ("LVS_OWNERDATA", 0x1000), ("LVS_NOSCROLL", 0x2000),
    ("LVS_NOCOLUMNHEADER", 0x4000), ("LVS_NOSORTHEADER", 0x8000),
]

# Predefined dialog control classes, stored as ordinals in a template.
CLASS_BUTTON = 0x0080
CLASS_EDIT = 0x0081
CLASS_STATIC = 0x0082
CLASS_LISTVIEW = "SysListView32"
CLASS_NAMES = {CLASS_BUTTON: "button", CLASS_EDIT: "edit", CLASS_STATIC: "static",
               0x0083: "listbox", 0x0084: "scrollbar", 0x0085: "combobox"}


def bits(pairs):
    return [(name, value, value) for name, value in pairs]


def enum(pairs, mask):
    return [(name, value, mask) for name, value in pairs]


# Each table lists (name, value, mask): a name applies when style & mask == value.
WINDOW_CHILD = bits(WS_BITS) + WS_FRAME + bits(WS_CHILD_GROUPING)
STYLE_TABLES = {
    "dialog": bits(WS_BITS) + WS_FRAME + bits(WS_TOPLEVEL_BOXES) + bits(DS_BITS),
    CLASS_BUTTON: WINDOW_CHILD + enum(BS_TYPES, 0x000F) + bits(BS_BITS),
    CLASS_EDIT: WINDOW_CHILD + enum(ES_ALIGN, 0x0003) + bits(ES_BITS),
    CLASS_STATIC: WINDOW_CHILD + enum(SS_TYPES, 0x001F) + bits(SS_BITS)
    + enum(SS_ELLIPSIS, 0xC000),
    CLASS_LISTVIEW: WINDOW_CHILD + enum(LVS_VIEWS, 0x0003) + bits(LVS_BITS),
}
EX_STYLE_TABLE = bits([
    ("WS_EX_DLGMODALFRAME", 0x00000001), ("WS_EX_NOPARENTNOTIFY", 0x00000004),
    ("WS_EX_TOPMOST", 0x00000008), ("WS_EX_ACCEPTFILES", 0x00000010),
    ("WS_EX_TRANSPARENT", 0x00000020), ("WS_EX_TOOLWINDOW", 0x00000080),
    ("WS_EX_WINDOWEDGE", 0x00000100), ("WS_EX_CLIENTEDGE", 0x00000200),
    ("WS_EX_CONTEXTHELP", 0x00000400), ("WS_EX_RIGHT", 0x00001000),
    ("WS_EX_RTLREADING", 0x00002000), ("WS_EX_LEFTSCROLLBAR", 0x00004000),
    ("WS_EX_CONTROLPARENT", 0x00010000), ("WS_EX_STATICEDGE", 0x00020000),
    ("WS_EX_APPWINDOW", 0x00040000), ("WS_EX_LAYERED", 0x00080000),
    ("WS_EX_NOINHERITLAYOUT", 0x00100000), ("WS_EX_LAYOUTRTL", 0x00400000),
    ("WS_EX_COMPOSITED", 0x02000000), ("WS_EX_NOACTIVATE", 0x08000000),
])


def style_value(table, names):
    """The style word made of the given names, looked up in table."""
    lookup = {name: value for name, value, _ in table}
    value = 0
    for name in names:
        value |= lookup[name]
    return value


def style_names(table, style):
    """The names that describe style, plus any bits no name covers."""
    names = [name for name, value, mask in table if style & mask == value]
    known = 0
    for _, _, mask in table:
        known |= mask
    if style & ~known & 0xFFFFFFFF:
        names.append("0x%08X" % (style & ~known & 0xFFFFFFFF))
    return names


def style_difference(table, got, want):
    have, need = style_names(table, got), style_names(table, want)
    missing = [n for n in need if n not in have]
    extra = [n for n in have if n not in need]
    parts = []
    if missing:
        parts.append("missing " + " | ".join(missing))
    if extra:
        parts.append("extra " + " | ".join(extra))
    return "0x%08X, want 0x%08X (%s)" % (got, want, "; ".join(parts))


# --- What the program expects ----------------------------------------------

CHILD = ["WS_CHILD", "WS_VISIBLE"]
PUSH = CHILD + ["WS_TABSTOP", "BS_PUSHBUTTON"]
TEXT_LINE = CHILD + ["WS_GROUP", "SS_CENTER", "SS_CENTERIMAGE"]

IDD_MAIN = 129
IDD_ABOUT = 131
IDB_LOGO = 130
IDI_APP = 107
IDI_APP_SMALL = 108
IDC_STATIC = 0xFFFFFFFF  # -1 in the template's 32-bit id

# Rows: id, class, text (str, or int for a resource ordinal), (x, y, cx, cy),
# style names, extended style names.
DIALOGS = {
    IDD_MAIN: {
        "size": (454, 274),
        "style": ["WS_POPUP", "WS_CAPTION", "WS_SYSMENU", "WS_MINIMIZEBOX",
                  "DS_MODALFRAME", "DS_CENTER", "DS_SETFONT", "DS_FIXEDSYS"],
        "caption": "Dialog",
        "controls": [
            (1, CLASS_BUTTON, "Find", (397, 7, 50, 14), PUSH, []),
            (2, CLASS_BUTTON, "Cancel", (397, 105, 50, 14), PUSH, []),
            (1000, CLASS_LISTVIEW, "", (7, 36, 385, 231),
             CHILD + ["WS_BORDER", "WS_TABSTOP", "LVS_REPORT", "LVS_SINGLESEL",
                      "LVS_SHOWSELALWAYS", "LVS_ALIGNLEFT", "LVS_NOSORTHEADER"], []),
            (IDC_STATIC, CLASS_STATIC, "Path:", (7, 9, 26, 10),
             CHILD + ["WS_GROUP", "SS_LEFT"], []),
            (1001, CLASS_EDIT, "", (35, 7, 176, 14),
             CHILD + ["WS_BORDER", "WS_TABSTOP", "ES_AUTOHSCROLL"], []),
            (3, CLASS_BUTTON, "...", (217, 7, 21, 14), PUSH, []),
            (1002, CLASS_STATIC, "", (7, 24, 383, 10),
             CHILD + ["WS_GROUP", "SS_SIMPLE"], []),
            (4, CLASS_BUTTON, "Explore", (397, 24, 50, 14), PUSH, []),
            (5, CLASS_BUTTON, "Help", (397, 41, 50, 14), PUSH, []),
            (6, CLASS_BUTTON, "About", (397, 59, 50, 14), PUSH, []),
            (7, CLASS_BUTTON, "Home page", (397, 76, 50, 14), PUSH, []),
        ],
    },
    IDD_ABOUT: {
        "size": (210, 108),
        "style": ["WS_POPUP", "WS_CAPTION", "WS_SYSMENU",
                  "DS_MODALFRAME", "DS_CENTER", "DS_SETFONT", "DS_FIXEDSYS"],
        "caption": "About",
        "controls": [
            (1, CLASS_BUTTON, "OK", (153, 7, 50, 14),
             CHILD + ["WS_TABSTOP", "BS_DEFPUSHBUTTON"], []),
            (IDC_STATIC, CLASS_STATIC, IDB_LOGO, (7, 7, 137, 39),
             CHILD + ["SS_BITMAP"], ["WS_EX_STATICEDGE"]),
            (1003, CLASS_STATIC, "Static", (7, 53, 137, 12), TEXT_LINE,
             ["WS_EX_STATICEDGE"]),
            (1004, CLASS_STATIC, "Static", (7, 70, 137, 12), TEXT_LINE,
             ["WS_EX_STATICEDGE"]),
            (1005, CLASS_STATIC, "Static", (7, 89, 137, 12), TEXT_LINE,
             ["WS_EX_STATICEDGE"]),
        ],
    },
}
DIALOG_FONT = {"name": "MS Shell Dlg", "points": 8, "weight": FW_NORMAL,
               "italic": 0, "charset": DEFAULT_CHARSET}

STRING_LIMIT = 99  # loaded with a 100-unit buffer, terminator included
STRINGS_EXACT = {103: "Hulkmeter", 1006: "1.0"}
STRINGS_FREE = [1004, 1005]  # wording left open, but present and short enough

ICON_GROUPS = {IDI_APP: [16, 32, 64], IDI_APP_SMALL: [16]}
ICON_BITS = 32

LOGO = {"width": 203, "height": 61, "bits": 24, "compression": BI_RGB}

MANIFEST_ID = 1
ASM_V1 = "urn:schemas-microsoft-com:asm.v1"

# Everything the program carries; anything else is a stray resource.
EXPECTED_IDS = {
    RT_DIALOG: set(DIALOGS),
    RT_GROUP_ICON: set(ICON_GROUPS),
    RT_BITMAP: {IDB_LOGO},
    RT_MANIFEST: {MANIFEST_ID},
}
EXPECTED_STRINGS = set(STRINGS_EXACT) | set(STRINGS_FREE)
# RT_ICON images are checked against what the icon groups refer to.
EXPECTED_TYPES = set(EXPECTED_IDS) | {RT_STRING, RT_ICON}


# --- PE and resource directory -------------------------------------------------

class Malformed(Exception):
    pass


def unpack(fmt, data, offset):
    size = struct.calcsize(fmt)
    if offset < 0 or offset + size > len(data):
        raise Malformed("read past the end at offset 0x%X" % offset)
    return struct.unpack_from(fmt, data, offset)


def read_resources(image):
    """Returns {type: {name: [(language, bytes)]}} and the PE kind."""
    if image[:2] != b"MZ":
        raise Malformed("no MZ header")
    (pe,) = unpack("<I", image, 0x3C)
    if image[pe:pe + 4] != b"PE\0\0":
        raise Malformed("no PE signature")
    _, sections, _, _, _, optional_size, _ = unpack("<HHIIIHH", image, pe + 4)
    optional = pe + 24
    (magic,) = unpack("<H", image, optional)
    if magic == PE32_MAGIC:
        kind, count_at = "PE32", 92
    elif magic == PE32_PLUS_MAGIC:
        kind, count_at = "PE32+", 108
    else:
        raise Malformed("unknown optional header magic 0x%X" % magic)
    (directories,) = unpack("<I", image, optional + count_at)
    if directories <= IMAGE_DIRECTORY_ENTRY_RESOURCE:
        raise Malformed("no resource directory entry")
    rsrc_rva, rsrc_size = unpack(
        "<II", image, optional + count_at + 4 + 8 * IMAGE_DIRECTORY_ENTRY_RESOURCE)
    if rsrc_rva == 0 or rsrc_size == 0:
        raise Malformed("no resources")

    table = []
    for i in range(sections):
        at = optional + optional_size + 40 * i
        vsize, vaddr, rawsize, rawptr = unpack("<IIII", image, at + 8)
        table.append((vaddr, max(vsize, rawsize), rawsize, rawptr))

    def file_offset(rva):
        for vaddr, span, rawsize, rawptr in table:
            if vaddr <= rva < vaddr + span:
                if rva - vaddr >= rawsize:
                    raise Malformed("RVA 0x%X is not backed by file data" % rva)
                return rawptr + rva - vaddr
        raise Malformed("RVA 0x%X is in no section" % rva)

    base = file_offset(rsrc_rva)

    def entries(offset):
        _, _, _, _, named, ids = unpack("<IIHHHH", image, base + offset)
        for i in range(named + ids):
            name, target = unpack("<II", image, base + offset + 16 + 8 * i)
            if name & 0x80000000:
                (length,) = unpack("<H", image, base + (name & 0x7FFFFFFF))
                start = base + (name & 0x7FFFFFFF) + 2
                name = image[start:start + 2 * length].decode("utf-16-le")
            yield name, target

    def subdirectory(target):
        if not target & 0x80000000:
            raise Malformed("resource tree is not three levels deep")
        return target & 0x7FFFFFFF

    resources = {}
    for rtype, t in entries(0):
        for name, n in entries(subdirectory(t)):
            for lang, leaf in entries(subdirectory(n)):
                if leaf & 0x80000000:
                    raise Malformed("resource tree is deeper than three levels")
                rva, size, _, _ = unpack("<IIII", image, base + leaf)
                start = file_offset(rva)
                if start + size > len(image):
                    raise Malformed("resource %s/%s runs past the end of the file"
                                    % (rtype, name))
                resources.setdefault(rtype, {}).setdefault(name, []).append(
                    (lang, image[start:start + size]))
    return resources, kind


# --- Checks -----------------------------------------------------------------------

class Checker:
    def __init__(self, resources):
        self.resources = resources
        self.problems = []
        self.notes = []
        self.icon_images = set()  # RT_ICON ids the groups refer to

    def fail(self, message):
        self.problems.append(message)

    def resource(self, rtype, name, what):
        """The data of one resource, reported when missing or ambiguous."""
        found = self.resources.get(rtype, {}).get(name)
        if not found:
            self.fail("%s: missing (%s %s)" % (what, RESOURCE_TYPE_NAMES[rtype], name))
            return None
        if len(found) > 1:
            self.fail("%s: present in %d languages (%s), want one"
                      % (what, len(found), ", ".join("0x%04X" % l for l, _ in found)))
        return found[0][1]

    def inventory(self):
        for rtype, names in sorted(self.resources.items(), key=lambda kv: str(kv[0])):
            if rtype not in EXPECTED_TYPES:
                self.fail("stray resource type %s (ids %s)"
                          % (RESOURCE_TYPE_NAMES.get(rtype, repr(rtype)),
                             ", ".join(str(n) for n in names)))
            elif rtype in EXPECTED_IDS:
                for name in names:
                    if name not in EXPECTED_IDS[rtype]:
                        self.fail("stray resource %s %r" % (RESOURCE_TYPE_NAMES[rtype], name))

    # Dialog templates.

    def dialog(self, number, want):
        what = "dialog %d" % number
        data = self.resource(RT_DIALOG, number, what)
        if data is None:
            return
        try:
            self.dialog_template(what, data, want)
        except Malformed as error:
            self.fail("%s: cannot be read: %s" % (what, error))

    def dialog_template(self, what, data, want):
        version, signature, _, ex_style, style, count, _, _, cx, cy = unpack(
            "<HHIIIHhhhh", data, 0)
        if (version, signature) != (1, 0xFFFF):
            self.fail("%s: not an extended template (DLGTEMPLATEEX)" % what)
            return
        table = STYLE_TABLES["dialog"]
        want_style = style_value(table, want["style"])
        if style != want_style:
            self.fail("%s: style %s" % (what, style_difference(table, style, want_style)))
        if ex_style != 0:
            self.fail("%s: extended style %s, want none"
                      % (what, " | ".join(style_names(EX_STYLE_TABLE, ex_style))))
        if (cx, cy) != want["size"]:
            self.fail("%s: size %d x %d, want %d x %d" % ((what, cx, cy) + want["size"]))
        at = 26
        menu, at = sz_or_ord(data, at)
        if menu != "":
            self.fail("%s: has menu %r, want none" % (what, menu))
        wclass, at = sz_or_ord(data, at)
        if wclass != "":
            self.fail("%s: has window class %r, want none" % (what, wclass))
        caption, at = sz_or_ord(data, at)
        if caption != want["caption"]:
            self.fail("%s: caption %r, want %r" % (what, caption, want["caption"]))
        if style & 0x0040:  # DS_SETFONT: the font fields follow
            points, weight, italic, charset = unpack("<HHBB", data, at)
            name, at = sz_or_ord(data, at + 6)
            font = {"name": name, "points": points, "weight": weight,
                    "italic": italic, "charset": charset}
            for key, value in DIALOG_FONT.items():
                if font[key] != value:
                    self.fail("%s: font %s %r, want %r" % (what, key, font[key], value))
        else:
            self.fail("%s: carries no font" % what)

        controls = want["controls"]
        if count != len(controls):
            self.fail("%s: %d controls, want %d" % (what, count, len(controls)))
        for index in range(count):
            at = (at + 3) & ~3
            help_id, ex, cstyle, x, y, cx, cy, cid = unpack("<IIIhhhhI", data, at)
            cclass, at = sz_or_ord(data, at + 24)
            text, at = sz_or_ord(data, at)
            (extra,) = unpack("<H", data, at)
            at += 2 + extra
            if index >= len(controls):
                self.fail("%s: stray control %d (id %d)" % (what, index + 1, cid))
                continue
            wid, wclass, wtext, wrect, wstyle, wex = controls[index]
            label = "%s control %d (id %d)" % (what, index + 1, to_signed(wid))
            if cid != wid:
                self.fail("%s: id %d, want %d" % (label, to_signed(cid), to_signed(wid)))
            if not same_class(cclass, wclass):
                self.fail("%s: class %s, want %s" % (label, class_text(cclass), class_text(wclass)))
            if text != wtext:
                self.fail("%s: text %s, want %s" % (label, text_repr(text), text_repr(wtext)))
            if (x, y, cx, cy) != wrect:
                self.fail("%s: at %d, %d size %d x %d, want %d, %d size %d x %d"
                          % ((label, x, y, cx, cy) + wrect))
            table = STYLE_TABLES[wclass]
            want_style = style_value(table, wstyle)
            if cstyle != want_style:
                self.fail("%s: style %s" % (label, style_difference(table, cstyle, want_style)))
            want_ex = style_value(EX_STYLE_TABLE, wex)
            if ex != want_ex:
                self.fail("%s: extended style %s"
                          % (label, style_difference(EX_STYLE_TABLE, ex, want_ex)))
            if extra:
                self.fail("%s: carries %d bytes of creation data, want none" % (label, extra))
            if help_id:
                self.fail("%s: help id %d, want 0" % (label, help_id))
        if at > len(data):
            self.fail("%s: template runs past its resource" % what)

    # String table.

    def strings(self):
        table = {}
        for block, found in self.resources.get(RT_STRING, {}).items():
            if not isinstance(block, int):
                self.fail("string block with a name (%r), want numbered blocks" % block)
                continue
            if len(found) > 1:
                self.fail("string block %d present in %d languages, want one"
                          % (block, len(found)))
            data, at = found[0][1], 0
            for index in range(16):
                (length,) = unpack("<H", data, at)
                text = data[at + 2:at + 2 + 2 * length]
                if len(text) < 2 * length:
                    self.fail("string block %d runs short" % block)
                    break
                at += 2 + 2 * length
                if length:
                    table[(block - 1) * 16 + index] = text.decode("utf-16-le", "replace")
        for number, want in STRINGS_EXACT.items():
            got = table.get(number)
            if got is None:
                self.fail("string %d: missing, want %r" % (number, want))
            elif got != want:
                self.fail("string %d: %r, want %r" % (number, got, want))
        for number in STRINGS_FREE:
            got = table.get(number)
            if got is None:
                self.fail("string %d: missing or empty" % number)
            elif len(got.encode("utf-16-le")) // 2 > STRING_LIMIT:
                self.fail("string %d: %d UTF-16 units, want at most %d"
                          % (number, len(got.encode("utf-16-le")) // 2, STRING_LIMIT))
        for number in sorted(set(table) - EXPECTED_STRINGS):
            self.fail("stray string %d: %r" % (number, table[number]))

    # Icons.

    def icon_group(self, number, sizes):
        what = "icon group %d" % number
        data = self.resource(RT_GROUP_ICON, number, what)
        if data is None:
            return
        try:
            reserved, kind, count = unpack("<HHH", data, 0)
            if (reserved, kind) != (0, 1):
                self.fail("%s: header %d, %d, want 0, 1 (icons)" % (what, reserved, kind))
            got = []
            for i in range(count):
                w, h, colours, _, _, bit_count, size, image_id = unpack(
                    "<BBBBHHIH", data, 6 + 14 * i)
                self.icon_images.add(image_id)
                w, h = w or 256, h or 256
                got.append(w)
                label = "%s image %d (%d x %d, RT_ICON %d)" % (what, i + 1, w, h, image_id)
                if w != h:
                    self.fail("%s: not square" % label)
                if bit_count != ICON_BITS:
                    self.fail("%s: directory says %d bits per pixel, want %d"
                              % (label, bit_count, ICON_BITS))
                if colours != 0:
                    self.fail("%s: directory says %d palette colours, want 0" % (label, colours))
                self.icon_image(label, image_id, w, h, size)
            if sorted(got) != sorted(sizes) or len(got) != len(sizes):
                self.fail("%s: image sizes %s, want %s"
                          % (what, sizes_text(got), sizes_text(sizes)))
        except Malformed as error:
            self.fail("%s: cannot be read: %s" % (what, error))

    def icon_image(self, label, image_id, w, h, size):
        data = self.resource(RT_ICON, image_id, label)
        if data is None:
            return
        if len(data) != size:
            self.fail("%s: %d bytes, directory says %d" % (label, len(data), size))
        if data[:8] == b"\x89PNG\r\n\x1a\n":
            if data[12:16] != b"IHDR":
                self.fail("%s: PNG without a leading IHDR chunk" % label)
                return
            pw, ph, depth, colour_type = unpack(">IIBB", data, 16)
            if (pw, ph) != (w, h):
                self.fail("%s: PNG is %d x %d" % (label, pw, ph))
            if (depth, colour_type) != (8, 6):  # 8-bit RGBA is 32 bits a pixel
                self.fail("%s: PNG-compressed, bit depth %d colour type %d, want 32-bit RGBA"
                          % (label, depth, colour_type))
            else:
                self.notes.append("%s is PNG-compressed 32-bit RGBA" % label)
            return
        header, bw, bh, _, bit_count, compression = unpack("<IiiHHI", data, 0)
        if header < 40:
            self.fail("%s: bitmap header of %d bytes, want at least 40" % (label, header))
            return
        # The height covers the colour image and the AND mask below it.
        if (bw, bh) != (w, 2 * h):
            self.fail("%s: bitmap is %d x %d, want %d x %d (image and mask)"
                      % (label, bw, bh, w, 2 * h))
        if bit_count != ICON_BITS:
            self.fail("%s: bitmap has %d bits per pixel, want %d" % (label, bit_count, ICON_BITS))
        if compression != BI_RGB:
            self.fail("%s: bitmap compression %d, want BI_RGB" % (label, compression))
        need = header + w * h * bit_count // 8 + (w + 31) // 32 * 4 * h
        if len(data) < need:
            self.fail("%s: %d bytes, too short for its pixels and mask (%d)"
                      % (label, len(data), need))

    def unreferenced_icons(self):
        for image_id in sorted(self.resources.get(RT_ICON, {}), key=str):
            if image_id not in self.icon_images:
                self.fail("stray resource RT_ICON %r: in no icon group" % image_id)

    # Logo bitmap.

    def bitmap(self):
        what = "bitmap %d" % IDB_LOGO
        data = self.resource(RT_BITMAP, IDB_LOGO, what)
        if data is None:
            return
        try:
            header, w, h, planes, bit_count, compression = unpack("<IiiHHI", data, 0)
        except Malformed as error:
            self.fail("%s: cannot be read: %s" % (what, error))
            return
        if header < 40:
            self.fail("%s: header of %d bytes, want a BITMAPINFOHEADER" % (what, header))
            return
        if (w, abs(h)) != (LOGO["width"], LOGO["height"]):
            self.fail("%s: %d x %d, want %d x %d"
                      % (what, w, abs(h), LOGO["width"], LOGO["height"]))
        if bit_count != LOGO["bits"]:
            self.fail("%s: %d bits per pixel, want %d" % (what, bit_count, LOGO["bits"]))
        if compression != LOGO["compression"]:
            self.fail("%s: compression %d, want BI_RGB (uncompressed)" % (what, compression))
        if planes != 1:
            self.fail("%s: %d planes, want 1" % (what, planes))
        stride = (w * bit_count + 31) // 32 * 4
        if compression == BI_RGB and len(data) < header + stride * abs(h):
            self.fail("%s: %d bytes, too short for its pixels (%d)"
                      % (what, len(data), header + stride * abs(h)))

    # Manifest.

    def manifest(self):
        what = "manifest %d" % MANIFEST_ID
        data = self.resource(RT_MANIFEST, MANIFEST_ID, what)
        if data is None:
            return
        try:
            root = ET.fromstring(data)
        except ET.ParseError as error:
            self.fail("%s: not well-formed XML: %s" % (what, error))
            return
        if root.tag != "{%s}assembly" % ASM_V1:
            self.fail("%s: root element %s, want assembly in %s" % (what, root.tag, ASM_V1))
        if root.get("manifestVersion") != "1.0":
            self.fail("%s: manifestVersion %r, want '1.0'" % (what, root.get("manifestVersion")))
        if len(root):
            self.fail("%s: assembly has child elements (%s), want none"
                      % (what, ", ".join(child.tag for child in root)))


def sz_or_ord(data, at):
    """A template field: "" when absent, an int ordinal, or a string."""
    (first,) = unpack("<H", data, at)
    if first == 0xFFFF:
        (ordinal,) = unpack("<H", data, at + 2)
        return ordinal, at + 4
    end = at
    while True:
        (unit,) = unpack("<H", data, end)
        if unit == 0:
            break
        end += 2
    return data[at:end].decode("utf-16-le", "replace"), end + 2


def same_class(got, want):
    # Window class names are matched without regard to case, and windres
    # upper-cases every class name it stores; ordinals must match exactly.
    if isinstance(got, str) and isinstance(want, str):
        return got.upper() == want.upper()
    return got == want


def to_signed(value):
    return value - (1 << 32) if value & 0x80000000 else value


def class_text(value):
    if isinstance(value, int):
        return "ordinal 0x%04X (%s)" % (value, CLASS_NAMES.get(value, "unknown"))
    return "name %r" % value


def text_repr(value):
    return "resource ordinal %d" % value if isinstance(value, int) else repr(value)


def sizes_text(sizes):
    return ", ".join("%dx%d" % (s, s) for s in sizes) or "none"


def main(argv):
    if len(argv) != 2:
        print("usage: check-resources.py EXE", file=sys.stderr)
        return 2
    path = argv[1]
    try:
        with open(path, "rb") as f:
            image = f.read()
    except OSError as error:
        print("%s: %s" % (path, error.strerror))
        return 1
    try:
        resources, kind = read_resources(image)
    except Malformed as error:
        print("%s: cannot read resources: %s" % (path, error))
        return 1

    check = Checker(resources)
    check.inventory()
    for number, want in DIALOGS.items():
        check.dialog(number, want)
    try:
        check.strings()
    except Malformed as error:
        check.fail("string table cannot be read: %s" % error)
    for number, sizes in ICON_GROUPS.items():
        check.icon_group(number, sizes)
    check.unreferenced_icons()
    check.bitmap()
    check.manifest()

    for problem in check.problems:
        print("%s: %s" % (path, problem))
    if check.problems:
        return 1
    note = "; " + "; ".join(check.notes) if check.notes else ""
    print("%s: %s resources as expected: dialogs 129 and 131, strings 103 and "
          "1004-1006, icon groups 107 and 108, bitmap 130, manifest 1%s" % (path, kind, note))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
