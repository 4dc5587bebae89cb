#!/bin/sh
# Checks a built package against the Windows Installer rules the package
# relies on (wixl validates nothing): the tables wixl writes and what
# edit-package.sh sets. Prints each broken rule and fails if there is one.
#   check-package.sh <package.msi> <version>
set -eu
msi=$1
version=$2
broken=0
rule() { # what, expected, actual
    [ "$3" = "$2" ] && return 0
    printf '%s: %s: expected "%s", got "%s"\n' "$msi" "$1" "$2" "$3" >&2
    broken=$((broken + 1))
}
# A table's rows, tab-separated, without the three lines of its header
# (msiinfo ends each line with CR LF).
rows() { msiinfo export "$msi" "$1" | tail -n +4 | sed 's/\r$//'; }
property() { rows Property | awk -F '\t' -v name="$1" '$1 == name { print $2 }'; }

rule "ProductVersion" "$version" "$(property ProductVersion)"
# Windows Installer keeps a product's version as major (0-255), minor
# (0-255) and build (0-65535); a fourth number is ignored.
rule "version within 255.255.65535" yes \
    "$(echo "$version" | awk -F . '{ print ($1 <= 255 && $2 <= 255 && $3 <= 65535) ? "yes" : "no" }')"

# One product: every package of this version or an older one is replaced
# (512: the maximum version included; 1: the features' states migrated),
# a newer one stops the install (2: detected only; 256 unset: the minimum
# version excluded, so that the same version is no downgrade).
upgrade_code=$(property UpgradeCode)
rule "Upgrade rows" "$(printf '%s\t\t%s\t\t513\t\tWIX_UPGRADE_DETECTED\n%s\t%s\t\t\t2\t\tWIX_DOWNGRADE_DETECTED' \
    "$upgrade_code" "$version" "$upgrade_code" "$version" | sort)" "$(rows Upgrade | sort)"
# The old product goes before any file is copied, so that the files of a
# rebuild of the same version are installed, not left as found.
rule "RemoveExistingProducts between InstallValidate and InstallInitialize" yes \
    "$(rows InstallExecuteSequence | awk -F '\t' '{ at[$1] = $3 }
        END { print (at["InstallValidate"] < at["RemoveExistingProducts"] &&
                      at["RemoveExistingProducts"] < at["InstallInitialize"]) ? "yes" : "no" }')"

rule "program files' version and language" "$(printf '%s\t1033\n%s\t1033' "$version" "$version")" \
    "$(rows File | awk -F '\t' '$3 == "vigilor.exe" { print $5 "\t" $6 }')"

# A component with non-advertised shortcuts keeps a registry value of
# HKMU (-1) as its key path; 4 is what wixl writes for HKMU.
rule "registry values with root 4" "" "$(rows Registry | awk -F '\t' '$2 == 4 { print $1 }')"
shortcut_components=$(rows Shortcut | cut -f 4 | sort -u)
for component in $shortcut_components; do
    keypath=$(rows Component | awk -F '\t' -v c="$component" '$1 == c && int($4 / 4) % 2 == 1 { print $6 }')
    rule "root of the key path of $component" -1 \
        "$(rows Registry | awk -F '\t' -v k="$keypath" '$1 == k { print $2 }')"
done

rule "condition of ProgramService" 'VIGILOR_SERVICE<>"0"' \
    "$(rows Component | awk -F '\t' '$1 == "ProgramService" { print $5 }')"
rule "condition of Program" 'VIGILOR_SERVICE="0"' "$(rows Component | awk -F '\t' '$1 == "Program" { print $5 }')"
rule "SecureCustomProperties" "WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;SERVICEACCOUNT;SERVICEPASSWORD;VIGILOR_SERVICE" \
    "$(property SecureCustomProperties)"

rule "ARPNOMODIFY" 1 "$(property ARPNOMODIFY)"
for link in ARPHELPLINK ARPURLINFOABOUT; do
    rule "$link is an address" yes "$(property "$link" | awk '/^https:\/\// { print "yes" }')"
done

[ "$broken" -eq 0 ] || { echo "$msi breaks $broken rule(s)" >&2; exit 1; }
