#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/Value.h"

inline constexpr std::string_view kTADTimingCategoryKey = "category";
inline constexpr std::string_view kTADTimingStartKey = "start";
inline constexpr std::string_view kTADTimingEndKey = "end";
inline constexpr std::string_view kTADTimingKeyUserDataKey = "userData";

// One interval on the monotonic clock, named by its category, with a few values that belong to
// the measured event. A timing is not started (start 0), running (end 0) or ended. Readings count
// from the device's boot, so a stored running timing goes on running in the next launch of the
// same boot.
class TADTiming {
 public:
  // The monotonic clock reading now, in seconds.
  static double counter();

  explicit TADTiming(std::string category) : category_(std::move(category)) {}
  // A new, not-started timing of category.
  static std::shared_ptr<TADTiming> initWithCategory(std::string category) {
    return std::make_shared<TADTiming>(std::move(category));
  }
  // A timing from its dictionary form; none when the dictionary names no category (and
  // fallbackCategory is not given). Readings that are not numbers count as 0; values that are not
  // a dictionary are left out.
  static std::shared_ptr<TADTiming> initWithDictionaryRepresentation(
      const base::Dictionary& representation, std::optional<std::string> fallbackCategory = {});
  std::shared_ptr<TADTiming> copy() const;

  void start();
  // Ends a started timing now; ending again moves the end. Does nothing before a start.
  void end();
  void reset();
  bool isActive() const { return startSeconds_ > 0 && endSeconds_ == 0; }

  const std::string& category() const { return category_; }
  double startSeconds() const { return startSeconds_; }
  double endSeconds() const { return endSeconds_; }

  // Stores value (a null value stores nothing, but the values dictionary then exists).
  void setValue(const base::Value& value, std::string key);
  const base::Value* valueForKey(std::string_view key) const;
  void removeValueForKey(std::string_view key);
  base::Dictionary keysAndValues() const { return userData_.value_or(base::Dictionary{}); }

  // Milliseconds from start to end — to now while running — clamped to 0 and 2^32 − 1.
  uint32_t elapsedMilliseconds() const;
  std::string elapsedMillisecondsString() const;

  // "category", "start", "end", and "userData" once there are values.
  base::Dictionary dictionaryRepresentation() const;
  std::string description() const;

 private:
  std::string category_;
  double startSeconds_ = 0;
  double endSeconds_ = 0;
  std::optional<base::Dictionary> userData_;
};
