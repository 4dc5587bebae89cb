#pragma once
// Message boxes answered from a script, with every box recorded.
#include <deque>
#include <string>
#include <vector>

#include "platform/user_dialogs.h"

namespace vigilor::test {

struct ShownBox {
    std::string text;
    std::string caption;
    BoxIcon icon;
    BoxButtons buttons;
    bool owned;
};

class ScriptedDialogs : public UserDialogs {
public:
    BoxAnswer Show(const std::string& text, const std::string& caption, BoxIcon icon, BoxButtons buttons,
                   bool owned) override {
        shown.push_back({text, caption, icon, buttons, owned});
        if (buttons == BoxButtons::Ok) return BoxAnswer::Ok;
        if (answers.empty()) return buttons == BoxButtons::OkCancel ? BoxAnswer::Cancel : BoxAnswer::No;
        const BoxAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& box : shown) texts.push_back(box.text);
        return texts;
    }

    std::deque<BoxAnswer> answers;  // for questions; No (Cancel) when empty
    std::vector<ShownBox> shown;
};

}  // namespace vigilor::test
