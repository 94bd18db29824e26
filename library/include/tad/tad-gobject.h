#pragma once

/* The ad library's C face, for C programs and, through introspection (the Tad 4.1 namespace),
 * for Python, JavaScript, Vala and the other languages GTK speaks. */
#define TAD_GOBJECT_INSIDE
#include "tad/tad-banner.h"
#include "tad/tad-error.h"
#include "tad/tad-host.h"
#include "tad/tad-log.h"
#include "tad/tad-request.h"
#include "tad/tad-version.h"
#undef TAD_GOBJECT_INSIDE
