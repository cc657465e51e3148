#!/usr/bin/python3
"""Drives the practice in WebKitGTK (the engine of Safari) for webkit.test.mjs, under xvfb-run.

    webkit_practice.py URL SCRIPT

Loads URL, waits for the practice on screen, runs SCRIPT (which works the sheet through the
page's own buttons and answers a JSON string) and writes {"answer", "errors"} as JSON to
standard output.
"""
import json
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("WebKit2", "4.1")
from gi.repository import GLib, Gtk, WebKit2  # noqa: E402

READY = ("document.documentElement.dataset.ready === 'true' && !document.documentElement.dataset.pending"
         " && !!document.getElementById('practice') && !document.getElementById('practice').hidden")
TIMEOUT_S = 60

url, script = sys.argv[1:3]
result = {"answer": None, "errors": []}
loop = GLib.MainLoop()

# A fresh context each run, so no service worker of an earlier run serves an older page.
view = WebKit2.WebView.new_with_context(WebKit2.WebContext.new_ephemeral())
view.set_size_request(820, 1180)
window = Gtk.OffscreenWindow()
window.add(view)
window.show_all()


def fail(why):
    result["errors"].append(why)
    loop.quit()


def evaluate(source, then):
    def done(view_, answer):
        try:
            then(view_.evaluate_javascript_finish(answer).to_string())
        except GLib.Error as error:
            fail(f"script failed: {error.message}")

    view.evaluate_javascript(source, -1, None, None, None, done)


def wait_until(condition, then):
    def check(answer):
        if answer == "true":
            then()
        else:
            GLib.timeout_add(100, lambda: evaluate(f"String({condition})", check) and False)

    evaluate(f"String({condition})", check)


def keep(answer):
    result["answer"] = json.loads(answer)
    loop.quit()


view.connect("load-failed", lambda _v, _e, failing, error: fail(f"{failing}: {error.message}") or True)
view.load_uri(url)
wait_until(READY, lambda: evaluate(script, keep))
GLib.timeout_add_seconds(TIMEOUT_S, lambda: fail(f"no answer within {TIMEOUT_S} s"))
loop.run()
print(json.dumps(result))
