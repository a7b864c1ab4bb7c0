#pragma once
#include <string>

namespace vis {

// What the core needs of the application object: its title, its error box and whether it is active.
class Application {
  public:
    virtual ~Application() = default;
    virtual void SetTitle(const std::string& title) = 0;
    virtual std::string Title() const = 0;
    // A modal message box whose caption is the application title.
    virtual void ShowError(const std::string& message) = 0;
    virtual bool IsActive() const = 0;
};

} // namespace vis
