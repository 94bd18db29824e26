#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Image.h"
#include "platform/ui/ToolbarPeer.h"
#include "platform/ui/View.h"

namespace platform {

// One item of a toolbar: a flexible space, an image, one of the platform's own symbols, or a view.
class BarButtonItem {
 public:
  using Kind = ToolbarItemLook::Kind;
  using Action = std::function<void()>;

  static std::shared_ptr<BarButtonItem> flexibleSpace();
  static std::shared_ptr<BarButtonItem> withImage(std::shared_ptr<const Image> image,
                                                  Action action);
  // Refresh, Action or Done.
  static std::shared_ptr<BarButtonItem> system(Kind kind, Action action);
  static std::shared_ptr<BarButtonItem> withCustomView(std::shared_ptr<View> view);

  explicit BarButtonItem(Kind kind) : kind_(kind) {}

  Kind kind() const { return kind_; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  double width() const { return width_; }
  void setWidth(double width);
  const std::string& accessibilityLabel() const { return accessibilityLabel_; }
  void setAccessibilityLabel(std::string label);
  bool isAccessibilityElement() const { return accessibilityElement_; }
  void setIsAccessibilityElement(bool element) { accessibilityElement_ = element; }
  const std::shared_ptr<const Image>& image() const { return image_; }
  const std::shared_ptr<View>& customView() const { return customView_; }
  // Runs the action when the item is enabled.
  void tap();

  ToolbarItemLook look() const;

 private:
  friend class Toolbar;
  void changed();

  Kind kind_;
  bool enabled_ = true;
  double width_ = 0;
  std::string accessibilityLabel_;
  bool accessibilityElement_ = false;
  std::shared_ptr<const Image> image_;
  std::shared_ptr<View> customView_;
  Action action_;
  std::function<void()> onChange_;  // set by the toolbar showing the item
};

// A bar of items along the bottom of a screen.
class Toolbar : public View, private ToolbarPeerClient {
 public:
  explicit Toolbar(const Rect& frame = {});
  ~Toolbar() override;

  const std::vector<std::shared_ptr<BarButtonItem>>& items() const { return items_; }
  void setItems(std::vector<std::shared_ptr<BarButtonItem>> items);
  const Color& tintColor() const { return tint_; }
  void setTintColor(const Color& color);
  bool autoresizesSubviews() const { return autoresizesSubviews_; }
  void setAutoresizesSubviews(bool autoresizes) { autoresizesSubviews_ = autoresizes; }

  ToolbarPeer& toolbarPeer() { return *toolbarPeer_; }

 private:
  void toolbarPeerItemTapped(size_t index) override;
  void showItems();

  std::vector<std::shared_ptr<BarButtonItem>> items_;
  Color tint_ = Color::clear();
  bool autoresizesSubviews_ = true;
  // Made over the view's peer, so it goes before it.
  std::unique_ptr<ToolbarPeer> toolbarPeer_;
};

}  // namespace platform
