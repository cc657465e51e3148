#!/usr/bin/python3
"""kolvara-sheet's pages written with ReportLab, as a peer to time it against.

    reportlab_peer.py DUMP.json OUT.pdf

DUMP.json is what sheet_dump writes: each page's paper in points, its placement (sheet
units to points, y down from the top) and its primitives in sheet units. They are drawn
here as the sheet painter draws them on paper: dotted boxes one unit wide, one dot and one
gap; solid lines one unit wide with square ends; texts in IPA Gothic (window) and IPA P
Gothic (problem), subset-embedded; the underline from the font's own metrics.
"""

import json
import math
import sys

from reportlab import rl_config
from reportlab.pdfbase import pdfmetrics
from reportlab.pdfbase.ttfonts import TTFont
from reportlab.pdfgen.canvas import Canvas

FONT_FOLDER = "/usr/share/fonts/opentype/ipafont-gothic/"
FACES = {"window": ("IPAGothic", FONT_FOLDER + "ipag.ttf"), "problem": ("IPAPGothic", FONT_FOLDER + "ipagp.ttf")}


class Underline:
    """Where a face's underline goes at a pixel size, as the toolkit puts it: the font's
    underline offset rounded up to the middle of the pixel row below; the font's thickness."""

    def __init__(self, face):
        self.offset = -face.underlinePosition / face.unitsPerEm
        self.thickness = face.underlineThickness / face.unitsPerEm

    def at(self, pixel_size):
        return math.ceil(self.offset * pixel_size) + 0.5, max(1.0, self.thickness * pixel_size)


def draw_page(canvas, page, fonts):
    at = page["placement"]
    sx, sy, ox, oy = at["scaleX"], at["scaleY"], at["offsetX"], at["offsetY"]
    top = page["height"] - oy  # the sheet's top edge in ReportLab's bottom-up points

    def px(x):
        return ox + sx * x

    def py(y):
        return top - sy * y

    if page["backings"]:
        canvas.setFillGray(1)
        for b in page["backings"]:
            canvas.rect(px(b["left"]), py(b["top"] + b["height"]), sx * b["width"], sy * b["height"], stroke=0, fill=1)
        canvas.setFillGray(0)

    canvas.setLineWidth(sy)
    canvas.setLineJoin(2)  # bevel, the painter's pen
    if page["boxes"]:
        canvas.setLineCap(0)
        canvas.setDash([sy, sy], 0)
        # From the top left corner along the top edge first, so the dots fall where the
        # painter's do.
        for b in page["boxes"]:
            canvas.rect(px(b["left"]), py(b["top"]), sx * (b["right"] - b["left"]), -sy * (b["bottom"] - b["top"]))
        canvas.setDash()

    canvas.setLineCap(2)  # the solid pen's square ends
    if page["lines"]:
        path = canvas.beginPath()
        for line in page["lines"]:
            path.moveTo(px(line["x1"]), py(line["y1"]))
            path.lineTo(px(line["x2"]), py(line["y2"]))
        canvas.drawPath(path, stroke=1, fill=0)

    text = canvas.beginText()
    current = None
    for t in page["texts"]:
        name = fonts[t["face"]][0]
        size = t["pixelSize"]
        if current != (name, size):
            text.setFont(name, size * sy)
            current = (name, size)
        text.setTextOrigin(px(t["x"]), py(t["baseline"]))
        text.textOut(t["text"])
    canvas.drawText(text)

    # Underlines are drawn with flat ends from the whole pixel left of the text to the
    # whole pixel left of its end.
    canvas.setLineCap(0)
    for t in page["texts"]:
        if not t["underline"]:
            continue
        name, underline = fonts[t["face"]]
        below, thickness = underline.at(t["pixelSize"])
        width = pdfmetrics.stringWidth(t["text"], name, t["pixelSize"])
        y = py(t["baseline"] + below)
        canvas.setLineWidth(sy * thickness)
        canvas.line(px(math.floor(t["x"])), y, px(math.floor(t["x"] + width)), y)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: reportlab_peer.py DUMP.json OUT.pdf\n")
        return 2
    with open(argv[1], encoding="utf-8") as dump:
        pages = json.load(dump)["pages"]

    fonts = {}
    for key, (name, path) in FACES.items():
        font = TTFont(name, path)
        pdfmetrics.registerFont(font)
        fonts[key] = (name, Underline(font.face))

    # Binary deflated streams, as the toolkit writes them; ReportLab's default would wrap
    # them in ASCII85 as well, a quarter larger.
    rl_config.useA85 = 0
    canvas = Canvas(argv[2], pageCompression=1, initialFontName=FACES["window"][0])
    canvas.setTitle("Kolvara")
    canvas.setCreator("Kolvara")
    for page in pages:
        canvas.setPageSize((page["width"], page["height"]))
        draw_page(canvas, page, fonts)
        canvas.showPage()
    canvas.save()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
