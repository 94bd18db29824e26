#pragma once

#include "platform/audio/GstAudioBackend.h"
#include "platform/gtk/GtkPlatform.h"

// What the soundboard needs of the desktop beyond what banners do: sound (its clips on GStreamer,
// the audio route asked of PulseAudio) and property lists (its user defaults in the property-list
// file it has always kept, and lists read in their XML and binary forms). The GTK platform the
// library makes has none of them.
namespace quillbeckDesktopBackends {

// Options for the platform the soundboard makes: its user defaults as a property-list file.
void prepare(platform::gtk::GtkPlatform::Options& options);
// Adds the soundboard's backends to a platform made with prepared options, before anything plays.
void addTo(platform::gtk::GtkPlatform& platform, platform::audio::GstAudioBackend::Output output);

}  // namespace quillbeckDesktopBackends
