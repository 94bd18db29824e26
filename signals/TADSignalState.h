#pragma once

// The facts the signals component keeps between calls: the touches handed over by ad pages, the
// last request type and library version, and when the component started keeping them.

#include <cstdint>
#include <string>

class TADSignalState {
 public:
  struct Touch {
    int32_t x = 0;
    int32_t y = 0;
    int32_t duration = 0;
  };

  // The request type before any is handed over.
  static constexpr int32_t kNoRequestType = -1;

  explicit TADSignalState(double startSeconds) : startSeconds_(startSeconds) {}

  void recordTouch(Touch touch);
  void recordRequest(int32_t requestType, std::string sdkVersion);

  uint32_t touchCount() const { return touchCount_; }
  const Touch& lastTouch() const { return lastTouch_; }  // zeros before the first touch
  int32_t requestType() const { return requestType_; }
  const std::string& sdkVersion() const { return sdkVersion_; }
  // Whole milliseconds from the start to nowSeconds; 0 for a clock that went back, and the
  // largest 32-bit count for very long runs.
  uint32_t millisecondsSinceStart(double nowSeconds) const;

 private:
  double startSeconds_;
  uint32_t touchCount_ = 0;
  Touch lastTouch_;
  int32_t requestType_ = kNoRequestType;
  std::string sdkVersion_;
};
