#pragma once

#include <memory>
#include <vector>

namespace pushwren::sim::playground {

// A connection the server can end when it stops.
class Closeable {
 public:
  virtual ~Closeable() = default;
  virtual void close() = 0;
};

// The server's open connections, so that stopping ends every one of them and the main queue
// runs out of work.
class SessionRegistry {
 public:
  void add(const std::shared_ptr<Closeable>& session);
  void closeAll();
  bool anyAlive() const;

 private:
  std::vector<std::weak_ptr<Closeable>> sessions_;
};

}  // namespace pushwren::sim::playground
