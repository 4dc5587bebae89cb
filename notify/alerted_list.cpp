#include "notify/alerted_list.h"

#include "platform/text.h"

namespace vigilor {

bool AlertedList::KeyOrder::operator()(const std::string& a, const std::string& b) const {
    const int folded = CompareIgnoringAsciiCase(a, b);
    return folded != 0 ? folded < 0 : a < b;
}

std::string AlertKey(const std::string& machine, const std::string& service) { return machine + "@" + service; }

}  // namespace vigilor
