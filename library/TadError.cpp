#include "tad/tad-error.h"

G_DEFINE_QUARK(tad - error - quark, tad_error)
G_DEFINE_QUARK(tad - host - error - quark, tad_host_error)
