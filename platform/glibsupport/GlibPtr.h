#pragma once

// Owning handles for GLib and GObject memory, so that every path out of a function (an early
// return, an error) gives back what it took. The GLib and GTK backends hold references only
// through these.
//
//   GObjectPtr<SoupSession> session = adopt(soup_session_new());   // takes the new reference
//   GObjectPtr<GtkWidget> widget = retain(someWidget);              // adds a reference of its own
//   GCharPtr uri(g_filename_to_uri(path, nullptr, nullptr));
//   GErrorPtr error;  call(&error.out());  if (error) …

#include <glib-object.h>
#include <glib.h>

#include <memory>
#include <utility>

namespace glibsupport {

// One reference to a GObject (or to anything that g_object_ref/g_object_unref take). Copying adds
// a reference; moving hands it over.
template <typename T>
class GObjectPtr {
 public:
  GObjectPtr() = default;
  GObjectPtr(std::nullptr_t) {}  // NOLINT(google-explicit-constructor)
  GObjectPtr(const GObjectPtr& other) : object_(other.object_) {
    if (object_) g_object_ref(object_);
  }
  GObjectPtr(GObjectPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  GObjectPtr& operator=(GObjectPtr other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~GObjectPtr() { reset(); }

  // Takes over a reference that the caller owns (a new object, a "transfer full" return).
  static GObjectPtr adopt(T* object) {
    GObjectPtr pointer;
    pointer.object_ = object;
    return pointer;
  }
  // Adds a reference of its own to an object that the caller only borrows.
  static GObjectPtr retain(T* object) {
    if (object) g_object_ref(object);
    return adopt(object);
  }

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void reset() {
    if (T* object = std::exchange(object_, nullptr)) g_object_unref(object);
  }
  // Gives the reference back to the caller, who must unref it.
  [[nodiscard]] T* release() { return std::exchange(object_, nullptr); }

  // For out-parameters of type T**: releases what is held, then lets the call store a new
  // reference that this handle then owns.
  T** out() {
    reset();
    return &object_;
  }

 private:
  T* object_ = nullptr;
};

template <typename T>
GObjectPtr<T> adopt(T* object) {
  return GObjectPtr<T>::adopt(object);
}
template <typename T>
GObjectPtr<T> retain(T* object) {
  return GObjectPtr<T>::retain(object);
}

namespace detail {
struct GFreeDeleter {
  void operator()(void* memory) const { g_free(memory); }
};
struct GErrorDeleter {
  void operator()(GError* error) const { g_error_free(error); }
};
struct GBytesDeleter {
  void operator()(GBytes* bytes) const { g_bytes_unref(bytes); }
};
struct GVariantDeleter {
  void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
struct GStrvDeleter {
  void operator()(gchar** strings) const { g_strfreev(strings); }
};
struct GMainContextDeleter {
  void operator()(GMainContext* context) const { g_main_context_unref(context); }
};
struct GUriDeleter {
  void operator()(GUri* uri) const { g_uri_unref(uri); }
};
struct GSourceDeleter {
  // A source owned by a handle is removed from its context when the handle goes.
  void operator()(GSource* source) const {
    g_source_destroy(source);
    g_source_unref(source);
  }
};
}  // namespace detail

// Memory from g_malloc (strings from g_strdup, g_filename_to_uri, …).
using GCharPtr = std::unique_ptr<gchar, detail::GFreeDeleter>;
template <typename T>
using GMallocPtr = std::unique_ptr<T, detail::GFreeDeleter>;
using GBytesPtr = std::unique_ptr<GBytes, detail::GBytesDeleter>;
using GStrvPtr = std::unique_ptr<gchar*, detail::GStrvDeleter>;
// One strong (not floating) reference: `GVariantPtr v(g_variant_ref_sink(g_variant_new_…(…)));`.
using GVariantPtr = std::unique_ptr<GVariant, detail::GVariantDeleter>;
// One reference to a main context: `GMainContextPtr context(g_main_context_ref(c));`.
using GMainContextPtr = std::unique_ptr<GMainContext, detail::GMainContextDeleter>;
using GUriPtr = std::unique_ptr<GUri, detail::GUriDeleter>;
// A source attached to a context: destroyed (it never fires again) and unreferenced with its
// handle.
using GSourcePtr = std::unique_ptr<GSource, detail::GSourceDeleter>;

// A GError that a call may set through out(): `call(…, error.out()); if (error) …`.
class GErrorPtr {
 public:
  GErrorPtr() = default;
  GErrorPtr(const GErrorPtr&) = delete;
  GErrorPtr& operator=(const GErrorPtr&) = delete;
  ~GErrorPtr() { reset(); }

  explicit operator bool() const { return error_ != nullptr; }
  GError* get() const { return error_; }
  GError* operator->() const { return error_; }
  void reset() {
    if (GError* error = std::exchange(error_, nullptr)) g_error_free(error);
  }
  GError** out() {
    reset();
    return &error_;
  }

 private:
  GError* error_ = nullptr;
};

}  // namespace glibsupport
