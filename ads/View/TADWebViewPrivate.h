#pragma once

#include "ads/Opener/TADPressRecord.h"

// The state of a TADWebView, kept in the private-object registry under the web view: its touched
// flag and the record of its user's last press (see TADOpenGate).
class TADWebViewPrivate : public TADPressRecord {
 public:
  // Whether the web view has been touched; the ad object clears it each time an ad is shown, so
  // for the banner it tells whether the current ad was touched.
  bool touched() const { return touched_; }
  void setTouched(bool touched) { touched_ = touched; }

 private:
  bool touched_ = false;
};
