#include "platform/scriptedhttp/ScriptedReply.h"

#include "platform/net/HTTPHeaderFields.h"

namespace scriptedhttp {

ScriptedReply ScriptedReply::ok(std::string body, Fields headers) {
  return withStatus(200, std::move(headers), std::move(body));
}

ScriptedReply ScriptedReply::withStatus(int status, Fields headers, std::string body) {
  ScriptedReply reply;
  reply.status = status;
  reply.headers = std::move(headers);
  reply.body = std::move(body);
  return reply;
}

ScriptedReply ScriptedReply::redirect(std::string location, int status) {
  return withStatus(status, {{"Location", std::move(location)}});
}

ScriptedReply ScriptedReply::fail(platform::URLError::Code code) {
  ScriptedReply reply;
  reply.failure = code;
  return reply;
}

ScriptedReply ScriptedReply::unanswered() {
  ScriptedReply reply;
  reply.sending = Sending::Nothing;
  return reply;
}

ScriptedReply ScriptedReply::cutShort(std::string body, size_t bodyBytes, bool close) {
  ScriptedReply reply = ok(std::move(body));
  reply.sending = Sending::HeadAndPartOfBody;
  reply.bodyBytesSent = bodyBytes;
  reply.closeWhenCut = close;
  return reply;
}

std::optional<std::string> ScriptedReply::header(std::string_view name) const {
  for (const auto& [field, value] : headers) {
    if (platform::HTTPHeaderFields::sameName(field, name)) return value;
  }
  return std::nullopt;
}

}  // namespace scriptedhttp
