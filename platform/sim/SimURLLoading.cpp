#include "platform/sim/SimURLLoading.h"

#include <algorithm>
#include <functional>
#include <limits>

#include "platform/sim/SimRunLoop.h"

namespace platform::sim {

// One connection's walk through its requests. Every pending step holds the connection, so it
// lives until it ends even when whoever made it lets go, and stays alive across its own
// callbacks; ending drops the pending steps and with them that hold.
class SimURLLoading::Connection : public URLConnection,
                                  public std::enable_shared_from_this<Connection> {
 public:
  Connection(SimURLLoading& loading, URLRequest request,
             std::weak_ptr<URLConnectionDelegate> delegate)
      : loading_(&loading),
        runLoop_(loading.runLoop_),
        delegate_(std::move(delegate)),
        original_(request),
        current_(std::move(request)) {}

  void start() {
    if (auto loop = runLoop_.lock())
      loop->post(0, this, [self = shared_from_this()] { self->askForFirstRequest(); });
  }
  void cancel() override { end(); }
  const URLRequest& originalRequest() const override { return original_; }
  const URLRequest& currentRequest() const override { return current_; }

  bool isActive() const { return !ended_ && !delegate_.expired(); }
  // The server has gone: the connection ends without another word.
  void detach() {
    loading_ = nullptr;
    end();
  }

 private:
  using Step = void (Connection::*)();

  void askForFirstRequest() {
    auto delegate = liveDelegate();
    if (!delegate) return;
    std::optional<URLRequest> answer =
        delegate->connectionWillSendRequest(*this, original_, nullptr);
    if (ended_) return;
    if (!answer) return end();
    send(std::move(*answer));
  }

  void send(URLRequest request) {
    current_ = std::move(request);
    if (base::Expected<void> checked = checkRequest(current_); !checked) {
      return fail(checked.error());
    }
    if (!loading_) return end();
    loading_->sent_.push_back(current_);
    reply_ = loading_->replyFor(current_);
    if (ended_) return;  // the route's handler may have cancelled
    bodyDelivered_ = 0;
    after(reply_.delay, &Connection::receiveHead);
  }

  void receiveHead() {
    if (reply_.failure) return fail(*reply_.failure);
    if (reply_.sending == Reply::Sending::Nothing) return silence();
    URLResponse response = responseOf(reply_);
    if (std::optional<base::URL> location = redirectTarget(response))
      return redirect(response, std::move(*location));
    deliverResponse(response);
  }

  URLResponse responseOf(const Reply& reply) const {
    HTTPHeaderFields fields;
    for (const auto& [name, value] : reply.headers)
      fields.add(name, value);
    if (!fields.contains("Content-Length"))
      fields.set("Content-Length", std::to_string(reply.body.size()));
    return URLResponse::http(current_.url(), reply.status, std::move(fields));
  }

  void redirect(const URLResponse& response, base::URL location) {
    if (redirects_ == kMaxRedirects) return fail(URLError::HTTPTooManyRedirects);
    auto delegate = liveDelegate();
    if (!delegate) return;
    URLRequest proposed = current_;
    proposed.setURL(std::move(location));
    std::optional<URLRequest> answer =
        delegate->connectionWillSendRequest(*this, proposed, &response);
    if (ended_) return;
    if (!answer) return deliverResponse(response);
    ++redirects_;
    send(std::move(*answer));
  }

  void deliverResponse(const URLResponse& response) {
    auto delegate = liveDelegate();
    if (!delegate) return;
    delegate->connectionDidReceiveResponse(*this, response);
    deliverPiece();
  }

  // The server says no more: the connection times out, or loses the connection when the server
  // closes it.
  void silence() {
    if (reply_.closeWhenCut) return fail(URLError::NetworkConnectionLost);
    after(std::numeric_limits<double>::infinity(), nullptr);
  }

  // The next piece of the body, if any is left, then either the wait for the one after or the end.
  void deliverPiece() {
    const bool cut = reply_.sending == Reply::Sending::HeadAndPartOfBody;
    const std::string_view body =
        cut ? std::string_view(reply_.body).substr(0, reply_.bodyBytesSent) : reply_.body;
    if (bodyDelivered_ < body.size()) {
      auto delegate = liveDelegate();
      if (!delegate) return;
      size_t left = body.size() - bodyDelivered_;
      size_t size = reply_.pieceSize == 0 ? left : std::min(reply_.pieceSize, left);
      const auto* bytes = reinterpret_cast<const uint8_t*>(body.data()) + bodyDelivered_;
      bodyDelivered_ += size;
      delegate->connectionDidReceiveData(*this, {bytes, size});
      if (bodyDelivered_ < body.size())
        return after(reply_.pieceInterval, &Connection::deliverPiece);
    }
    if (cut) return silence();
    auto delegate = liveDelegate();
    if (!delegate) return;
    end();
    delegate->connectionDidFinishLoading(*this);
  }

  // Runs step after seconds, unless the server would stay silent for longer than the request
  // allows: then the connection times out when that allowance runs out. With no step, the server
  // never speaks again.
  void after(double seconds, Step step) {
    auto loop = runLoop_.lock();
    if (!loop) return end();
    double timeout = current_.timeoutInterval();
    if (seconds > timeout) {
      loop->post(timeout, this, [self = shared_from_this()] { self->fail(URLError::TimedOut); });
      return;
    }
    if (!step) return;
    loop->post(seconds, this, [self = shared_from_this(), step] { std::invoke(step, *self); });
  }

  void fail(URLError::Code code) { fail(URLError::make(code, current_.url().absoluteString())); }
  void fail(const base::Error& error) {
    auto delegate = liveDelegate();
    if (!delegate) return;
    end();
    delegate->connectionDidFailWithError(*this, error);
  }

  // The delegate, held for the length of a callback; none once the connection has ended, and a
  // delegate that has gone ends the connection.
  std::shared_ptr<URLConnectionDelegate> liveDelegate() {
    if (ended_) return nullptr;
    auto delegate = delegate_.lock();
    if (!delegate) end();
    return delegate;
  }

  void end() {
    ended_ = true;
    // Dropping the pending steps may drop the last hold on this connection.
    auto self = shared_from_this();
    if (auto loop = runLoop_.lock()) loop->cancel(this);
  }

  SimURLLoading* loading_;  // cleared when the loading goes
  std::weak_ptr<SimRunLoop> runLoop_;
  std::weak_ptr<URLConnectionDelegate> delegate_;
  URLRequest original_;
  URLRequest current_;
  Reply reply_;
  size_t bodyDelivered_ = 0;
  int redirects_ = 0;
  bool ended_ = false;
};

SimURLLoading::SimURLLoading(std::shared_ptr<SimRunLoop> runLoop) : runLoop_(std::move(runLoop)) {}

SimURLLoading::~SimURLLoading() {
  std::vector<std::shared_ptr<Connection>> live;
  for (const auto& connection : connections_) {
    if (auto held = connection.lock()) live.push_back(std::move(held));
  }
  for (const auto& connection : live)
    connection->detach();
}

std::shared_ptr<URLConnection> SimURLLoading::makeConnection(
    const URLRequest& request, std::weak_ptr<URLConnectionDelegate> delegate) {
  if (!canCreate_) return nullptr;
  ++created_;
  auto connection = std::make_shared<Connection>(*this, request, std::move(delegate));
  std::erase_if(connections_, [](const auto& weak) { return weak.expired(); });
  connections_.push_back(connection);
  connection->start();
  return connection;
}

void SimURLLoading::route(std::string url, Reply reply) {
  routes_[std::move(url)] = [reply = std::move(reply)](const URLRequest&) { return reply; };
}

void SimURLLoading::route(std::string url, Handler handler) {
  routes_[std::move(url)] = std::move(handler);
}

void SimURLLoading::setFallback(Handler handler) {
  fallback_ = std::move(handler);
}

size_t SimURLLoading::activeConnectionCount() const {
  return std::count_if(connections_.begin(), connections_.end(), [](const auto& weak) {
    auto connection = weak.lock();
    return connection && connection->isActive();
  });
}

SimURLLoading::Reply SimURLLoading::replyFor(const URLRequest& request) {
  auto found = routes_.find(request.url().absoluteString());
  const Handler& handler = found != routes_.end() ? found->second : fallback_;
  if (!handler) return Reply::fail(URLError::CannotConnectToHost);
  return handler(request);
}

}  // namespace platform::sim
