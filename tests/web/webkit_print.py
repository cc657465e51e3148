#!/usr/bin/python3
"""Drives the page in WebKitGTK (the engine of Safari) for webkit.test.mjs, under xvfb-run.

    webkit_print.py URL OUT_DIR STATE_SCRIPT

Loads URL, waits for the sheet, notes STATE_SCRIPT's answer (a JSON string), clicks 更新,
waits for the new sheet and notes it again, then prints through WebKit's own print path,
as the print dialog would, onto A4 portrait and A4 landscape into OUT_DIR/portrait.pdf and
OUT_DIR/landscape.pdf. Writes {"before", "after", "errors"} as JSON to standard output.
"""
import json
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("WebKit2", "4.1")
from gi.repository import GLib, Gtk, WebKit2  # noqa: E402

READY = ("document.documentElement.dataset.ready === 'true' && !!document.documentElement.dataset.printReady"
         " && !document.documentElement.dataset.pending")
TIMEOUT_S = 60

url, out_dir, state_script = sys.argv[1:4]
result = {"before": None, "after": None, "errors": []}
loop = GLib.MainLoop()

# Only the print-to-file backend: the machine's printers have nothing to do with the test.
Gtk.Settings.get_default().set_property("gtk-print-backends", "file")
# A fresh context each run, so no service worker of an earlier run serves an older page.
view = WebKit2.WebView.new_with_context(WebKit2.WebContext.new_ephemeral())
view.set_size_request(1366, 768)
window = Gtk.OffscreenWindow()
window.add(view)
window.show_all()


def fail(why):
    result["errors"].append(why)
    loop.quit()


def evaluate(script, then):
    def done(source, answer):
        try:
            then(source.evaluate_javascript_finish(answer).to_string())
        except GLib.Error as error:
            fail(f"script failed: {error.message}")

    view.evaluate_javascript(script, -1, None, None, None, done)


def wait_until(condition, then):
    def check(answer):
        if answer == "true":
            then()
        else:
            GLib.timeout_add(100, lambda: evaluate(f"String({condition})", check) and False)

    evaluate(f"String({condition})", check)


def print_on(orientation, name, then):
    setup = Gtk.PageSetup()
    setup.set_paper_size(Gtk.PaperSize.new(Gtk.PAPER_NAME_A4))
    setup.set_orientation(orientation)
    settings = Gtk.PrintSettings()
    settings.set(Gtk.PRINT_SETTINGS_PRINTER, "Print to File")
    settings.set(Gtk.PRINT_SETTINGS_OUTPUT_FILE_FORMAT, "pdf")
    settings.set(Gtk.PRINT_SETTINGS_OUTPUT_URI, GLib.filename_to_uri(f"{out_dir}/{name}.pdf"))
    operation = WebKit2.PrintOperation.new(view)
    operation.set_page_setup(setup)
    operation.set_print_settings(settings)
    operation.connect("failed", lambda _, error: result["errors"].append(f"{name}: {error.message}"))
    operation.connect("finished", lambda _: then())
    operation.print_()


def noted(key, then):
    def keep(answer):
        result[key] = json.loads(answer)
        then()

    return lambda: evaluate(state_script, keep)


def refresh():
    evaluate("(() => { const before = location.hash; document.getElementById('refresh').click(); return before; })()",
             lambda before: wait_until(f"location.hash !== {json.dumps(before)} && {READY}",
                                       noted("after", print_both)))


def print_both():
    print_on(Gtk.PageOrientation.PORTRAIT, "portrait",
             lambda: print_on(Gtk.PageOrientation.LANDSCAPE, "landscape", loop.quit))


view.connect("load-failed", lambda _v, _e, failing, error: fail(f"{failing}: {error.message}") or True)
view.load_uri(url)
wait_until(READY, noted("before", refresh))
GLib.timeout_add_seconds(TIMEOUT_S, lambda: fail(f"no answer within {TIMEOUT_S} s"))
loop.run()
print(json.dumps(result))
