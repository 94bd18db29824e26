#pragma once

// Owning handles for GStreamer's own reference-counted types that are not GObjects (elements,
// buses and discoverer results are: they go in glibsupport::GObjectPtr).

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <memory>

namespace platform::audio {

namespace detail {
struct GstMessageDeleter {
  void operator()(GstMessage* message) const { gst_message_unref(message); }
};
struct GstStreamListDeleter {
  void operator()(GList* streams) const { gst_discoverer_stream_info_list_free(streams); }
};
}  // namespace detail

using GstMessagePtr = std::unique_ptr<GstMessage, detail::GstMessageDeleter>;
// A list of stream infos as a discoverer result hands it out.
using GstStreamListPtr = std::unique_ptr<GList, detail::GstStreamListDeleter>;

}  // namespace platform::audio
