#include "ads/Object/TADObjectPrivate.h"

#include "ads/Request/TADRequestPrivate.h"
#include "ads/View/TADBannerView.h"
#include "platform/Platform.h"

TADObjectPrivate::TADObjectPrivate(const platform::Rect&)
    : delegateManager_(std::make_shared<TADDelegateManager>()) {}

TADObjectPrivate::~TADObjectPrivate() {
  cancelPendingActions();
}

std::shared_ptr<TADObjectPrivate> TADObjectPrivate::initWithView(
    const std::shared_ptr<TADBannerView>& view) {
  auto object = std::make_shared<TADObjectPrivate>(view->bounds());
  object->adView_ = view;
  return object;
}

std::shared_ptr<TADRequestPrivate> TADObjectPrivate::privateRequestWithRequest(
    const std::shared_ptr<TADRequest>& request) {
  if (!request) return std::make_shared<TADRequestPrivate>();
  return std::dynamic_pointer_cast<TADRequestPrivate>(request);
}

void TADObjectPrivate::loadRequest(const std::shared_ptr<TADRequest>& request) {
  std::shared_ptr<TADRequestPrivate> source = privateRequestWithRequest(request);
  if (!source) return;
  request_ = std::static_pointer_cast<TADRequestPrivate>(source->copy());
}

void TADObjectPrivate::cancelPendingActions() {
  platform::RunLoop::cancelOnMain(this);
}
