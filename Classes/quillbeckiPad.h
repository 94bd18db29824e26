#pragma once

#include "Classes/quillbeckViewController.h"

// The soundboard screen of tablets: the phone screen, free to turn to any orientation. The banner
// keeps the frame it was given at load, also after a turn.
class quillbeckiPad : public quillbeckViewController {
 public:
  bool shouldAutorotateToInterfaceOrientation(platform::InterfaceOrientation) override {
    return true;
  }
};
