#pragma once

// A full-screen ad screen that a page may close with its "close" message. The web view delegate
// finds out whether its view controller is one by asking for this face of it.
class TADRelinquishableScreen {
 public:
  virtual ~TADRelinquishableScreen() = default;
  virtual void relinquishScreen() = 0;
};
