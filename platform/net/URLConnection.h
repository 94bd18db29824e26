#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "base/Error.h"
#include "base/Expected.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"

namespace platform {

class URLConnection;

// What a connection tells the object that started it, always on the main run loop and never from
// within the call that created the connection. The order is: willSendRequest for the first
// request; then, for each redirect, willSendRequest with the redirect's answer; then one response,
// its body in any number of pieces and finishLoading — or, at any point, failWithError. Nothing
// comes after finishLoading, failWithError or cancel.
class URLConnectionDelegate {
 public:
  virtual ~URLConnectionDelegate() = default;

  // The request about to go out; redirectResponse is null for the first one. For a redirect the
  // proposed request is the previous one with the Location URL resolved against it. Answering
  // the request (or a changed one) sends it; answering none declines the redirect, and the
  // redirect's own answer is then delivered as the response.
  virtual std::optional<URLRequest> connectionWillSendRequest(URLConnection& connection,
                                                              const URLRequest& request,
                                                              const URLResponse* redirectResponse) {
    (void)connection;
    (void)redirectResponse;
    return request;
  }
  virtual void connectionDidReceiveResponse(URLConnection&, const URLResponse&) {}
  virtual void connectionDidReceiveData(URLConnection&, std::span<const uint8_t>) {}
  virtual void connectionDidFinishLoading(URLConnection&) {}
  virtual void connectionDidFailWithError(URLConnection&, const base::Error&) {}
};

// One asynchronous GET, started at once. The delegate is observed, not owned: when it goes, the
// connection stops. Cookies are kept in one jar for the whole process; connections to a server are
// reused where the backend can. A request that gets neither an answer nor body data for its
// timeout interval fails with URLError::TimedOut.
//
// The rules below are every backend's, so that a load means the same whichever one runs it:
// - A request goes on the wire only if checkRequest finds nothing wrong with it (the first one and
//   each redirect hop alike); otherwise the load fails with that error.
// - A redirect is what redirectTarget finds one in. It is offered to the delegate hop by hop and
//   followed only as the delegate answers; declining it delivers it, body and all, as the
//   response. An answer that is not a redirect is the response.
// - After kMaxRedirects followed hops, the next redirect fails with URLError::HTTPTooManyRedirects
//   without being offered, so that a delegate that takes every redirect cannot be led around a
//   loop for ever.
class URLConnection {
 public:
  static constexpr int kMaxRedirects = 20;

  // Success when request may go on the wire; otherwise the error with which it fails without
  // going there: URLError::UnsupportedURL for an address that is no web address (http or https
  // with a host, base::URL::isWebURL), URLError::BadURL for a header field whose name is not an
  // HTTP token or whose value holds a line break or NUL (which would end the field early and start
  // one of the caller's making).
  static base::Expected<void> checkRequest(const URLRequest& request);
  // Where a redirect leads: for a 3xx answer other than 304 (which confirms a conditional request,
  // whatever it names), its "Location" resolved against the answer's URL. nullopt for an answer
  // that is not a redirect, or whose location does not resolve: that answer is the response.
  static std::optional<base::URL> redirectTarget(const URLResponse& response);

  virtual ~URLConnection() = default;

  // A started connection, or nullptr when the installed platform cannot load URLs.
  static std::shared_ptr<URLConnection> connectionWithRequest(
      const URLRequest& request, std::weak_ptr<URLConnectionDelegate> delegate);

  // Stops the connection; the delegate hears nothing more from it. Safe to call at any time,
  // more than once, and from within the connection's own callbacks.
  virtual void cancel() = 0;
  // The request as first given.
  virtual const URLRequest& originalRequest() const = 0;
  // The request last sent, after any redirects.
  virtual const URLRequest& currentRequest() const = 0;
};

// What a backend supplies to load URLs.
class URLLoadingBackend {
 public:
  virtual ~URLLoadingBackend() = default;
  virtual std::shared_ptr<URLConnection> makeConnection(
      const URLRequest& request, std::weak_ptr<URLConnectionDelegate> delegate) = 0;
};

}  // namespace platform
