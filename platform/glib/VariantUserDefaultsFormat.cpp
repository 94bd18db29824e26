#include "platform/glib/VariantUserDefaultsFormat.h"

#include <glib.h>

#include <cstring>

#include "base/Decimal.h"
#include "platform/glibsupport/GlibPtr.h"

namespace platform::glib {

namespace {

GVariant* variantFromValue(const base::Value& value, size_t depth);

// GVariant strings are UTF-8 and end at their first NUL: a string it would change has no GVariant.
bool fitsVariantString(std::string_view text) {
  return text.find('\0') == std::string_view::npos &&
         g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr);
}

// A floating reference, or nullptr when a string in values has no GVariant or they nest deeper
// than a file may.
GVariant* variantFromDictionary(const base::Dictionary& values, size_t depth) {
  if (depth > VariantUserDefaultsFormat::kMaxDepth) return nullptr;
  GVariantBuilder builder;
  g_variant_builder_init(&builder, G_VARIANT_TYPE_VARDICT);
  for (const auto& [key, value] : values) {
    GVariant* member = fitsVariantString(key) ? variantFromValue(value, depth + 1) : nullptr;
    if (!member) {
      g_variant_builder_clear(&builder);
      return nullptr;
    }
    g_variant_builder_add(&builder, "{sv}", key.str().c_str(), member);
  }
  return g_variant_builder_end(&builder);
}

// A floating reference, or nullptr as for variantFromDictionary.
GVariant* variantFromValue(const base::Value& value, size_t depth) {
  if (depth > VariantUserDefaultsFormat::kMaxDepth) return nullptr;
  switch (value.kind()) {
    case base::Value::Kind::Null:
      return g_variant_new_maybe(G_VARIANT_TYPE_VARIANT, nullptr);
    case base::Value::Kind::Boolean:
      return g_variant_new_boolean(*value.asBoolean());
    case base::Value::Kind::Integer:
      return g_variant_new_int64(value.toInt64());
    case base::Value::Kind::Double:
      return g_variant_new_double(value.toDouble());
    case base::Value::Kind::Decimal:
      return g_variant_new("(s)", value.asDecimal()->toString().c_str());
    case base::Value::Kind::String:
      if (!fitsVariantString(*value.asString())) return nullptr;
      return g_variant_new_string(std::string(*value.asString()).c_str());
    case base::Value::Kind::Date:
      return g_variant_new("(d)", value.asDate()->timeIntervalSinceReferenceDate());
    case base::Value::Kind::Data: {
      const base::Data& data = *value.asData();
      return g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, data.data(), data.size(), 1);
    }
    case base::Value::Kind::Array: {
      GVariantBuilder builder;
      g_variant_builder_init(&builder, G_VARIANT_TYPE("av"));
      for (const base::Value& item : *value.asArray()) {
        GVariant* member = variantFromValue(item, depth + 1);
        if (!member) {
          g_variant_builder_clear(&builder);
          return nullptr;
        }
        g_variant_builder_add(&builder, "v", member);
      }
      return g_variant_builder_end(&builder);
    }
    case base::Value::Kind::Dictionary:
      return variantFromDictionary(*value.asDictionary(), depth);
  }
  return g_variant_new_maybe(G_VARIANT_TYPE_VARIANT, nullptr);
}

std::optional<base::Value> valueFromVariant(GVariant* variant, size_t depth);

std::optional<base::Dictionary> dictionaryFromVariant(GVariant* variant, size_t depth) {
  base::Dictionary values;
  GVariantIter iter;
  g_variant_iter_init(&iter, variant);
  const char* key = nullptr;
  GVariant* member = nullptr;
  while (g_variant_iter_next(&iter, "{&sv}", &key, &member)) {
    glibsupport::GVariantPtr owned(member);
    std::optional<base::Value> value = valueFromVariant(member, depth + 1);
    if (!value) return std::nullopt;
    values.set(key, std::move(*value));
  }
  return values;
}

std::optional<base::Value> valueFromVariant(GVariant* variant, size_t depth) {
  if (depth > VariantUserDefaultsFormat::kMaxDepth) return std::nullopt;
  const GVariantType* type = g_variant_get_type(variant);
  if (g_variant_type_equal(type, G_VARIANT_TYPE("mv"))) {
    if (g_variant_n_children(variant) != 0) return std::nullopt;
    return base::Value();
  }
  if (g_variant_type_equal(type, G_VARIANT_TYPE_BOOLEAN))
    return base::Value(g_variant_get_boolean(variant) != FALSE);
  if (g_variant_type_equal(type, G_VARIANT_TYPE_INT64))
    return base::Value(static_cast<long long>(g_variant_get_int64(variant)));
  if (g_variant_type_equal(type, G_VARIANT_TYPE_DOUBLE))
    return base::Value(g_variant_get_double(variant));
  if (g_variant_type_equal(type, G_VARIANT_TYPE("(s)"))) {
    const char* digits = nullptr;
    g_variant_get(variant, "(&s)", &digits);
    std::optional<base::Decimal> decimal = base::Decimal::fromString(digits);
    if (!decimal) return std::nullopt;
    return base::Value(std::move(*decimal));
  }
  if (g_variant_type_equal(type, G_VARIANT_TYPE_STRING))
    return base::Value(std::string(g_variant_get_string(variant, nullptr)));
  if (g_variant_type_equal(type, G_VARIANT_TYPE("(d)"))) {
    double seconds = 0;
    g_variant_get(variant, "(d)", &seconds);
    return base::Value(base::Date(seconds));
  }
  if (g_variant_type_equal(type, G_VARIANT_TYPE_BYTESTRING)) {
    gsize size = 0;
    auto* bytes = static_cast<const uint8_t*>(g_variant_get_fixed_array(variant, &size, 1));
    return base::Value(base::Data(bytes, bytes + size));
  }
  if (g_variant_type_equal(type, G_VARIANT_TYPE("av"))) {
    base::Array items;
    items.reserve(g_variant_n_children(variant));
    GVariantIter iter;
    g_variant_iter_init(&iter, variant);
    GVariant* item = nullptr;
    while (g_variant_iter_next(&iter, "v", &item)) {
      glibsupport::GVariantPtr owned(item);
      std::optional<base::Value> value = valueFromVariant(item, depth + 1);
      if (!value) return std::nullopt;
      items.push_back(std::move(*value));
    }
    return base::Value(std::move(items));
  }
  if (g_variant_type_equal(type, G_VARIANT_TYPE_VARDICT)) {
    std::optional<base::Dictionary> values = dictionaryFromVariant(variant, depth);
    if (!values) return std::nullopt;
    return base::Value(std::move(*values));
  }
  return std::nullopt;
}

}  // namespace

std::shared_ptr<const VariantUserDefaultsFormat> VariantUserDefaultsFormat::shared() {
  static const auto format = std::make_shared<const VariantUserDefaultsFormat>();
  return format;
}

std::optional<base::Dictionary> VariantUserDefaultsFormat::dictionaryFromFileBytes(
    std::string_view bytes) const {
  if (bytes.size() > kMaxBytes) return std::nullopt;
  glibsupport::GBytesPtr data(g_bytes_new(bytes.data(), bytes.size()));
  glibsupport::GVariantPtr variant(
      g_variant_ref_sink(g_variant_new_from_bytes(G_VARIANT_TYPE_VARDICT, data.get(), FALSE)));
  if (G_BYTE_ORDER == G_BIG_ENDIAN)
    variant.reset(g_variant_ref_sink(g_variant_byteswap(variant.get())));
  // Any bytes read as some a{sv}: only those a save could have written are the store.
  if (!g_variant_is_normal_form(variant.get())) return std::nullopt;
  return dictionaryFromVariant(variant.get(), 0);
}

std::optional<std::string> VariantUserDefaultsFormat::fileBytesFromDictionary(
    const base::Dictionary& values) const {
  GVariant* dictionary = variantFromDictionary(values, 0);
  if (!dictionary) return std::nullopt;
  glibsupport::GVariantPtr variant(g_variant_ref_sink(dictionary));
  if (G_BYTE_ORDER == G_BIG_ENDIAN)
    variant.reset(g_variant_ref_sink(g_variant_byteswap(variant.get())));
  glibsupport::GBytesPtr data(g_variant_get_data_as_bytes(variant.get()));
  gsize size = 0;
  const void* bytes = g_bytes_get_data(data.get(), &size);
  return std::string(static_cast<const char*>(bytes), size);
}

}  // namespace platform::glib
