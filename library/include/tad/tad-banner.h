#pragma once

#if !defined(TAD_GOBJECT_INSIDE) && !defined(TAD_COMPILATION)
#error "Only <tad/tad-gobject.h> can be included directly."
#endif

#include <gio/gio.h>
#include <gtk/gtk.h>

#include "tad/Export.h"
#include "tad/tad-request.h"

G_BEGIN_DECLS

/**
 * TadBanner:
 *
 * A 320×50 ad banner: a widget that the program packs where it likes. It loads an ad for a
 * request, loads the next on the ad server's schedule while it can be seen, and tells what
 * happens through its signals, on the main loop. A click on the ad presents a full-screen screen
 * over the window the banner is in, or hands an address to another program.
 *
 * Made on the loop's thread while a #TadHost lives; it holds a reference to that host. It goes
 * as any widget goes — with its window, by gtk_widget_destroy(), or with its last reference —
 * and a screen it presented closes with it. A banner made with no host logs a critical naming
 * the host, stays an empty widget of its size, and answers each request with a
 * %TAD_ERROR_INVALID_REQUEST failure.
 *
 * Assistive technologies see it as one landmark named "Advertisement", the ad's page within it.
 */
#define TAD_TYPE_BANNER (tad_banner_get_type())
TAD_EXPORT G_DECLARE_FINAL_TYPE(TadBanner, tad_banner, TAD, BANNER, GtkBin)

/**
 * TadBanner:ad-unit-id:
 *
 * The ad unit whose ads the banner shows; set when it is made.
 */

/**
 * TadBanner:shows-ad:
 *
 * Whether the banner shows an ad now.
 */

/**
 * TadBanner:refresh-paused:
 *
 * Whether the program paused refresh (tad_banner_pause_refresh()). Refresh also waits while the
 * banner cannot be seen, which this property does not tell.
 */

/**
 * TadBanner::did-receive-ad:
 * @banner: the banner
 *
 * The banner shows a new ad.
 */

/**
 * TadBanner::did-fail-to-receive-ad:
 * @banner: the banner
 * @error: why, in the %TAD_ERROR domain, its message starting "Request Error: "
 * @http_status: the HTTP status of the answer the failure came from (the ad server's, or that
 *   of the script that builds the ad's address), or 0 when no answer came
 * @underlying_error: (nullable): what failed underneath (a connection refused, a name not
 *   found, the ad's page not loading), in the domain and code of what reported it, when
 *   something did
 *
 * No ad this time; the banner tries again on the server's schedule.
 */

/**
 * TadBanner::will-present-screen:
 * @banner: the banner
 *
 * A click on the ad is about to cover the program's window with a full-screen screen (a
 * browser, a web app): the program may pause what it shows.
 */

/**
 * TadBanner::will-dismiss-screen:
 * @banner: the banner
 *
 * The screen is about to close.
 */

/**
 * TadBanner::did-dismiss-screen:
 * @banner: the banner
 *
 * The screen has closed; it also closes, and this is emitted, when the banner or its window
 * goes.
 */

/**
 * TadBanner::will-leave-application:
 * @banner: the banner
 *
 * A click on the ad hands an address to another program.
 */

/**
 * TadBanner::did-record-impression:
 * @banner: the banner
 *
 * The ad shown was counted as seen: once for each ad, after #TadBanner::did-receive-ad.
 */

/**
 * TadBanner::did-record-click:
 * @banner: the banner
 *
 * A click on the ad was counted: once for each click that opened something.
 */

/**
 * TAD_BANNER_WIDTH:
 *
 * The banner's width in pixels.
 */
#define TAD_BANNER_WIDTH 320

/**
 * TAD_BANNER_HEIGHT:
 *
 * The banner's height in pixels.
 */
#define TAD_BANNER_HEIGHT 50

/**
 * tad_banner_new:
 * @ad_unit_id: the ad unit whose ads it shows
 *
 * Returns: (transfer floating): the banner, hidden as new widgets are
 */
TAD_EXPORT GtkWidget* tad_banner_new(const char* ad_unit_id);

/**
 * tad_banner_get_ad_unit_id:
 * @banner: the banner
 *
 * Returns: the ad unit whose ads it shows
 */
TAD_EXPORT const char* tad_banner_get_ad_unit_id(TadBanner* banner);

/**
 * tad_banner_load_request:
 * @banner: the banner
 * @request: (nullable): what the program wants; %NULL asks for a plain ad
 *
 * Loads an ad for a copy of @request, and the following ones on the ad server's schedule. The
 * outcome comes as #TadBanner::did-receive-ad or #TadBanner::did-fail-to-receive-ad. Does
 * nothing on a destroyed banner.
 */
TAD_EXPORT void tad_banner_load_request(TadBanner* banner, TadRequest* request);

/**
 * tad_banner_get_shows_ad:
 * @banner: the banner
 *
 * Returns: whether the banner shows an ad now
 */
TAD_EXPORT gboolean tad_banner_get_shows_ad(TadBanner* banner);

/**
 * tad_banner_pause_refresh:
 * @banner: the banner
 *
 * Holds back the next ads (and the retries after a failure) until tad_banner_resume_refresh().
 * Refresh also waits by itself while the banner cannot be seen (not mapped, its window minimised
 * or withdrawn); a refresh that falls due meanwhile comes once both hold again. A
 * tad_banner_load_request() goes ahead in any case.
 */
TAD_EXPORT void tad_banner_pause_refresh(TadBanner* banner);

/**
 * tad_banner_resume_refresh:
 * @banner: the banner
 *
 * Undoes tad_banner_pause_refresh().
 */
TAD_EXPORT void tad_banner_resume_refresh(TadBanner* banner);

/**
 * tad_banner_get_refresh_paused:
 * @banner: the banner
 *
 * Returns: whether the program paused refresh (#TadBanner:refresh-paused)
 */
TAD_EXPORT gboolean tad_banner_get_refresh_paused(TadBanner* banner);

/**
 * tad_banner_set_refresh_paused:
 * @banner: the banner
 * @paused: whether to pause refresh
 *
 * Pauses or resumes refresh, as tad_banner_pause_refresh() and tad_banner_resume_refresh() do.
 */
TAD_EXPORT void tad_banner_set_refresh_paused(TadBanner* banner, gboolean paused);

/**
 * tad_banner_wait_for_ad_painted:
 * @banner: the banner
 * @timeout_seconds: how long to wait
 * @callback: (scope async): called on the main loop once the banner shows an ad painted on
 *   screen, or when @timeout_seconds have passed without one, or when the banner goes
 * @user_data: passed to @callback
 *
 * Waits for an ad on screen. One wait at a time: a new one ends the one before with
 * %G_IO_ERROR_CANCELLED. Call tad_banner_wait_for_ad_painted_finish() in @callback.
 */
TAD_EXPORT void tad_banner_wait_for_ad_painted(TadBanner* banner, double timeout_seconds,
                                               GAsyncReadyCallback callback, gpointer user_data);

/**
 * tad_banner_wait_for_ad_painted_finish:
 * @banner: the banner
 * @result: what @callback was given
 * @error: the place for why no ad was painted: %TAD_ERROR_TIMEOUT when the time ran out,
 *   %G_IO_ERROR_CANCELLED when the wait was replaced or the banner went
 *
 * Returns: whether an ad was painted
 */
TAD_EXPORT gboolean tad_banner_wait_for_ad_painted_finish(TadBanner* banner, GAsyncResult* result,
                                                          GError** error);

/**
 * tad_banner_save_window_screenshot:
 * @banner: the banner
 * @path: (type filename): where to write the PNG file
 * @error: the place for the reason of a failure (%G_IO_ERROR_FAILED)
 *
 * Saves the window the banner is in, as it is drawn now with the ad's page in it, as a PNG file.
 *
 * Returns: whether the file was saved
 */
TAD_EXPORT gboolean tad_banner_save_window_screenshot(TadBanner* banner, const char* path,
                                                      GError** error);

G_END_DECLS
