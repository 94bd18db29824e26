#include "tests/adnetwork/HttpClient.h"

#include "platform/net/HTTPHeaderFields.h"

namespace adnetwork::testing {

namespace {

struct Exchange {
  std::shared_ptr<HttpClient::Reply> reply;
  glibsupport::GObjectPtr<SoupMessage> message;
};

void finished(GObject* session, GAsyncResult* result, gpointer data) {
  std::unique_ptr<Exchange> exchange(static_cast<Exchange*>(data));
  HttpClient::Reply& reply = *exchange->reply;
  glibsupport::GErrorPtr error;
  glibsupport::GBytesPtr bytes(
      soup_session_send_and_read_finish(SOUP_SESSION(session), result, error.out()));
  reply.failed = static_cast<bool>(error);
  reply.status = static_cast<int>(soup_message_get_status(exchange->message.get()));
  SoupMessageHeadersIter iter;
  soup_message_headers_iter_init(&iter, soup_message_get_response_headers(exchange->message.get()));
  const char* name = nullptr;
  const char* value = nullptr;
  while (soup_message_headers_iter_next(&iter, &name, &value)) {
    reply.headers.emplace_back(name, value);
  }
  if (bytes) {
    gsize size = 0;
    const auto* data = static_cast<const char*>(g_bytes_get_data(bytes.get(), &size));
    reply.body.assign(data ? data : "", size);
  }
  reply.done = true;
}

}  // namespace

std::optional<std::string> HttpClient::Reply::header(std::string_view name) const {
  for (const auto& [field, value] : headers) {
    if (platform::HTTPHeaderFields::sameName(field, name)) return value;
  }
  return std::nullopt;
}

HttpClient::HttpClient()
    : session_(glibsupport::adopt(soup_session_new_with_options(
          "proxy-resolver", nullptr, "max-conns-per-host", 16, nullptr))) {}

std::shared_ptr<HttpClient::Reply> HttpClient::start(const std::string& url,
                                                     const Headers& headers) {
  auto exchange = std::make_unique<Exchange>();
  exchange->reply = std::make_shared<Reply>();
  exchange->message = glibsupport::adopt(soup_message_new("GET", url.c_str()));
  if (!exchange->message) {
    exchange->reply->done = exchange->reply->failed = true;
    return exchange->reply;
  }
  soup_message_add_flags(exchange->message.get(), SOUP_MESSAGE_NO_REDIRECT);
  SoupMessageHeaders* fields = soup_message_get_request_headers(exchange->message.get());
  for (const auto& [name, value] : headers) {
    soup_message_headers_append(fields, name.c_str(), value.c_str());
  }
  auto reply = exchange->reply;
  SoupMessage* message = exchange->message.get();
  soup_session_send_and_read_async(session_.get(), message, G_PRIORITY_DEFAULT, nullptr, finished,
                                   exchange.release());
  return reply;
}

HttpClient::Reply HttpClient::get(const std::string& url, const Headers& headers) {
  auto reply = start(url, headers);
  iterateUntil([&] { return reply->done; });
  return *reply;
}

}  // namespace adnetwork::testing
