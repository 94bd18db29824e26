#pragma once

#if !defined(TAD_GOBJECT_INSIDE) && !defined(TAD_COMPILATION)
#error "Only <tad/tad-gobject.h> can be included directly."
#endif

#include <glib.h>

#include "tad/Export.h"

G_BEGIN_DECLS

/**
 * TAD_ERROR:
 *
 * The error domain of a banner's failures: the codes are #TadError's.
 */
#define TAD_ERROR (tad_error_quark())

/**
 * TadError:
 * @TAD_ERROR_INVALID_REQUEST: the request or the banner cannot be served as it is (no host, a
 *   parameter the ad server refused)
 * @TAD_ERROR_NO_AD: the ad server has no ad to show this time
 * @TAD_ERROR_NETWORK: the ad server could not be reached
 * @TAD_ERROR_SERVER: the ad server failed
 * @TAD_ERROR_SYSTEM_TOO_OLD: the system cannot show the ad
 * @TAD_ERROR_TIMEOUT: the wait ran out
 *
 * Why a banner got no ad, with the codes of the C++ tad::RequestError.
 */
typedef enum {
  TAD_ERROR_INVALID_REQUEST = 0,
  TAD_ERROR_NO_AD = 1,
  TAD_ERROR_NETWORK = 2,
  TAD_ERROR_SERVER = 3,
  TAD_ERROR_SYSTEM_TOO_OLD = 4,
  TAD_ERROR_TIMEOUT = 5,
} TadError;

TAD_EXPORT GQuark tad_error_quark(void);

/**
 * TAD_HOST_ERROR:
 *
 * The error domain of the host's refusals: the codes are #TadHostError's.
 */
#define TAD_HOST_ERROR (tad_host_error_quark())

/**
 * TadHostError:
 * @TAD_HOST_ERROR_UNAVAILABLE: no host can be made now (no display, or another host lives)
 * @TAD_HOST_ERROR_INVALID_ORIGIN: the ad network's address is not an http or https origin
 *
 * Why the host refused what was asked.
 */
typedef enum {
  TAD_HOST_ERROR_UNAVAILABLE = 0,
  TAD_HOST_ERROR_INVALID_ORIGIN = 1,
} TadHostError;

TAD_EXPORT GQuark tad_host_error_quark(void);

G_END_DECLS
