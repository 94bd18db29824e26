#pragma once

#if !defined(TAD_GOBJECT_INSIDE) && !defined(TAD_COMPILATION)
#error "Only <tad/tad-gobject.h> can be included directly."
#endif

#include <glib.h>

#include "tad/Export.h"

G_BEGIN_DECLS

/**
 * TadLogSource:
 * @TAD_LOG_SOURCE_LIBRARY: a line of the library's own: its notes, warnings and misuse reports
 * @TAD_LOG_SOURCE_PAGE: a line an ad page wrote to its console
 *
 * Where a line the library writes comes from.
 */
typedef enum {
  TAD_LOG_SOURCE_LIBRARY = 0,
  TAD_LOG_SOURCE_PAGE = 1,
} TadLogSource;

/**
 * TadLogWriterFunc:
 * @level: the line's level: %G_LOG_LEVEL_CRITICAL, %G_LOG_LEVEL_WARNING, %G_LOG_LEVEL_MESSAGE or
 *   %G_LOG_LEVEL_INFO
 * @source: where the line comes from
 * @text: the line, without its end
 * @user_data: the data given to tad_set_log_writer()
 *
 * Receives every line the library writes, on the thread that writes it (the main loop's).
 */
typedef void (*TadLogWriterFunc)(GLogLevelFlags level, TadLogSource source, const char* text,
                                 gpointer user_data);

/**
 * tad_set_log_writer:
 * @writer: (nullable) (scope notified): where the library's lines go from now on, or %NULL for
 *   the default (criticals through GLib's log in the domain "Tad", every other line on stderr as
 *   it stands)
 * @user_data: (closure writer): data for @writer
 * @destroy: (destroy user_data) (nullable): frees @user_data when another writer replaces it
 *
 * Routes or quiets the library's lines. A writer that does nothing quiets them.
 */
TAD_EXPORT void tad_set_log_writer(TadLogWriterFunc writer, gpointer user_data,
                                   GDestroyNotify destroy);

/**
 * tad_log_to_glib:
 *
 * Sends the library's lines to GLib's structured log from now on, in the domain "Tad" with the
 * field TAD_SOURCE ("library" or "page"), so that the program's g_log_set_writer_func(),
 * `G_MESSAGES_DEBUG` and the journal see them.
 */
TAD_EXPORT void tad_log_to_glib(void);

/**
 * tad_log_default:
 * @level: the line's level
 * @source: where the line comes from
 * @text: the line
 *
 * Writes a line as the default writer does, for a writer that passes some lines on unchanged.
 */
TAD_EXPORT void tad_log_default(GLogLevelFlags level, TadLogSource source, const char* text);

G_END_DECLS
