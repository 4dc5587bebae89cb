#pragma once
// The main window's list of computers: the network's browse list when it
// answers, else the computers this program knows of; and which of them is
// the selected computer.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "net/nt_persistent.h"

namespace vigilor {

struct ComputerList {
    std::vector<std::string> items;     // each "\\" + name
    std::optional<size_t> selected;     // the item that is the selected computer
    std::string browseError;            // why the browse list is missing; empty when it answered
};

// The browse list in its order, with the first item equal (blanks trimmed,
// letter case counting) to the selected computer selected. When the browse
// list fails (it is gone from most networks today): the selected computer,
// this computer and the computers of the monitored rows, each once.
ComputerList MakeComputerList(TNTPersistent& network, const std::string& selectedComputer,
                              const std::string& localComputer, const std::vector<std::string>& monitoredServers);

// The status-bar note that the browse list is missing, and why.
std::string BrowseListNotice(const std::string& browseError);

// The ASCII ("xn--") form of an internationalised DNS name; nullopt when
// it has none.
using AsciiNameOf = std::function<std::optional<std::string>(const std::string&)>;

// A name typed into the list's box as a computer: blanks trimmed and "\\"
// put in front when missing; a DNS name without the root's trailing dot,
// and in its ASCII form when it holds other letters. Only a NetBIOS name, a
// DNS name or an IPv4 or IPv6 address is a computer; nullopt for anything
// else.
std::optional<std::string> TypedComputer(const std::string& text, const AsciiNameOf& asciiName);

// The status-bar note for a typed text that is not a computer.
std::string NotAComputerNotice(const std::string& text);

}  // namespace vigilor
