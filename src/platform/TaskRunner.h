#pragma once
// Where work that may wait on other programs runs: on the worker thread in
// the program, in order in the tests.

#include <functional>

namespace pixkeeper {

class TaskRunner {
 public:
  virtual ~TaskRunner() = default;
  // Queues the task; it runs after every task handed over before it, one at
  // a time.
  virtual void Post(std::function<void()> task) = 0;
};

}  // namespace pixkeeper
