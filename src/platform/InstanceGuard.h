#pragma once

namespace vis {

// The single-instance guard "QOR", shared by every role and every saver name.
class InstanceGuard {
  public:
    virtual ~InstanceGuard() = default;
    // Takes the guard in one atomic step; false when another process holds it. Held until the object
    // goes (or the process ends, however it ends).
    virtual bool TryAcquire() = 0;
    // Lets go before the process ends, where the system allows it (once the role's window has closed, a new
    // start must find the guard free however long the rest of the shutdown takes).
    virtual void Release() {}
};

} // namespace vis
