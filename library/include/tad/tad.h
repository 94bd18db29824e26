#pragma once

// The whole public face of the ad library.
#include "tad/Banner.h"
#include "tad/BannerDelegate.h"
#include "tad/BannerTrackingDelegate.h"
#include "tad/Host.h"
#include "tad/Identity.h"
#include "tad/Log.h"
#include "tad/Request.h"
#include "tad/RequestError.h"
#include "tad/Version.h"
