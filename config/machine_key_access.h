#pragma once
// Who may open the machine's settings key, which holds the mail password:
// SYSTEM and the Administrators, with full control, and nobody else, not
// even through inheritance from the key above.
#include <string>

namespace vigilor {

// The key's access list in the system's text form (SDDL).
std::string MachineKeyAccessList();

// Whether an access list (SDDL, as the system gives it for the key) lets
// only SYSTEM and the Administrators in. Entries that deny count as
// harmless; anything that allows someone else does not.
bool OnlySystemAndAdministrators(const std::string& sddl);

}  // namespace vigilor
