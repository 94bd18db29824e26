#include "tad/tad-request.h"

#include <optional>
#include <string>
#include <vector>

#include "library/TadAccess.h"

struct _TadRequest {
  GObject parent_instance;
  tad::Request* request;
};

G_DEFINE_TYPE(TadRequest, tad_request, G_TYPE_OBJECT)

namespace tad_gobject {

const tad::Request& requestOf(TadRequest* request) {
  return *request->request;
}

}  // namespace tad_gobject

static void tad_request_finalize(GObject* object) {
  delete TAD_REQUEST(object)->request;
  G_OBJECT_CLASS(tad_request_parent_class)->finalize(object);
}

static void tad_request_class_init(TadRequestClass* klass) {
  G_OBJECT_CLASS(klass)->finalize = tad_request_finalize;
}

static void tad_request_init(TadRequest* self) {
  self->request = new tad::Request();
}

TadRequest* tad_request_new() {
  return TAD_REQUEST(g_object_new(TAD_TYPE_REQUEST, nullptr));
}

void tad_request_set_testing(TadRequest* request, gboolean testing) {
  g_return_if_fail(TAD_IS_REQUEST(request));
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  request->request->setTesting(testing);
  G_GNUC_END_IGNORE_DEPRECATIONS
}

gboolean tad_request_get_testing(TadRequest* request) {
  g_return_val_if_fail(TAD_IS_REQUEST(request), FALSE);
  return request->request->isTesting();
}

void tad_request_set_test_devices(TadRequest* request, const char* const* devices) {
  g_return_if_fail(TAD_IS_REQUEST(request));
  std::vector<std::string> list;
  for (; devices && *devices; ++devices)
    list.emplace_back(*devices);
  request->request->setTestDevices(std::move(list));
}

void tad_request_set_gender(TadRequest* request, TadGender gender) {
  g_return_if_fail(TAD_IS_REQUEST(request));
  g_return_if_fail(gender >= TAD_GENDER_UNKNOWN && gender <= TAD_GENDER_FEMALE);
  request->request->setGender(static_cast<tad::Request::Gender>(gender));
}

void tad_request_set_birthday(TadRequest* request, int year, int month, int day) {
  g_return_if_fail(TAD_IS_REQUEST(request));
  request->request->setBirthday(year, month, day);
}

void tad_request_add_keyword(TadRequest* request, const char* keyword) {
  g_return_if_fail(TAD_IS_REQUEST(request));
  g_return_if_fail(keyword != nullptr);
  request->request->addKeyword(keyword);
}

char** tad_request_get_keywords(TadRequest* request) {
  g_return_val_if_fail(TAD_IS_REQUEST(request), nullptr);
  std::vector<std::string> keywords = request->request->keywords();
  char** list = g_new0(char*, keywords.size() + 1);
  for (size_t i = 0; i < keywords.size(); ++i)
    list[i] = g_strdup(keywords[i].c_str());
  return list;
}

void tad_request_set_location(TadRequest* request, double latitude, double longitude,
                              double accuracy) {
  g_return_if_fail(TAD_IS_REQUEST(request));
  request->request->setLocation(latitude, longitude, accuracy);
}

void tad_request_set_location_description(TadRequest* request, const char* description) {
  g_return_if_fail(TAD_IS_REQUEST(request));
  request->request->setLocationDescription(description ? description : "");
}

void tad_request_set_additional_parameter(TadRequest* request, const char* name,
                                          const char* value) {
  g_return_if_fail(TAD_IS_REQUEST(request));
  g_return_if_fail(name != nullptr && value != nullptr);
  request->request->setAdditionalParameter(name, value);
}

char* tad_request_to_string(TadRequest* request) {
  g_return_val_if_fail(TAD_IS_REQUEST(request), nullptr);
  return g_strdup(request->request->description().c_str());
}

namespace {

gboolean readFlag(std::optional<bool> flag, gboolean* value) {
  if (value) *value = flag.value_or(false);
  return flag.has_value();
}

char* textOrNull(const std::string& text) { return text.empty() ? nullptr : g_strdup(text.c_str()); }

}  // namespace

void tad_request_set_consent_regime_applies(TadRequest* request, gboolean applies) {
  g_return_if_fail(TAD_IS_REQUEST(request));
  request->request->setConsentRegimeApplies(applies);
}

void tad_request_clear_consent_regime_applies(TadRequest* request) {
  g_return_if_fail(TAD_IS_REQUEST(request));
  request->request->clearConsentRegimeApplies();
}

gboolean tad_request_get_consent_regime_applies(TadRequest* request, gboolean* applies) {
  g_return_val_if_fail(TAD_IS_REQUEST(request), FALSE);
  return readFlag(request->request->consentRegimeApplies(), applies);
}

void tad_request_set_consent_string(TadRequest* request, const char* consent) {
  g_return_if_fail(TAD_IS_REQUEST(request));
  request->request->setConsentString(consent ? consent : "");
}

char* tad_request_get_consent_string(TadRequest* request) {
  g_return_val_if_fail(TAD_IS_REQUEST(request), nullptr);
  return textOrNull(request->request->consentString());
}

void tad_request_set_us_privacy_string(TadRequest* request, const char* choices) {
  g_return_if_fail(TAD_IS_REQUEST(request));
  request->request->setUSPrivacyString(choices ? choices : "");
}

char* tad_request_get_us_privacy_string(TadRequest* request) {
  g_return_val_if_fail(TAD_IS_REQUEST(request), nullptr);
  return textOrNull(request->request->usPrivacyString());
}

void tad_request_set_child_directed_treatment(TadRequest* request, gboolean child_directed) {
  g_return_if_fail(TAD_IS_REQUEST(request));
  request->request->setChildDirectedTreatment(child_directed);
}

void tad_request_clear_child_directed_treatment(TadRequest* request) {
  g_return_if_fail(TAD_IS_REQUEST(request));
  request->request->clearChildDirectedTreatment();
}

gboolean tad_request_get_child_directed_treatment(TadRequest* request, gboolean* child_directed) {
  g_return_val_if_fail(TAD_IS_REQUEST(request), FALSE);
  return readFlag(request->request->childDirectedTreatment(), child_directed);
}
