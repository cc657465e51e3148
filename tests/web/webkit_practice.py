#!/usr/bin/python3
"""Drives the page in WebKitGTK (the engine of Safari) for webkit.test.mjs, under xvfb-run.

Reads one JSON command a line on standard input and answers each with one JSON line,
{"value": ...} or {"error": "..."}, on standard output:

    {"open": URL, "width": W, "height": H}  a new view in a fresh context, once URL has loaded
    {"reload": true}                        once the page has loaded again
    {"wait": EXPRESSION}                    once EXPRESSION is true in the page
    {"run": SCRIPT}                         SCRIPT's JSON string, read back
    {"requests": true}                      every address the view asked for since the last time

The test between commands may stop the server, so the driver must not ask anything of its own.
"""
import json
import os
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("WebKit2", "4.1")
from gi.repository import GLib, Gtk, WebKit2  # noqa: E402

WAIT_S = 30

loop = GLib.MainLoop()
window = Gtk.OffscreenWindow()
window.show_all()
state = {"view": None, "loading": None, "requests": [], "pending": b""}


def answer(value=None, error=None):
    print(json.dumps({"error": error} if error else {"value": value}), flush=True)


def evaluate(source, then):
    def done(view, result):
        try:
            then(view.evaluate_javascript_finish(result).to_string())
        except GLib.Error as error:
            answer(error=f"script failed: {error.message}")

    state["view"].evaluate_javascript(source, -1, None, None, None, done)


def wait(condition):
    deadline = GLib.get_monotonic_time() + WAIT_S * 1000000

    def check(value):
        if value == "true":
            answer(True)
        elif GLib.get_monotonic_time() > deadline:
            answer(error=f"not true within {WAIT_S} s: {condition}")
        else:
            GLib.timeout_add(50, lambda: evaluate(f"String({condition})", check) and False)

    evaluate(f"String({condition})", check)


def loaded(_view, event):
    if event == WebKit2.LoadEvent.FINISHED and state["loading"]:
        state["loading"] = None
        answer(True)


def failed(_view, _event, uri, error):
    if state["loading"]:
        state["loading"] = None
        answer(error=f"{uri}: {error.message}")
    return True


def open_view(url, width, height):
    if state["view"]:
        window.remove(state["view"])
    # A fresh context each time, as a new browser profile: no service worker, storage or
    # cache of an earlier page.
    view = WebKit2.WebView.new_with_context(WebKit2.WebContext.new_ephemeral())
    view.set_size_request(width, height)
    window.resize(width, height)
    view.connect("load-changed", loaded)
    view.connect("load-failed", failed)
    # Every request the page makes, whoever answers it: the server, the cache or a service worker.
    view.connect("resource-load-started", lambda _v, _r, request: state["requests"].append(request.get_uri()))
    window.add(view)
    view.show()
    state.update(view=view, loading=url, requests=[])
    view.load_uri(url)


def run(command):
    if "open" in command:
        open_view(command["open"], command.get("width", 820), command.get("height", 1180))
    elif "reload" in command:
        state["loading"] = state["view"].get_uri()
        state["view"].reload()
    elif "wait" in command:
        wait(command["wait"])
    elif "run" in command:
        evaluate(command["run"], lambda value: answer(json.loads(value)))
    elif "requests" in command:
        answer(state["requests"])
        state["requests"] = []
    else:
        answer(error=f"unknown command: {command}")


def read(fd, _condition):
    data = os.read(fd, 65536)
    if not data:
        loop.quit()
        return False
    state["pending"] += data
    *lines, state["pending"] = state["pending"].split(b"\n")
    for line in lines:
        if line.strip():
            run(json.loads(line))
    return True


GLib.io_add_watch(sys.stdin.fileno(), GLib.IO_IN | GLib.IO_HUP, read)
loop.run()
