#include "ads/Timing/TADTiming.h"

#include <cmath>
#include <cstdio>

#include "platform/core/Clock.h"

double TADTiming::counter() {
  return platform::Clock::shared().monotonicSeconds();
}

std::shared_ptr<TADTiming> TADTiming::initWithDictionaryRepresentation(
    const base::Dictionary& representation, std::optional<std::string> fallbackCategory) {
  const base::Value* category = representation.find(kTADTimingCategoryKey);
  std::string name;
  if (category && category->isString()) {
    name = *category->asString();
  } else if (fallbackCategory) {
    name = *fallbackCategory;
  } else {
    return nullptr;
  }
  auto timing = initWithCategory(std::move(name));
  if (const base::Value* start = representation.find(kTADTimingStartKey)) {
    timing->startSeconds_ = start->toDouble();
  }
  if (const base::Value* end = representation.find(kTADTimingEndKey)) {
    timing->endSeconds_ = end->toDouble();
  }
  if (const base::Value* data = representation.find(kTADTimingKeyUserDataKey)) {
    if (const base::Dictionary* values = data->asDictionary()) timing->userData_ = *values;
  }
  return timing;
}

std::shared_ptr<TADTiming> TADTiming::copy() const {
  return initWithDictionaryRepresentation(dictionaryRepresentation());
}

void TADTiming::start() {
  startSeconds_ = counter();
  endSeconds_ = 0;
}

void TADTiming::end() {
  if (startSeconds_ > 0) endSeconds_ = counter();
}

void TADTiming::reset() {
  startSeconds_ = 0;
  endSeconds_ = 0;
}

void TADTiming::setValue(const base::Value& value, std::string key) {
  if (!userData_) userData_.emplace();
  if (value.isNull()) return;
  userData_->set(std::move(key), value);
}

const base::Value* TADTiming::valueForKey(std::string_view key) const {
  return userData_ ? userData_->find(key) : nullptr;
}

void TADTiming::removeValueForKey(std::string_view key) {
  if (userData_) userData_->erase(key);
}

uint32_t TADTiming::elapsedMilliseconds() const {
  double end = endSeconds_;
  if (end < startSeconds_) end = counter();
  double milliseconds = (end - startSeconds_) * 1000;
  if (!(milliseconds > 0)) return 0;
  if (milliseconds >= 4294967295.0) return UINT32_MAX;
  return static_cast<uint32_t>(milliseconds);
}

std::string TADTiming::elapsedMillisecondsString() const {
  return std::to_string(elapsedMilliseconds());
}

base::Dictionary TADTiming::dictionaryRepresentation() const {
  base::Dictionary representation{{std::string(kTADTimingCategoryKey), category_},
                                  {std::string(kTADTimingStartKey), startSeconds_},
                                  {std::string(kTADTimingEndKey), endSeconds_}};
  if (userData_) representation.set(std::string(kTADTimingKeyUserDataKey), *userData_);
  return representation;
}

std::string TADTiming::description() const {
  char head[64];
  std::snprintf(head, sizeof head, "TADTiming (%p): ", static_cast<const void*>(this));
  return head + base::Value(dictionaryRepresentation()).description();
}
