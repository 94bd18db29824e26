#include "platform/sim/SimURLLoading.h"

#include <algorithm>
#include <functional>

#include "platform/sim/SimRunLoop.h"

namespace platform::sim {

namespace {

bool isLoadable(const base::URL& url) {
  std::string scheme = url.scheme();
  std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return scheme == "http" || scheme == "https";
}

// 304 answers a conditional request; it carries no new location even when it names one.
bool isRedirect(const SimURLLoading::Reply& reply) {
  return reply.status >= 300 && reply.status <= 399 && reply.status != 304 &&
         reply.headers.contains("Location");
}

// Reply::fail cannot know the URL it will answer, so it leaves the failing URL empty for the
// connection to fill in.
base::Error withFailingURL(const base::Error& error, const base::URL& url) {
  const base::Value* known = error.userInfo().find(URLError::kFailingURLStringKey);
  if (!known || !known->asString() || !known->asString()->empty()) return error;
  base::Dictionary info = error.userInfo();
  info.set(std::string(URLError::kFailingURLStringKey), url.absoluteString());
  return base::Error(error.domain(), error.code(), std::move(info), error.underlyingError());
}

}  // namespace

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
    if (!isLoadable(current_.url())) {
      return fail(URLError::make(URLError::UnsupportedURL, current_.url().absoluteString()));
    }
    if (!loading_) return end();
    loading_->sent_.push_back(current_);
    reply_ = loading_->replyFor(current_);
    if (ended_) return;  // the route's handler may have cancelled
    bodyDelivered_ = 0;
    after(reply_.delay, &Connection::receiveHead);
  }

  void receiveHead() {
    if (reply_.failure) return fail(withFailingURL(*reply_.failure, current_.url()));
    if (isRedirect(reply_)) {
      if (auto location = base::URL::fromString(*reply_.headers.value("Location"), current_.url()))
        return redirect(std::move(*location));
    }
    deliverResponse();
  }

  void redirect(base::URL location) {
    if (++redirects_ > kMaxRedirects) {
      return fail(URLError::make(URLError::HTTPTooManyRedirects, current_.url().absoluteString()));
    }
    auto delegate = liveDelegate();
    if (!delegate) return;
    URLResponse response = URLResponse::http(current_.url(), reply_.status, reply_.headers);
    URLRequest proposed = current_;
    proposed.setURL(std::move(location));
    std::optional<URLRequest> answer =
        delegate->connectionWillSendRequest(*this, proposed, &response);
    if (ended_) return;
    if (!answer) return deliverResponse();
    send(std::move(*answer));
  }

  void deliverResponse() {
    auto delegate = liveDelegate();
    if (!delegate) return;
    delegate->connectionDidReceiveResponse(
        *this, URLResponse::http(current_.url(), reply_.status, reply_.headers));
    deliverPiece();
  }

  // The next piece of the body, if any is left, then either the wait for the one after or the end.
  void deliverPiece() {
    const std::string& body = reply_.body;
    if (bodyDelivered_ < body.size()) {
      auto delegate = liveDelegate();
      if (!delegate) return;
      size_t left = body.size() - bodyDelivered_;
      size_t size = reply_.pieceSize == 0 ? left : std::min(reply_.pieceSize, left);
      const auto* bytes = reinterpret_cast<const uint8_t*>(body.data()) + bodyDelivered_;
      bodyDelivered_ += size;
      delegate->connectionDidReceiveData(*this, {bytes, size});
      if (bodyDelivered_ < body.size()) return after(reply_.pieceDelay, &Connection::deliverPiece);
    }
    auto delegate = liveDelegate();
    if (!delegate) return;
    end();
    delegate->connectionDidFinishLoading(*this);
  }

  // Runs step after seconds, unless the server would stay silent for longer than the request
  // allows: then the connection times out when that allowance runs out.
  void after(double seconds, Step step) {
    auto loop = runLoop_.lock();
    if (!loop) return end();
    double timeout = current_.timeoutInterval();
    if (seconds > timeout) {
      loop->post(timeout, this, [self = shared_from_this()] {
        self->fail(URLError::make(URLError::TimedOut, self->current_.url().absoluteString()));
      });
      return;
    }
    loop->post(seconds, this, [self = shared_from_this(), step] { std::invoke(step, *self); });
  }

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

SimURLLoading::Reply SimURLLoading::Reply::ok(std::string body, HTTPHeaderFields headers) {
  return withStatus(200, std::move(headers), std::move(body));
}

SimURLLoading::Reply SimURLLoading::Reply::withStatus(int status, HTTPHeaderFields headers,
                                                      std::string body) {
  Reply reply;
  reply.status = status;
  reply.headers = std::move(headers);
  reply.body = std::move(body);
  return reply;
}

SimURLLoading::Reply SimURLLoading::Reply::redirect(std::string location, int status) {
  return withStatus(status, {{"Location", std::move(location)}});
}

SimURLLoading::Reply SimURLLoading::Reply::fail(URLError::Code code) {
  Reply reply;
  reply.failure = URLError::make(code, "");
  return reply;
}

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
