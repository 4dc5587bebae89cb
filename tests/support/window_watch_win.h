#pragma once
// Records the top-level windows of this thread that are shown or activated
// while the watch lives: every message box, dialog or other window that
// comes up in front of the user (hidden helper windows do not count). A dialog box is answered with OK as soon as it
// is activated, so that a test that would wait for a click fails instead.
#include <windows.h>

#include <string>
#include <vector>

namespace vigilor::test {

class TopLevelWindowWatch {
public:
    TopLevelWindowWatch();
    ~TopLevelWindowWatch();
    TopLevelWindowWatch(const TopLevelWindowWatch&) = delete;
    TopLevelWindowWatch& operator=(const TopLevelWindowWatch&) = delete;

    struct Seen {
        std::string event;  // "shown" or "activated"
        std::string windowClass;
        std::string title;
    };
    const std::vector<Seen>& Windows() const { return seen_; }
    // The windows seen other than those of the given classes, as
    // "event class "title"" lines.
    std::vector<std::string> OtherThan(const std::vector<std::string>& classes) const;

private:
    static LRESULT CALLBACK Activations(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK Messages(int code, WPARAM wParam, LPARAM lParam);

    HHOOK activations_ = nullptr;
    HHOOK messages_ = nullptr;
    std::vector<Seen> seen_;
};

}  // namespace vigilor::test
