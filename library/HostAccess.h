#pragma once

#include "tad/Identity.h"

namespace tad {

// The identity of the host alive (completed), or an empty one when there is none.
const Identity& currentHostIdentity();

// A banner that lives on the host's platform. A host that goes while banners live tells each
// first, while its platform is still there, so that they can let go of everything made on it.
class HostedBanner {
 public:
  virtual void hostWillGo() = 0;

 protected:
  ~HostedBanner() = default;
};

// Counts banner among the host's; false, and nothing counted, when no host is alive.
bool joinHost(HostedBanner& banner);
// Takes banner out of the host's banners, if it is among them.
void leaveHost(HostedBanner& banner);

}  // namespace tad
