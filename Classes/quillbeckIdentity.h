#pragma once

#include "platform/glib/ApplicationFolders.h"
#include "tad/Version.h"

// Who the soundboard is on the desktop: its identifier names its folders (caches, settings and
// website data) and its desktop file; its name titles the device screen.
inline platform::glib::ApplicationIdentity quillbeckIdentity() {
  platform::glib::ApplicationIdentity identity;
  identity.applicationId = "org.quillbeck.Soundboard";
  identity.name = "Quillbeck";
  identity.version = TAD_VERSION_STRING;
  return identity.completed();
}
