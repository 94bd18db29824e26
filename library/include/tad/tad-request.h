#pragma once

#if !defined(TAD_GOBJECT_INSIDE) && !defined(TAD_COMPILATION)
#error "Only <tad/tad-gobject.h> can be included directly."
#endif

#include <glib-object.h>

#include "tad/Export.h"

G_BEGIN_DECLS

/**
 * TadRequest:
 *
 * What the program wants from the ad server: whether it is testing, targeting hints and extra
 * parameters. A banner takes a copy of it when it loads, so a request may be changed or dropped
 * afterwards.
 */
#define TAD_TYPE_REQUEST (tad_request_get_type())
TAD_EXPORT G_DECLARE_FINAL_TYPE(TadRequest, tad_request, TAD, REQUEST, GObject)

    /**
     * TadGender:
     * @TAD_GENDER_UNKNOWN: not said
     * @TAD_GENDER_MALE: male
     * @TAD_GENDER_FEMALE: female
     *
     * A targeting hint for tad_request_set_gender().
     */
    typedef enum {
      TAD_GENDER_UNKNOWN = 0,
      TAD_GENDER_MALE = 1,
      TAD_GENDER_FEMALE = 2,
    } TadGender;

/**
 * tad_request_new:
 *
 * Returns: (transfer full): a request with no hints, for paid ads
 */
TAD_EXPORT TadRequest* tad_request_new(void);

/**
 * tad_request_set_testing:
 * @request: the request
 * @testing: whether test ads are wanted instead of paid ones
 *
 * Each load of a request so marked logs that the switch is deprecated.
 *
 * Deprecated: 4.2: Name the devices that test with tad_request_set_test_devices() and
 *   tad_host_get_device_identifier().
 */
TAD_EXPORT G_DEPRECATED_FOR(tad_request_set_test_devices) void tad_request_set_testing(
    TadRequest* request, gboolean testing);

/**
 * tad_request_get_testing:
 * @request: the request
 *
 * Returns: whether test ads are asked for on every device
 */
TAD_EXPORT gboolean tad_request_get_testing(TadRequest* request);

/**
 * tad_request_set_test_devices:
 * @request: the request
 * @devices: (array zero-terminated=1) (nullable): the identifiers tad_host_get_device_identifier()
 *   gives on the devices where test ads are wanted
 *
 * On any other device the request asks for paid ads.
 */
TAD_EXPORT void tad_request_set_test_devices(TadRequest* request, const char* const* devices);

/**
 * tad_request_set_gender:
 * @request: the request
 * @gender: the user's gender
 */
TAD_EXPORT void tad_request_set_gender(TadRequest* request, TadGender gender);

/**
 * tad_request_set_birthday:
 * @request: the request
 * @year: a Gregorian year
 * @month: 1–12
 * @day: 1–31
 */
TAD_EXPORT void tad_request_set_birthday(TadRequest* request, int year, int month, int day);

/**
 * tad_request_add_keyword:
 * @request: the request
 * @keyword: a keyword; an empty one is ignored
 */
TAD_EXPORT void tad_request_add_keyword(TadRequest* request, const char* keyword);

/**
 * tad_request_get_keywords:
 * @request: the request
 *
 * Returns: (transfer full) (array zero-terminated=1): the keywords added, in order
 */
TAD_EXPORT char** tad_request_get_keywords(TadRequest* request);

/**
 * tad_request_set_location:
 * @request: the request
 * @latitude: degrees
 * @longitude: degrees
 * @accuracy: metres; imprecise coordinates leave no location
 */
TAD_EXPORT void tad_request_set_location(TadRequest* request, double latitude, double longitude,
                                         double accuracy);

/**
 * tad_request_set_location_description:
 * @request: the request
 * @description: a described place ("Harbour Street, Lindmere"); an empty one leaves no location
 */
TAD_EXPORT void tad_request_set_location_description(TadRequest* request, const char* description);

/**
 * tad_request_set_additional_parameter:
 * @request: the request
 * @name: the parameter's name
 * @value: its value
 *
 * A parameter the ad server reads beside the library's own; set again, it is replaced.
 */
TAD_EXPORT void tad_request_set_additional_parameter(TadRequest* request, const char* name,
                                                     const char* value);

/**
 * tad_request_set_consent_regime_applies:
 * @request: a request
 * @applies: whether a consent regime covers the user
 *
 * Says whether a law covers the user under which ads are personalised only with the user's
 * consent. Where it applies and no consent string grants personalised ads, the ad server serves
 * ads that are not personalised. Unset until set; only set signals reach the server.
 */
TAD_EXPORT void tad_request_set_consent_regime_applies(TadRequest* request, gboolean applies);

/**
 * tad_request_clear_consent_regime_applies:
 * @request: a request
 *
 * Leaves the consent regime unsaid again.
 */
TAD_EXPORT void tad_request_clear_consent_regime_applies(TadRequest* request);

/**
 * tad_request_get_consent_regime_applies:
 * @request: a request
 * @applies: (out) (optional): whether the regime applies, when it is said
 *
 * Returns: whether the program said if a consent regime applies
 */
TAD_EXPORT gboolean tad_request_get_consent_regime_applies(TadRequest* request, gboolean* applies);

/**
 * tad_request_set_consent_string:
 * @request: a request
 * @consent: (nullable): the user's consent as the program's consent tool encodes it, or %NULL
 *   (or empty) for none
 *
 * Passed on to the ad server unread.
 */
TAD_EXPORT void tad_request_set_consent_string(TadRequest* request, const char* consent);

/**
 * tad_request_get_consent_string:
 * @request: a request
 *
 * Returns: (transfer full) (nullable): the consent string, or %NULL when none is set
 */
TAD_EXPORT char* tad_request_get_consent_string(TadRequest* request);

/**
 * tad_request_set_us_privacy_string:
 * @request: a request
 * @choices: (nullable): the user's privacy choices under US state law, as the program's consent
 *   tool encodes them, or %NULL (or empty) for none
 */
TAD_EXPORT void tad_request_set_us_privacy_string(TadRequest* request, const char* choices);

/**
 * tad_request_get_us_privacy_string:
 * @request: a request
 *
 * Returns: (transfer full) (nullable): the US privacy string, or %NULL when none is set
 */
TAD_EXPORT char* tad_request_get_us_privacy_string(TadRequest* request);

/**
 * tad_request_set_child_directed_treatment:
 * @request: a request
 * @child_directed: whether the ads are to be treated as shown to a child
 *
 * Child-directed ads are never personalised. Unset until set.
 */
TAD_EXPORT void tad_request_set_child_directed_treatment(TadRequest* request,
                                                         gboolean child_directed);

/**
 * tad_request_clear_child_directed_treatment:
 * @request: a request
 *
 * Leaves child-directed treatment unsaid again.
 */
TAD_EXPORT void tad_request_clear_child_directed_treatment(TadRequest* request);

/**
 * tad_request_get_child_directed_treatment:
 * @request: a request
 * @child_directed: (out) (optional): the treatment, when it is said
 *
 * Returns: whether the program said if the ads are child-directed
 */
TAD_EXPORT gboolean tad_request_get_child_directed_treatment(TadRequest* request,
                                                             gboolean* child_directed);

/**
 * tad_request_to_string:
 * @request: the request
 *
 * Returns: (transfer full): "tad::Request", then one line for each hint that is set, for logs
 */
TAD_EXPORT char* tad_request_to_string(TadRequest* request);

G_END_DECLS
