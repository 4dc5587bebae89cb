#include "config/machine_key_access.h"

#include <vector>

#include "platform/text.h"

namespace vigilor {

namespace {

// "(type;flags;rights;object;inherited object;account)"
std::vector<std::vector<std::string>> Entries(const std::string& sddl) {
    std::vector<std::vector<std::string>> entries;
    const size_t dacl = sddl.find("D:");
    if (dacl == std::string::npos) return entries;
    for (size_t open = sddl.find('(', dacl); open != std::string::npos; open = sddl.find('(', open + 1)) {
        const size_t close = sddl.find(')', open);
        if (close == std::string::npos) break;
        std::vector<std::string> fields;
        size_t start = open + 1;
        for (size_t semi; (semi = sddl.find(';', start)) != std::string::npos && semi < close; start = semi + 1)
            fields.push_back(sddl.substr(start, semi - start));
        fields.push_back(sddl.substr(start, close - start));
        entries.push_back(fields);
    }
    return entries;
}

bool IsSystemOrAdministrators(const std::string& account) {
    const std::string upper = UpperAscii(account);
    return upper == "SY" || upper == "BA" || upper == "S-1-5-18" || upper == "S-1-5-32-544";
}

}  // namespace

std::string MachineKeyAccessList() {
    // P: nothing inherited from above; CI: the same for any key below.
    return "D:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)";
}

bool OnlySystemAndAdministrators(const std::string& sddl) {
    const size_t dacl = sddl.find("D:");
    // No access list at all lets everybody in.
    if (dacl == std::string::npos) return false;
    // Without P, what the key above allows flows in later.
    const size_t flagsEnd = sddl.find('(', dacl);
    if (sddl.substr(dacl, flagsEnd == std::string::npos ? std::string::npos : flagsEnd - dacl).find('P') ==
        std::string::npos)
        return false;
    bool systemIn = false, administratorsIn = false;
    for (const auto& fields : Entries(sddl)) {
        if (fields.size() != 6) return false;
        const std::string type = UpperAscii(fields[0]);
        if (type == "D" || type == "OD") continue;
        if (!IsSystemOrAdministrators(fields[5])) return false;
        const std::string account = UpperAscii(fields[5]);
        (account == "SY" || account == "S-1-5-18" ? systemIn : administratorsIn) = true;
    }
    return systemIn && administratorsIn;
}

}  // namespace vigilor
