#pragma once
// How a shell calls a handler: an error that leaves it skips the rest of that handler, goes to the
// application's error box (caption: the application title), and the program goes on.
#include "platform/Application.h"

#include <exception>
#include <new>

namespace vis {

template <class Handler> bool Dispatch(Application& app, Handler&& handler) {
    try {
        handler();
        return true;
    } catch (const std::bad_alloc&) {
        app.ShowError("メモリが不足しています");
    } catch (const std::exception& e) {
        app.ShowError(e.what());
    }
    return false;
}

} // namespace vis
