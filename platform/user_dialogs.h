#pragma once
// Message boxes go through this interface so that tests can answer them.
#include <string>

namespace vigilor {

enum class BoxIcon { None, Error, Question, Information };
enum class BoxButtons { Ok, YesNo, OkCancel };
enum class BoxAnswer { Ok, Yes, No, Cancel };

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // owned: the box belongs to the main window (modal to it) rather than
    // standing alone.
    virtual BoxAnswer Show(const std::string& text, const std::string& caption, BoxIcon icon,
                           BoxButtons buttons, bool owned) = 0;
};

}  // namespace vigilor
