#!/usr/bin/gjs
// gjs-banner --ad-network URL [--screenshot FILE]: a window with a line of text and a banner along
// its bottom edge; --screenshot saves it once an ad is painted (exit 1: none in 30 s).
imports.gi.versions.Gtk = '3.0';
imports.gi.versions.Tad = '4.1';
const {Gtk, Tad} = imports.gi;
const System = imports.system;

const option = name => {
    const at = ARGV.indexOf(name);
    return at >= 0 && at + 1 < ARGV.length ? ARGV[at + 1] : null;
};
const network = option('--ad-network'), screenshot = option('--screenshot');

Gtk.init(null);
let host;
try {
    host = Tad.Host.new(null, 'org.example.GjsBanner', 'GJS Banner', null);
    host.set_ad_network(network ?? '');
} catch (error) {
    printerr(`usage: gjs-banner --ad-network URL [--screenshot FILE]\n${error.message}`);
    System.exit(2);
}

const window = new Gtk.Window();
const column = new Gtk.Box({orientation: Gtk.Orientation.VERTICAL});
column.pack_start(new Gtk.Label({label: 'A line of text.'}), true, true, 12);
const banner = Tad.Banner.new('e40b9d2c7a1f356');
column.pack_end(banner, false, false, 0);
window.add(column);
window.connect('destroy', () => Gtk.main_quit());
window.show_all();
banner.load_request(null);
let status = 0;
if (screenshot) {
    banner.wait_for_ad_painted(30, (source, result) => {
        try {
            source.wait_for_ad_painted_finish(result);
            source.save_window_screenshot(screenshot);
        } catch (error) {
            printerr(`gjs-banner: ${error.message}`);
            status = 1;
        }
        window.destroy();
    });
}
Gtk.main();
host = null;
System.exit(status);
