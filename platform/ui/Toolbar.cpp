#include "platform/ui/Toolbar.h"

#include "platform/ui/ViewBackend.h"

namespace platform {

std::shared_ptr<BarButtonItem> BarButtonItem::flexibleSpace() {
  return std::make_shared<BarButtonItem>(Kind::FlexibleSpace);
}

std::shared_ptr<BarButtonItem> BarButtonItem::withImage(std::shared_ptr<const Image> image,
                                                        Action action) {
  auto item = std::make_shared<BarButtonItem>(Kind::Image);
  item->image_ = std::move(image);
  item->action_ = std::move(action);
  return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::system(Kind kind, Action action) {
  auto item = std::make_shared<BarButtonItem>(kind);
  item->action_ = std::move(action);
  return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::withCustomView(std::shared_ptr<View> view) {
  auto item = std::make_shared<BarButtonItem>(Kind::CustomView);
  item->customView_ = std::move(view);
  return item;
}

void BarButtonItem::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  changed();
}

void BarButtonItem::setWidth(double width) {
  width_ = width;
  changed();
}

void BarButtonItem::setAccessibilityLabel(std::string label) {
  accessibilityLabel_ = std::move(label);
  changed();
}

void BarButtonItem::tap() {
  if (!enabled_ || !action_) return;
  Action action = action_;  // the action may release the item
  action();
}

ToolbarItemLook BarButtonItem::look() const {
  ToolbarItemLook look;
  look.kind = kind_;
  look.width = width_;
  look.enabled = enabled_;
  if (image_) {
    look.imagePNG = image_->pngData();
    look.imageScale = image_->scale();
  }
  look.customView = customView_.get();
  look.accessibilityName = accessibilityLabel_;
  return look;
}

void BarButtonItem::changed() {
  if (onChange_) onChange_();
}

Toolbar::Toolbar(const Rect& frame)
    : View(frame), toolbarPeer_(ViewBackend::current().makeToolbarPeer(peer(), *this)) {}

Toolbar::~Toolbar() {
  for (auto& item : items_)
    item->onChange_ = nullptr;
}

void Toolbar::setItems(std::vector<std::shared_ptr<BarButtonItem>> items) {
  for (auto& item : items_)
    item->onChange_ = nullptr;
  items_ = std::move(items);
  for (auto& item : items_)
    item->onChange_ = [this] { showItems(); };
  showItems();
}

void Toolbar::setTintColor(const Color& color) {
  tint_ = color;
  toolbarPeer_->tintColorChanged(tint_);
}

void Toolbar::showItems() {
  std::vector<ToolbarItemLook> looks;
  looks.reserve(items_.size());
  for (const auto& item : items_)
    looks.push_back(item->look());
  toolbarPeer_->itemsChanged(looks);
}

void Toolbar::toolbarPeerItemTapped(size_t index) {
  if (index >= items_.size()) return;
  std::shared_ptr<BarButtonItem> item = items_[index];  // the action may replace the items
  std::shared_ptr<View> keep = weak_from_this().lock();
  item->tap();
}

}  // namespace platform
