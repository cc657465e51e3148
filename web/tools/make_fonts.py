#!/usr/bin/python3
"""The browser's two faces, cut down from Debian's IPA Gothic to the characters the page
and its sheets can show, and the table of their measurements for the layout.

    make_fonts.py --window ipag.ttf --problem ipagp.ttf --chars FILE... \
                  --out DIR --metrics font_table_data.cpp --licence COPYRIGHT

Writes into DIR: kolvara-gothic.woff2 and kolvara-pgothic.woff2 for the screen,
kolvara-gothic.ttf and kolvara-pgothic.ttf for the PDF writer (which takes TrueType),
the licence and a note on how the files were made. The IPA Font Licence lets a derived
font be passed on only under another name, with the licence and a way back to the
original: hence the new names and the note.
"""

import argparse
import io
import os
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

FACES = [
    # (option, file stem, family, C++ table name)
    ("window", "kolvara-gothic", "Kolvara Gothic", "WindowFaceTable"),
    ("problem", "kolvara-pgothic", "Kolvara PGothic", "ProblemFaceTable"),
]

NOTE = """Kolvara's fonts
===============

kolvara-gothic.* and kolvara-pgothic.* are derived from IPAGothic (ipag.ttf) and
IPAPGothic (ipagp.ttf), {version}, as Debian ships them in the package
fonts-ipafont-gothic. They hold only the {count} characters that Kolvara's page and
worksheets can show, without hinting, and were renamed as the IPA Font License
Agreement v1.0 asks of a derived program. They were made with the subsetter of
fontTools (Debian's python3-fonttools) by web/tools/make_fonts.py while the site was
built; no other file was made in the process.

The licence is in copyright (the IPA-1 section, in Japanese and in English).

To use the original fonts instead, install fonts-ipafont-gothic (or take ipag.ttf and
ipagp.ttf from the IPA font package), put the two files here and change the two
@font-face rules in style.css to name them: the originals cover every character.
"""


def characters(paths):
    chars = set(chr(c) for c in range(0x20, 0x7F))
    for path in paths:
        with open(path, encoding="utf-8") as f:
            chars.update(c for c in f.read() if ord(c) >= 0x20 and c not in "\ufeff")
    return chars


def rename(font, family):
    """Every name that carries the original's name gets the new one."""
    name = font["name"]
    keep = {0, 5, 13, 14}  # copyright, version, licence and its address
    name.names = [n for n in name.names if n.nameID in keep]
    postscript = family.replace(" ", "")
    for name_id, text in ((1, family), (2, "Regular"), (3, postscript + "-Regular"), (4, family),
                          (6, postscript)):
        name.setName(text, name_id, 3, 1, 0x409)
        name.setName(text, name_id, 1, 0, 0)


def subset_font(source, chars, family):
    options = subset.Options()
    options.layout_features = []
    options.hinting = False
    options.notdef_outline = True
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.drop_tables += ["vhea", "vmtx", "GSUB", "GDEF", "gasp"]
    font = TTFont(source)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=[ord(c) for c in chars])
    subsetter.subset(font)
    rename(font, family)
    return font


def save(font, path, flavor):
    font.flavor = flavor
    buffer = io.BytesIO()
    font.save(buffer)
    with open(path, "wb") as f:
        f.write(buffer.getvalue())


def metrics_table(source, chars, table_name):
    """The face's measurements in font units: those the desktop's toolkit reads (ascent
    from the horizontal header, descent from the OS/2 table's Windows descent), the
    underline, and the advance of each character."""
    font = TTFont(source)
    cmap = font.getBestCmap()
    hmtx = font["hmtx"]
    advances = sorted((ord(c), hmtx[cmap[ord(c)]][0]) for c in chars if ord(c) in cmap)
    post = font["post"]
    rows = ",\n".join(f"    {{0x{c:04X}, {a}}}" for c, a in advances)
    return (
        f"const GlyphAdvance {table_name}Advances[] = {{\n{rows},\n}};\n"
        f"extern const FaceTable {table_name}{{{font['head'].unitsPerEm}, {font['hhea'].ascent}, "
        f"{font['OS/2'].usWinDescent}, {post.underlinePosition}, {post.underlineThickness}, "
        f"{hmtx['.notdef'][0]}, {table_name}Advances, {len(advances)}}};\n"
    )


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--window", required=True)
    parser.add_argument("--problem", required=True)
    parser.add_argument("--chars", nargs="+", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--metrics", required=True)
    parser.add_argument("--licence", required=True)
    args = parser.parse_args()

    chars = characters(args.chars)
    os.makedirs(args.out, exist_ok=True)
    cpp = [
        "// Made by web/tools/make_fonts.py from Debian's IPA Gothic when the site is built.\n",
        '#include "font_table.h"\n\nnamespace kolvara::web {\n\n',
    ]
    version = ""
    for option, stem, family, table in FACES:
        source = getattr(args, option)
        font = subset_font(source, chars, family)
        save(font, os.path.join(args.out, stem + ".woff2"), "woff2")
        save(font, os.path.join(args.out, stem + ".ttf"), None)
        cpp.append(metrics_table(source, chars, table) + "\n")
        version = TTFont(source)["name"].getDebugName(5) or version
    cpp.append("}  // namespace kolvara::web\n")
    with open(args.metrics, "w", encoding="utf-8") as f:
        f.write("".join(cpp))
    with open(args.licence, encoding="utf-8") as f:
        licence = f.read()
    with open(os.path.join(args.out, "copyright"), "w", encoding="utf-8") as f:
        f.write(licence)
    with open(os.path.join(args.out, "README.txt"), "w", encoding="utf-8") as f:
        f.write(NOTE.format(version=version, count=len(chars)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
