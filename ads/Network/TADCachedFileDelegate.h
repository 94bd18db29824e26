#pragma once

#include <optional>

#include "base/Error.h"
#include "base/Expected.h"
#include "base/URL.h"

class TADCachedFile;

// Hears how a cached file's fetch ends, and decides about each redirect on the way.
class TADCachedFileDelegate {
 public:
  virtual ~TADCachedFileDelegate() = default;

  // The fetch ended without a new or confirmed copy; error is none for an unwelcome status.
  virtual void cachedFileDownloadDidFail(TADCachedFile& file,
                                         const std::optional<base::Error>& error) = 0;
  // The local copy is current: a new body was written, or the server answered 304.
  virtual void cachedFileDownloadDidEnd(TADCachedFile& file) = 0;
  // Success lets the redirect to url go ahead; an error stops the fetch, which then fails with
  // it. The file's headers are those of the redirect answer while this runs.
  virtual base::Expected<void> cachedFileShouldRedirectToURL(TADCachedFile& file,
                                                             const base::URL& url) = 0;
};
