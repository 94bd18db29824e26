#include "tad/tad-host.h"

#include <memory>
#include <string>

#include "library/TadAccess.h"
#include "tad/Host.h"
#include "tad/tad-error.h"

namespace {

enum {
  PROP_0,
  PROP_APPLICATION,
  PROP_APPLICATION_ID,
  PROP_NAME,
  PROP_VERSION,
  PROP_CACHE_FOLDER,
  PROP_SETTINGS_FOLDER,
  PROP_DATA_FOLDER,
  N_PROPERTIES
};

GParamSpec* properties[N_PROPERTIES];

TadHost* current = nullptr;

}  // namespace

struct _TadHost {
  GObject parent_instance;
  GtkApplication* application;  // borrowed, as the C++ host borrows it
  tad::Identity* identity;      // the one asked for, until the host is made
  std::unique_ptr<tad::Host>* host;
};

static void tad_host_initable_init(GInitableIface* iface);

G_DEFINE_TYPE_WITH_CODE(TadHost, tad_host, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(G_TYPE_INITABLE, tad_host_initable_init))

namespace tad_gobject {

TadHost* currentHost() {
  return current;
}

}  // namespace tad_gobject

static std::string* identityField(tad::Identity& identity, guint property) {
  switch (property) {
    case PROP_APPLICATION_ID:
      return &identity.applicationId;
    case PROP_NAME:
      return &identity.name;
    case PROP_VERSION:
      return &identity.version;
    case PROP_CACHE_FOLDER:
      return &identity.cacheFolder;
    case PROP_SETTINGS_FOLDER:
      return &identity.settingsFolder;
    case PROP_DATA_FOLDER:
      return &identity.dataFolder;
    default:
      return nullptr;
  }
}

static void tad_host_set_property(GObject* object, guint property, const GValue* value,
                                  GParamSpec* pspec) {
  TadHost* self = TAD_HOST(object);
  if (property == PROP_APPLICATION) {
    self->application = GTK_APPLICATION(g_value_get_object(value));
  } else if (std::string* field = identityField(*self->identity, property)) {
    const char* text = g_value_get_string(value);
    *field = text ? text : "";
  } else {
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, property, pspec);
  }
}

static void tad_host_get_property(GObject* object, guint property, GValue* value,
                                  GParamSpec* pspec) {
  TadHost* self = TAD_HOST(object);
  const tad::Identity& identity = *self->host ? (*self->host)->identity() : *self->identity;
  if (property == PROP_APPLICATION) {
    g_value_set_object(value, self->application);
  } else if (std::string* field = identityField(const_cast<tad::Identity&>(identity), property)) {
    g_value_set_string(value, field->c_str());
  } else {
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, property, pspec);
  }
}

static gboolean tad_host_initable_init_host(GInitable* initable, GCancellable*, GError** error) {
  TadHost* self = TAD_HOST(initable);
  if (*self->host) return TRUE;
  std::string reason;
  *self->host = tad::Host::create(*self->identity, self->application, &reason);
  if (!*self->host) {
    g_set_error_literal(error, TAD_HOST_ERROR, TAD_HOST_ERROR_UNAVAILABLE, reason.c_str());
    return FALSE;
  }
  current = self;
  return TRUE;
}

static void tad_host_initable_init(GInitableIface* iface) {
  iface->init = tad_host_initable_init_host;
}

static void tad_host_finalize(GObject* object) {
  TadHost* self = TAD_HOST(object);
  if (current == self) current = nullptr;
  delete self->host;
  delete self->identity;
  G_OBJECT_CLASS(tad_host_parent_class)->finalize(object);
}

static void tad_host_class_init(TadHostClass* klass) {
  GObjectClass* object_class = G_OBJECT_CLASS(klass);
  object_class->set_property = tad_host_set_property;
  object_class->get_property = tad_host_get_property;
  object_class->finalize = tad_host_finalize;
  auto flags = GParamFlags(G_PARAM_READWRITE | G_PARAM_CONSTRUCT_ONLY | G_PARAM_STATIC_STRINGS);
  /**
   * TadHost:application: (nullable)
   *
   * The program's own application, when it has one.
   */
  properties[PROP_APPLICATION] =
      g_param_spec_object("application", nullptr, nullptr, GTK_TYPE_APPLICATION, flags);
  const struct {
    guint id;
    const char* name;
  } texts[] = {{PROP_APPLICATION_ID, "application-id"},
               {PROP_NAME, "name"},
               {PROP_VERSION, "version"},
               {PROP_CACHE_FOLDER, "cache-folder"},
               {PROP_SETTINGS_FOLDER, "settings-folder"},
               {PROP_DATA_FOLDER, "data-folder"}};
  for (const auto& text : texts)
    properties[text.id] = g_param_spec_string(text.name, nullptr, nullptr, nullptr, flags);
  g_object_class_install_properties(object_class, N_PROPERTIES, properties);
}

static void tad_host_init(TadHost* self) {
  self->identity = new tad::Identity();
  self->host = new std::unique_ptr<tad::Host>();
}

TadHost* tad_host_new(GtkApplication* application, const char* application_id, const char* name,
                      const char* version, GError** error) {
  g_return_val_if_fail(application == nullptr || GTK_IS_APPLICATION(application), nullptr);
  g_return_val_if_fail(error == nullptr || *error == nullptr, nullptr);
  return TAD_HOST(g_initable_new(TAD_TYPE_HOST, nullptr, error, "application", application,
                                 "application-id", application_id, "name", name, "version", version,
                                 nullptr));
}

char* tad_host_get_device_identifier(TadHost* host) {
  g_return_val_if_fail(TAD_IS_HOST(host) && *host->host, nullptr);
  return g_strdup((*host->host)->deviceIdentifier().c_str());
}

gboolean tad_host_set_ad_network(TadHost* host, const char* origin, GError** error) {
  g_return_val_if_fail(TAD_IS_HOST(host) && *host->host, FALSE);
  g_return_val_if_fail(origin != nullptr, FALSE);
  g_return_val_if_fail(error == nullptr || *error == nullptr, FALSE);
  if ((*host->host)->setAdNetwork(origin)) return TRUE;
  g_set_error(error, TAD_HOST_ERROR, TAD_HOST_ERROR_INVALID_ORIGIN,
              "Not an http or https origin (scheme://host[:port]): %s", origin);
  return FALSE;
}
