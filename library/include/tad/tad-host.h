#pragma once

#if !defined(TAD_GOBJECT_INSIDE) && !defined(TAD_COMPILATION)
#error "Only <tad/tad-gobject.h> can be included directly."
#endif

#include <gtk/gtk.h>

#include "tad/Export.h"

G_BEGIN_DECLS

/**
 * TadHost:
 *
 * The library inside a GTK 3 program that has its own windows and main loop. While the host
 * lives, the library works on GLib's default main context — whatever iterates it
 * (gtk_main(), g_application_run(), a loop of the program's own) runs the library's work too —
 * and knows the program by its identity: the reverse-DNS application identifier (also the one
 * ad requests carry), the name it shows, its version, and the names of its folders under the
 * user's XDG base folders (fetched files under `$XDG_CACHE_HOME/<cache-folder>`, settings under
 * `$XDG_CONFIG_HOME/<settings-folder>`, website data under `$XDG_DATA_HOME/<data-folder>/WebKit`;
 * a folder left unnamed is the application identifier, an identifier left out is the program's
 * name).
 *
 * One host at a time, made on the thread that runs the loop, before any banner. Each #TadBanner
 * holds a reference to the host it was made under, so the program may drop its own reference
 * whenever it likes: the host goes with the last of it and its banners.
 *
 * The construct-only properties may also be given to g_initable_new(), which reports a refusal
 * as tad_host_new() does.
 */
#define TAD_TYPE_HOST (tad_host_get_type())
TAD_EXPORT G_DECLARE_FINAL_TYPE(TadHost, tad_host, TAD, HOST, GObject)

/**
 * tad_host_new:
 * @application: (nullable): the program's own application, when it has one; only borrowed, its
 *   shutdown tells the library that the program ends
 * @application_id: (nullable): the reverse-DNS application identifier
 * @name: (nullable): the name the program shows
 * @version: (nullable): the program's version
 * @error: the place for the reason of a refusal
 *
 * Makes the host, or refuses with %TAD_HOST_ERROR_UNAVAILABLE when GTK cannot open a display or
 * another host lives.
 *
 * Returns: (transfer full) (nullable): the host, or %NULL with @error set
 */
TAD_EXPORT TadHost* tad_host_new(GtkApplication* application, const char* application_id,
                                 const char* name, const char* version, GError** error);

/**
 * tad_host_get_device_identifier:
 * @host: the host
 *
 * This device's identifier as tad_request_set_test_devices() takes it: a program shows it to its
 * developers, who list it to get test ads here. It is keyed to the application identifier, and
 * stays the same from run to run.
 *
 * Returns: (transfer full): the identifier
 */
TAD_EXPORT char* tad_host_get_device_identifier(TadHost* host);

/**
 * tad_host_set_ad_network:
 * @host: the host
 * @origin: `http://host[:port]` or an https one
 * @error: the place for the reason of a refusal
 *
 * Points the library at the ad network at @origin, which serves the page script and the ads;
 * set it before the first banner loads. Anything but such an origin (a path, a query, another
 * scheme) is refused with %TAD_HOST_ERROR_INVALID_ORIGIN and changes nothing.
 *
 * Returns: whether the origin was taken
 */
TAD_EXPORT gboolean tad_host_set_ad_network(TadHost* host, const char* origin, GError** error);

G_END_DECLS
