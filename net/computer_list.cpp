#include "net/computer_list.h"

#include "platform/app_error.h"
#include "platform/text.h"

namespace vigilor {

namespace {

void AddOnce(std::vector<std::string>& items, const std::string& computer) {
    if (Trim(computer).empty()) return;
    for (const std::string& item : items)
        if (EqualsIgnoringAsciiCase(Trim(item), Trim(computer))) return;
    items.push_back(computer);
}

}  // namespace

ComputerList MakeComputerList(TNTPersistent& network, const std::string& selectedComputer,
                              const std::string& localComputer, const std::vector<std::string>& monitoredServers) {
    ComputerList list;
    try {
        list.items = network.ServerList("");
    } catch (const AppError& error) {
        list.browseError = error.what();
        AddOnce(list.items, selectedComputer);
        AddOnce(list.items, "\\\\" + localComputer);
        for (const std::string& server : monitoredServers) AddOnce(list.items, server);
    }
    const std::string wanted = Trim(selectedComputer);
    for (size_t i = 0; i < list.items.size(); ++i) {
        if (Trim(list.items[i]) == wanted) {
            list.selected = i;
            break;
        }
    }
    return list;
}

std::string BrowseListNotice(const std::string& browseError) {
    return "No network computer list (" + Trim(browseError) + "): type a computer name into the list";
}

std::optional<std::string> TypedComputer(const std::string& text) {
    std::string name = Trim(text);
    const size_t start = name.find_first_not_of('\\');
    if (start == std::string::npos) return std::nullopt;
    return "\\\\" + name.substr(start);
}

}  // namespace vigilor
