#!/usr/bin/python3
"""The last step of the site: the page with its style sheet and the window's texts inside,
its manifest with the application's names, and its service worker with the list of files
it keeps, under a version made from their contents.

    finish_site.py SRC_DIR SITE_DIR UI_TEXTS.json
"""

import hashlib
import json
import os
import sys

TEMPLATES = ["index.html", "manifest.webmanifest", "sw.js"]




def site_files(site):
    files = []
    for folder, _, entries in os.walk(site):
        for entry in entries:
            path = os.path.relpath(os.path.join(folder, entry), site).replace(os.sep, "/")
            if path != "sw.js" and not path.endswith((".map", ".gz", ".br")):
                files.append(path)
    return sorted(files)


def main():
    source, site, ui_path = sys.argv[1:4]
    with open(ui_path, encoding="utf-8") as f:
        ui = f.read()
    data = json.loads(ui)
    # The practice's own style sheet follows the page's.
    style = ""
    for name in ("style.css", "practice.css"):
        with open(os.path.join(source, name), encoding="utf-8") as f:
            style += f.read()
    texts = {}
    for name in TEMPLATES:
        with open(os.path.join(source, name), encoding="utf-8") as f:
            texts[name] = (f.read().replace("@APP_NAME@", data["appName"]).replace("@SHORT_NAME@", data["windowTitle"])
                           .replace("@STYLE@", style).replace("@UI_TEXTS@", ui.replace("</", "<\\/")))
    for name in ("index.html", "manifest.webmanifest"):
        with open(os.path.join(site, name), "w", encoding="utf-8") as f:
            f.write(texts[name])

    files = site_files(site)
    digest = hashlib.sha256()
    for path in files:
        digest.update(path.encode())
        with open(os.path.join(site, path), "rb") as f:
            digest.update(f.read())
    kept = ["./"] + files
    worker = texts["sw.js"].replace("@VERSION@", digest.hexdigest()[:16]).replace("@FILES@", json.dumps(kept))
    with open(os.path.join(site, "sw.js"), "w", encoding="utf-8") as f:
        f.write(worker)
    return 0


if __name__ == "__main__":
    sys.exit(main())
