#!/usr/bin/python3
"""The window's texts for the page, taken from the window's stored layout and the desktop
entry, so the page shows them character for character.

    ui_texts.py FormKolvara.ui APP.desktop OUT.json

OUT.json: {windowTitle, appName, widgets: {objectName: {text, title, toolTip}}}. Captions
keep their accelerator marks ("更新(&N)").
"""

import json
import sys
import xml.etree.ElementTree as ElementTree


def widget_texts(ui_path):
    root = ElementTree.parse(ui_path).getroot()
    widgets = {}
    window_title = None
    for widget in root.iter("widget"):
        texts = {}
        for prop in widget.findall("property"):
            name = prop.get("name")
            string = prop.find("string")
            if name in ("text", "title", "toolTip", "windowTitle") and string is not None and string.text:
                texts[name] = string.text
        if "windowTitle" in texts:
            window_title = texts.pop("windowTitle")
        if texts:
            widgets[widget.get("name")] = texts
    return window_title, widgets


def desktop_name(path):
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("Name[ja]="):
                return line.split("=", 1)[1].strip()
    raise SystemExit(f"{path}: no Name[ja]")


def main():
    ui_path, desktop_path, out_path = sys.argv[1:4]
    window_title, widgets = widget_texts(ui_path)
    data = {"windowTitle": window_title, "appName": desktop_name(desktop_path), "widgets": widgets}
    with open(out_path, "w", encoding="utf-8") as f:
        json.dump(data, f, ensure_ascii=False, sort_keys=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
