#pragma once

// The ad signals component: four plain entry points through which the ad library hands over
// touch and request facts and obtains opaque signal texts for ad requests and clicks. All four are
// called on the main thread only, never concurrently.
//
// The texts are opaque web-safe base-64 records of the facts handed over (TADSignalRecord.h); a
// request text reads "sig=<record>", a click text is the record alone. Both depend only on those
// facts, the time since the component started and, for clicks, the click value and the names on
// the calling stack. An out string that is not empty on entry is left alone and yields zero.

#include <cstdint>
#include <string>

// Writes one request signal text of the form name=value into out (empty on entry).
// Returns nonzero on success; zero means "no signals", which callers accept silently.
int tad_gmrs(std::string& out);

// Writes the click signal text for a click whose "ai" query value is clickValue (possibly empty)
// into out (empty on entry). Returns nonzero on success, zero for "no signals".
int tad_gmcs(const std::string& clickValue, std::string& out);

// Hands over one touch of an ad page: its "tx", "ty" and "td" values.
void tad_htg(int32_t tx, int32_t ty, int32_t td);

// Hands over the request type of the ad address just delivered and the library's version string.
void tad_gig(int32_t requestType, const std::string& sdkVersion);
