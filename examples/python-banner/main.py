#!/usr/bin/python3
"""python-banner --ad-network URL [--screenshot FILE]: a window with a line of text and a banner
along its bottom edge; --screenshot saves it once an ad is painted (exit 1: none in 30 s)."""
import argparse
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Tad", "4.1")
from gi.repository import GLib, Gtk, Tad  # noqa: E402

parser = argparse.ArgumentParser(prog="python-banner")
parser.add_argument("--ad-network", required=True)
parser.add_argument("--screenshot")
options = parser.parse_args()

Gtk.init(sys.argv)
try:
    host = Tad.Host.new(None, "org.example.PythonBanner", "Python Banner", None)
    host.set_ad_network(options.ad_network)
except GLib.Error as error:
    sys.exit(f"python-banner: {error.message}")

window = Gtk.Window()
column = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
column.pack_start(Gtk.Label(label="A line of text."), True, True, 12)
banner = Tad.Banner.new("e40b9d2c7a1f356")
column.pack_end(banner, False, False, 0)
window.add(column)
window.connect("destroy", Gtk.main_quit)
window.show_all()
banner.load_request(None)
status = 0


def painted(banner, result):
    global status
    try:
        banner.wait_for_ad_painted_finish(result)
        banner.save_window_screenshot(options.screenshot)
    except GLib.Error as error:
        print(f"python-banner: {error.message}", file=sys.stderr)
        status = 1
    window.destroy()


if options.screenshot:
    banner.wait_for_ad_painted(30, painted)
Gtk.main()
sys.exit(status)
