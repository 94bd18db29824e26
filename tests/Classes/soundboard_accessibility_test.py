#!/usr/bin/python3
"""What assistive technologies find in the soundboard, read as they read it: through AT-SPI.

Runs the program on the display and session bus it is given (the test runs under xvfb-run and
dbus-run-session, so nothing of the desktop it was started from is touched), then looks in the
accessibility tree for the banner, a landmark named "Advertisement" with the ad's page inside it,
and for the status strip along the top of the device screen, which reads as the system's name and
the time.

    soundboard_accessibility_test.py PROGRAM CREATIVES_FOLDER

PROGRAM is the soundboard (run with --silent and its own ad network); CREATIVES_FOLDER holds one
folder per creative of that network, each page titled with its folder's name.
Exit status 0 when both are found, 1 with what was found otherwise.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# Needs Debian's python3-pyatspi (and python3-gi), which serve /usr/bin/python3.
import pyatspi

TIME_LIMIT = 100  # seconds for the whole test, hung calls included
STATUS_TEXT = re.compile(r"^Linux \d\d:\d\d$")


def nodes_under(node, depth=0):
    """node and everything beneath it, depth first, with the depth of each."""
    if node is None or depth > 40:
        return
    yield node, depth
    try:
        count = node.childCount
    except Exception:  # a node whose process went or that is not ready yet
        return
    for index in range(count):
        try:
            child = node.getChildAtIndex(index)
        except Exception:
            continue
        yield from nodes_under(child, depth + 1)


def role(node):
    try:
        return node.getRole()
    except Exception:
        return None


def name(node):
    try:
        return node.name or ""
    except Exception:
        return ""


def text(node):
    try:
        return node.queryText().getText(0, -1)
    except Exception:
        return ""


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def advertisement(app):
    for node, _ in nodes_under(app):
        if role(node) == pyatspi.ROLE_LANDMARK and name(node) == "Advertisement":
            return node
    return None


def page_inside(landmark, creatives):
    """The title of the ad page beneath the landmark, once the page shows words."""
    for inner, _ in nodes_under(landmark):
        if role(inner) == pyatspi.ROLE_DOCUMENT_WEB and name(inner) in creatives:
            words = [name(leaf) or text(leaf) for leaf, _ in nodes_under(inner)]
            if any(re.search(r"\w", word) for word in words):
                return name(inner)
    return None


def status_strip(app):
    for node, _ in nodes_under(app):
        if role(node) == pyatspi.ROLE_STATUS_BAR and STATUS_TEXT.match(name(node)):
            return name(node)
    return None


def describe(app):
    lines = []
    for node, depth in nodes_under(app):
        lines.append("  " * depth + "%s %r" % (role(node), name(node)))
    return "\n".join(lines)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    program, creatives_folder = sys.argv[1], sys.argv[2]
    creatives = set(os.listdir(creatives_folder))
    signal.alarm(TIME_LIMIT)
    environment = dict(os.environ)
    environment.pop("NO_AT_BRIDGE", None)  # GTK then joins the accessibility bus
    home = tempfile.mkdtemp(prefix="soundboard-accessibility-")
    for variable in ("XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"):
        environment[variable] = os.path.join(home, variable)
    child = subprocess.Popen([program, "--silent"], env=environment)
    found = {}
    try:
        deadline = time.monotonic() + TIME_LIMIT - 10
        app = landmark = None
        # The whole tree is read once the program has one; then only the banner, whose page comes
        # later, so that the reading does not weigh on the page's web process.
        while time.monotonic() < deadline:
            app = app or application(child.pid)
            if app is not None and landmark is None:
                landmark = advertisement(app)
                found = {"advertisement": landmark is not None, "status": status_strip(app)}
            if landmark is not None:
                found["status"] = found["status"] or status_strip(app)
                found["page"] = page_inside(landmark, creatives)
                if found["page"] and found["status"]:
                    print("found the advertisement with the page %r inside, and the status "
                          "strip reading %r" % (found["page"], found["status"]))
                    return 0
            if child.poll() is not None:
                print("the program ended with status %d" % child.returncode)
                return 1
            time.sleep(1)
        print("not found in time: %r" % found)
        if app is not None:
            print(describe(app))
        return 1
    finally:
        child.terminate()
        try:
            child.wait(10)
        except subprocess.TimeoutExpired:
            child.kill()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
