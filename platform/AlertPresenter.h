// Message boxes as a display back end sees them: a title, a message and buttons in order. The
// user-interface layer keeps each box until a button is pressed; a back end shows it without
// blocking the window and reports the pressed button. Main thread only.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zemtra::platform {

class AlertNode {
  public:
    virtual const std::u16string& title() const = 0;
    virtual const std::u16string& message() const = 0;
    virtual const std::vector<std::u16string>& buttons() const = 0;
    // The person pressed button `index`; the box goes away (the presenter is told to dismiss it).
    // An index out of range does nothing.
    virtual void press(size_t index) = 0;

  protected:
    ~AlertNode() = default;
};

class AlertPresenter {
  public:
    virtual ~AlertPresenter() = default;
    virtual void showAlert(AlertNode& alert) = 0;
    // Called before the node goes away, whoever closed it.
    virtual void dismissAlert(AlertNode& alert) = 0;
};

}  // namespace zemtra::platform
