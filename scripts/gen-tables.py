#!/usr/bin/env python3
"""Generates the translation data of the terminal model from glibc's iconv.

Usage: gen-tables.py [--out DIR]

Outputs (all checked in; running this again reproduces them byte for byte),
under DIR (default: the repository) in the same layout:
  data/<code page>.tbl             512 bytes: ATOE (PC -> EBCDIC) then ETOA (EBCDIC -> PC)
  src/terminal/BuiltinTables.inc   the built-in pair, EBCDIC 500 <-> ISO 8859-1
  src/terminal/PcCharsetData.inc   byte -> Unicode for each PC character set

Each EBCDIC byte e and PC byte p is decoded to Unicode with iconv, and every
e is paired both ways with the p that decodes to the same character. Those
pairs round-trip: ETOA[ATOE[p]] == p and ATOE[ETOA[e]] == e. The built-in
pair consists of such pairs only (code page 500 and ISO 8859-1 hold the same
256 characters), so both of its halves are permutations of 0..255.

A table file also covers the bytes without a counterpart, one way each, with
these substitutes:
  ATOE of a PC byte 0x20..0xFF other than 0x7F whose character the host page
    lacks (or that the PC set leaves undefined): the page's EBCDIC "?". Such a
    byte must never reach the host as a control (below 0x40) or 0xFF, where
    it would be an order or an attribute inside a field, nor as some other
    graphic.
  ETOA of an EBCDIC graphic byte 0x41..0xFE whose character the PC set lacks
    (or that the page leaves undefined), the first rule that gives a byte:
      1. its compatibility form (NFKC, Arabic tatweel dropped) when that is
         one character the PC set has: the contextual forms of Arabic letters
         show as the letter, the medial shadda as the shadda;
      2. a PC character with the same compatibility form (the Greek spacing
         acute shows as the tonos);
      3. a decimal digit as the ASCII digit (the Arabic-Indic digits);
      4. the first letter of a compatibility form of several characters (a
         lam-alef ligature shows as lam);
      5. the PC "?".
  ETOA of an EBCDIC control byte (below 0x40, or 0xFF) without a counterpart:
    the PC bytes that nothing above has taken, in ascending order, the lowest
    such control with the lowest such PC byte.
Every other pair round-trips.

PC character sets: a byte that the set leaves undefined decodes to the code
point of the same number (U+0081 for 0x81 in 1252), as the Windows conversion
functions do, so every byte has a Unicode form for painting and the clipboard.
"""
import argparse
import ctypes
import ctypes.util
import os
import sys
import unicodedata

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# EBCDIC code page -> PC character set (Windows code page), one per language.
PC_SET_OF = {
    37: 1252, 273: 1252, 277: 1252, 278: 1252, 280: 1252, 284: 1252, 285: 1252,
    297: 1252, 500: 1252, 871: 1252,
    1140: 1252, 1141: 1252, 1143: 1252, 1145: 1252, 1146: 1252, 1147: 1252,
    870: 1250, 1025: 1251, 875: 1253, 1026: 1254, 424: 1255, 420: 1256,
}
PC_SETS = [(1250, "CP1250"), (1251, "CP1251"), (1252, "CP1252"), (1253, "CP1253"),
           (1254, "CP1254"), (1255, "CP1255"), (1256, "CP1256"), (28591, "ISO-8859-1")]

QUESTION_MARK = 0x3F
TATWEEL = 0x0640

libc = ctypes.CDLL(ctypes.util.find_library("c"))
libc.iconv_open.restype = ctypes.c_void_p
libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
libc.iconv.restype = ctypes.c_size_t
libc.iconv.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_char_p),
                       ctypes.POINTER(ctypes.c_size_t), ctypes.POINTER(ctypes.c_char_p),
                       ctypes.POINTER(ctypes.c_size_t)]
libc.iconv_close.argtypes = [ctypes.c_void_p]


def decode_byte(charset, b):
    """Unicode code point of one byte in charset, or None when undefined."""
    cd = libc.iconv_open(b"UTF-32LE", charset.encode())
    if cd in (None, ctypes.c_void_p(-1).value):
        sys.exit(f"iconv does not know {charset}")
    failed = ctypes.c_size_t(-1).value
    try:
        src = ctypes.create_string_buffer(bytes([b]), 1)
        dst = ctypes.create_string_buffer(16)
        inp, outp = ctypes.c_char_p(ctypes.addressof(src)), ctypes.c_char_p(ctypes.addressof(dst))
        inleft, outleft = ctypes.c_size_t(1), ctypes.c_size_t(16)
        r = libc.iconv(cd, ctypes.byref(inp), ctypes.byref(inleft), ctypes.byref(outp),
                       ctypes.byref(outleft))
        if r == failed or inleft.value != 0:
            return None
        # Some decoders (Windows 1255) hold a letter back until they know
        # whether a combining mark follows; the flush releases it.
        if libc.iconv(cd, None, None, ctypes.byref(outp), ctypes.byref(outleft)) == failed:
            return None
        if outleft.value != 12:
            return None
        return int.from_bytes(dst.raw[:4], "little")
    finally:
        libc.iconv_close(cd)


def decode_all(charset):
    return [decode_byte(charset, b) for b in range(256)]


def is_pc_printable(p):
    return 0x20 <= p <= 0xFF and p != 0x7F


def is_ebcdic_graphic(e):
    return 0x41 <= e <= 0xFE


def compatibility_form(u):
    return [ord(c) for c in unicodedata.normalize("NFKC", chr(u)) if ord(c) != TATWEEL]


def display_substitute(u, u2p):
    """PC byte that shows the character u the PC set lacks (rules 1-5 above)."""
    if u is None:
        return u2p[QUESTION_MARK]
    form = compatibility_form(u)
    if len(form) == 1 and form[0] in u2p:
        return u2p[form[0]]
    for pc_char, p in sorted(u2p.items(), key=lambda item: item[1]):
        if pc_char != u and compatibility_form(pc_char) == form:
            return p
    digit = unicodedata.decimal(chr(u), None)
    if digit is not None:
        return u2p[ord("0") + digit]
    letters = [c for c in form if unicodedata.category(chr(c)).startswith("L")]
    if len(form) > 1 and letters and letters[0] in u2p:
        return u2p[letters[0]]
    return u2p[QUESTION_MARK]


def pair(ebcdic_set, pc_set, exact=False):
    """Returns (atoe, etoa), each 256 bytes. With exact, every byte must have
    a counterpart (both halves are then permutations of 0..255)."""
    e2u = decode_all(ebcdic_set)
    p2u = decode_all(pc_set)
    u2p = {}
    for p, u in enumerate(p2u):
        if u is not None and u not in u2p:
            u2p[u] = p
    etoa = [None] * 256
    atoe = [None] * 256
    for e, u in enumerate(e2u):
        p = u2p.get(u) if u is not None else None
        if p is not None and atoe[p] is None:
            etoa[e], atoe[p] = p, e
    if exact:
        assert None not in etoa and None not in atoe, f"{ebcdic_set} and {pc_set} differ"
        assert sorted(etoa) == list(range(256)) and sorted(atoe) == list(range(256))
        return bytes(atoe), bytes(etoa)

    ebcdic_question = e2u.index(QUESTION_MARK)
    for p in range(256):
        if atoe[p] is None:
            # Every page has the C0 controls and DEL, so only printable bytes are left.
            assert is_pc_printable(p), f"{pc_set} control 0x{p:02X} has no {ebcdic_set} partner"
            atoe[p] = ebcdic_question
    for e in range(256):
        if etoa[e] is None and is_ebcdic_graphic(e):
            etoa[e] = display_substitute(e2u[e], u2p)
    taken = set(etoa)
    free_p = [p for p in range(256) if p not in taken]
    free_e = [e for e in range(256) if etoa[e] is None]
    assert len(free_e) <= len(free_p)
    for e, p in zip(free_e, free_p):
        etoa[e] = p
    return bytes(atoe), bytes(etoa)


def c_bytes(name, data):
    rows = [", ".join(f"0x{b:02X}" for b in data[i:i + 16]) for i in range(0, 256, 16)]
    return f"constexpr std::array<std::uint8_t, 256> {name} = {{\n    " + ",\n    ".join(rows) + ",\n};\n"


def main():
    parser = argparse.ArgumentParser(description="Generates the translation tables.")
    parser.add_argument("--out", default=ROOT,
                        help="folder to write data/ and src/terminal/ into (default: the repository)")
    out = parser.parse_args().out
    os.makedirs(os.path.join(out, "data"), exist_ok=True)
    os.makedirs(os.path.join(out, "src", "terminal"), exist_ok=True)

    for cp in sorted(PC_SET_OF):
        atoe, etoa = pair(f"IBM{cp:03d}", f"CP{PC_SET_OF[cp]}")
        with open(os.path.join(out, "data", f"{cp}.tbl"), "wb") as f:
            f.write(atoe + etoa)

    atoe, etoa = pair("IBM500", "ISO-8859-1", exact=True)
    with open(os.path.join(out, "src", "terminal", "BuiltinTables.inc"), "w") as f:
        f.write("// Generated by scripts/gen-tables.py from glibc iconv: EBCDIC 500 <-> ISO 8859-1.\n")
        f.write("// Do not edit; run the script again.\n")
        f.write(c_bytes("kBuiltinAtoe", atoe))
        f.write(c_bytes("kBuiltinEtoa", etoa))

    with open(os.path.join(out, "src", "terminal", "PcCharsetData.inc"), "w") as f:
        f.write("// Generated by scripts/gen-tables.py from glibc iconv: byte -> Unicode of each\n")
        f.write("// PC character set; undefined bytes keep their own number. Do not edit.\n")
        f.write("struct PcCharsetData {\n    int id;\n    std::array<char16_t, 256> toUnicode;\n};\n")
        f.write(f"constexpr std::array<PcCharsetData, {len(PC_SETS)}> kPcCharsetData = {{{{\n")
        for cpid, name in PC_SETS:
            cps = [u if u is not None else b for b, u in enumerate(decode_all(name))]
            assert all(u < 0x10000 for u in cps)
            rows = [", ".join(f"0x{u:04X}" for u in cps[i:i + 8]) for i in range(0, 256, 8)]
            f.write(f"    {{{cpid}, {{{{\n        " + ",\n        ".join(rows) + ",\n    }}},\n")
        f.write("}};\n")


if __name__ == "__main__":
    main()
