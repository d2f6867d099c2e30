#pragma once
#include "db/LayerErrors.h"

// Closed while a database operation of the window runs on its worker thread. Then
// nothing on the user-interface thread may touch the connection or a record set on
// it: the grid shows only what it has kept, and a second operation is refused.
// Used on the user-interface thread only.
class OperationGate {
 public:
  bool busy() const noexcept { return busy_; }
  // Refuses with adErrStillExecuting while an operation runs.
  void Require() const {
    if (busy_) throw db::errors::StillExecuting();
  }

  // Keeps the gate closed for its scope.
  class Pass {
   public:
    explicit Pass(OperationGate& gate) : gate_(gate) {
      gate_.Require();
      gate_.busy_ = true;
    }
    ~Pass() { gate_.busy_ = false; }
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;

   private:
    OperationGate& gate_;
  };

 private:
  bool busy_ = false;
};
