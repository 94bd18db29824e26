#include "tad/tad-error.h"

GQuark tad_error_quark() {
  return g_quark_from_static_string("tad-error-quark");
}

GQuark tad_host_error_quark() {
  return g_quark_from_static_string("tad-host-error-quark");
}
